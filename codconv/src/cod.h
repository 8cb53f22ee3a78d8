// The COD debug file: every table of one file in memory, the block
// numbering, the writer that lays the tables out in 512-byte blocks, the
// reader that brings a written file back, and a debugging dump.
//
// Layout in short: block n starts at byte n * 512; the directories come
// first (one per 64 K window of byte addresses, linked by NextDir), then the
// code blocks, the symbols, the source names, the line information, the
// local groups, the memory map, the long symbols and the debug messages.
// Block 0 is always the first directory, so a block number of 0 in a table
// pointer or an index entry means "none". Multi-byte fields are
// little-endian unless a field says otherwise.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

class OutputSet;

inline constexpr std::size_t COD_BLOCK_SIZE = 512;
// Entries of a directory's Index: 128 code blocks of 512 bytes = 64 K.
inline constexpr std::size_t COD_INDEX_ENTRIES = 128;
inline constexpr uint32_t COD_WINDOW_SIZE = 65536;
// Block numbers are 16-bit, so a file holds at most this many blocks.
inline constexpr uint32_t COD_MAX_BLOCKS = 65536;

// Symbol type codes: an index into a table of 152 names. The converter
// writes only these two.
inline constexpr uint16_t COD_SYMBOL_TYPE_ADDRESS = 46;
inline constexpr uint16_t COD_SYMBOL_TYPE_CONSTANT = 47;
inline constexpr uint32_t COD_SYMBOL_TYPE_COUNT = 152;

// The name of a symbol type code, or null for a code outside 0 to 151.
const char* codSymbolTypeName(uint32_t code);
// The dump's form of a code: ", <name>" or ", <bad type>".
std::string codSymbolTypeText(uint32_t code);

// LineInfo Flags values written by the converter.
inline constexpr uint8_t COD_LINE_FIRST_ADDRESS = 0x80;  // first code address of a line
inline constexpr uint8_t COD_LINE_MORE_ADDRESS = 0;      // further code address of the line
inline constexpr uint8_t COD_LINE_NO_CODE = 0x90;        // source line without code
inline constexpr uint8_t COD_LINE_PAGE_HEADER = 2;       // line of a listing page header

// Counted texts: a length byte, then the characters, the rest of the field
// 0, no terminator. The setter cuts the text to `capacity` characters and
// stores the length of what it kept.
void setCountedText(uint8_t& length, char* field, std::size_t capacity, const std::string& text);
// The text of a counted field; a length byte above the capacity reads as the
// capacity, so a damaged file never reads past the field.
std::string countedText(uint8_t length, const char* field, std::size_t capacity);

// One 512-byte block of the file: a piece of the program image, or a block
// of a table after packing. All zero when created, copied whole.
struct Block {
  std::array<uint8_t, COD_BLOCK_SIZE> bytes{};

  uint8_t* data() { return bytes.data(); }
  const uint8_t* data() const { return bytes.data(); }
  bool operator==(const Block& other) const = default;
};

// One directory block. The fields keep their file names; pack and unpack
// give the exact 512-byte image (offsets in the comments).
struct Directory {
  static constexpr std::size_t SOURCE_CAPACITY = 63;
  static constexpr std::size_t DATE_CAPACITY = 7;
  static constexpr std::size_t VERSION_CAPACITY = 19;
  static constexpr std::size_t COMPILER_CAPACITY = 11;
  static constexpr std::size_t NOTICE_CAPACITY = 63;
  static constexpr std::size_t PROCESSOR_CAPACITY = 8;
  static constexpr std::size_t SPARE_SIZE = 42;

  uint16_t Index[COD_INDEX_ENTRIES] = {};   // 0: block of each 512-byte stretch, 0 none
  uint8_t SourceLen = 0;                    // 256
  char Source[SOURCE_CAPACITY] = {};        // 257: name of the COD file (directory 0)
  uint8_t DateLen = 0;                      // 320
  char Date[DATE_CAPACITY] = {};            // 321: "%d%b%y"
  uint16_t Time = 0;                        // 328: hhmm as a decimal number
  uint8_t VersionLen = 0;                   // 330
  char Version[VERSION_CAPACITY] = {};      // 331
  uint8_t CompilerLen = 0;                  // 350
  char Compiler[COMPILER_CAPACITY] = {};    // 351
  uint8_t NoticeLen = 0;                    // 362
  char Notice[NOTICE_CAPACITY] = {};        // 363
  uint16_t SymTab = 0;                      // 426: symbol table (directory 0)
  uint16_t SymEnd = 0;                      // 428
  uint16_t NamTab = 0;                      // 430: source name table (directory 0)
  uint16_t NamEnd = 0;                      // 432
  uint16_t LineTab = 0;                     // 434: this window's line information
  uint16_t LineEnd = 0;                     // 436
  uint8_t AddrSize = 0;                     // 438
  uint16_t HighAddr = 0;                    // 439: window number
  uint16_t NextDir = 0;                     // 441: next directory, 0 in the last
  uint16_t MemMapOfs = 0;                   // 443: this window's memory map
  uint16_t MemMapEnd = 0;                   // 445
  uint16_t LocalVars = 0;                   // 447: local groups (directory 0)
  uint16_t LocalEnd = 0;                    // 449
  uint16_t CodType = 1;                     // 451
  uint8_t ProcessorLen = 0;                 // 453
  char Processor[PROCESSOR_CAPACITY] = {};  // 454: device model name (directory 0)
  uint16_t LSymTab = 0;                     // 462: long symbols (directory 0)
  uint16_t LSymEnd = 0;                     // 464
  uint16_t MessTab = 0;                     // 466: debug messages (directory 0)
  uint16_t MessEnd = 0;                     // 468
  uint8_t Spare[SPARE_SIZE] = {};           // 470

  void setSource(const std::string& text) {
    setCountedText(SourceLen, Source, SOURCE_CAPACITY, text);
  }
  void setDate(const std::string& text) { setCountedText(DateLen, Date, DATE_CAPACITY, text); }
  void setVersion(const std::string& text) {
    setCountedText(VersionLen, Version, VERSION_CAPACITY, text);
  }
  void setCompiler(const std::string& text) {
    setCountedText(CompilerLen, Compiler, COMPILER_CAPACITY, text);
  }
  void setNotice(const std::string& text) {
    setCountedText(NoticeLen, Notice, NOTICE_CAPACITY, text);
  }
  void setProcessor(const std::string& text) {
    setCountedText(ProcessorLen, Processor, PROCESSOR_CAPACITY, text);
  }
  std::string source() const { return countedText(SourceLen, Source, SOURCE_CAPACITY); }
  std::string date() const { return countedText(DateLen, Date, DATE_CAPACITY); }
  std::string version() const { return countedText(VersionLen, Version, VERSION_CAPACITY); }
  std::string compiler() const { return countedText(CompilerLen, Compiler, COMPILER_CAPACITY); }
  std::string notice() const { return countedText(NoticeLen, Notice, NOTICE_CAPACITY); }
  std::string processor() const { return countedText(ProcessorLen, Processor, PROCESSOR_CAPACITY); }

  void pack(uint8_t* out) const;  // writes exactly COD_BLOCK_SIZE bytes
  static Directory unpack(const uint8_t* in);
  void dump(std::ostream& out) const;
  bool operator==(const Directory& other) const = default;
};

// Short symbol: 16 bytes.
struct Symbol {
  static constexpr std::size_t SIZE = 16;
  static constexpr std::size_t NAME_CAPACITY = 12;

  uint8_t NameLen = 0;            // 0
  char Name[NAME_CAPACITY] = {};  // 1
  uint8_t SymbolType = 0;         // 13: a symbol type code
  uint16_t SymbolValue = 0;       // 14

  Symbol() = default;
  // The name is cut to 12 characters.
  Symbol(const std::string& name, uint8_t type, uint16_t value);
  std::string name() const { return countedText(NameLen, Name, NAME_CAPACITY); }

  void pack(uint8_t* out) const;
  static Symbol unpack(const uint8_t* in);
  void dump(std::ostream& out) const;
  bool operator==(const Symbol& other) const = default;
};

// Source file name: 64 bytes; the length byte says at most 62.
struct SourceName {
  static constexpr std::size_t SIZE = 64;
  static constexpr std::size_t NAME_CAPACITY = 63;
  static constexpr std::size_t NAME_LIMIT = 62;

  uint8_t FileNameLen = 0;            // 0
  char FileName[NAME_CAPACITY] = {};  // 1

  SourceName() = default;
  // The name is cut to 62 characters.
  explicit SourceName(const std::string& fileName);
  std::string fileName() const { return countedText(FileNameLen, FileName, NAME_CAPACITY); }

  void pack(uint8_t* out) const;
  static SourceName unpack(const uint8_t* in);
  void dump(std::ostream& out) const;
  bool operator==(const SourceName& other) const = default;
};

// Ties a source line (or listing line) to a code address: 6 bytes.
struct LineInfo {
  static constexpr std::size_t SIZE = 6;

  uint8_t FileNum = 0;       // 0: index into the source name table
  uint8_t Flags = 0;         // 1
  uint16_t Line = 0;         // 2: from 1
  uint16_t CodeAddress = 0;  // 4: low 16 bits of the word address, 0 none

  LineInfo() = default;
  LineInfo(uint8_t fileNum, uint8_t flags, uint16_t line, uint16_t codeAddress)
      : FileNum(fileNum), Flags(flags), Line(line), CodeAddress(codeAddress) {}

  void pack(uint8_t* out) const;
  static LineInfo unpack(const uint8_t* in);
  void dump(std::ostream& out) const;
  bool operator==(const LineInfo& other) const = default;
};

// A stretch of used program memory in one window, byte addresses, Last
// inclusive: 4 bytes.
struct MemoryMap {
  static constexpr std::size_t SIZE = 4;

  uint16_t Start = 0;  // 0
  uint16_t Last = 0;   // 2

  MemoryMap() = default;
  MemoryMap(uint16_t start, uint16_t last) : Start(start), Last(last) {}

  void pack(uint8_t* out) const;
  static MemoryMap unpack(const uint8_t* in);
  void dump(std::ostream& out) const;
  bool operator==(const MemoryMap& other) const = default;
};

// Symbol with its whole name and 32-bit value. In the file: NameLen, the
// name, Type (16-bit), Value (32-bit big-endian): NameLen + 7 bytes.
struct LongSymbol {
  static constexpr std::size_t FIXED_SIZE = 7;
  static constexpr std::size_t NAME_LIMIT = 255;

  uint8_t NameLen = 0;
  std::string Name;
  uint16_t Type = 0;
  uint32_t Value = 0;

  LongSymbol() = default;
  // The length byte cannot count more than 255 characters: a longer name is
  // cut to 255.
  LongSymbol(const std::string& name, uint16_t type, uint32_t value);
  // Bytes of the record in the file.
  std::size_t size() const;

  void dump(std::ostream& out) const;
  bool operator==(const LongSymbol& other) const = default;
};

// A group of local symbols between two addresses. In the file a 16-byte
// header record (7, "__LOCAL", StartAddr, EndAddr) and then one Symbol
// record per member.
struct LocalGroup {
  static constexpr std::size_t RECORD_SIZE = 16;

  uint32_t StartAddr = 0;
  uint32_t EndAddr = 0;
  std::list<Symbol> Symbols;

  void packHeader(uint8_t* out) const;
  static bool isHeader(const uint8_t* in);
  void dump(std::ostream& out) const;
  bool operator==(const LocalGroup& other) const = default;
};

// A message for the debugger at an address. In the file: Address (32-bit
// big-endian), Type, MsgLen, the text: MsgLen + 6 bytes.
struct DebugMsg {
  static constexpr std::size_t FIXED_SIZE = 6;
  static constexpr std::size_t TEXT_LIMIT = 255;

  uint32_t Address = 0;
  char Type = 0;
  uint8_t MsgLen = 0;
  std::string Message;

  DebugMsg() = default;
  // A text over 255 characters is cut to 255, what the length byte holds.
  DebugMsg(uint32_t address, char type, const std::string& message);
  std::size_t size() const;

  void dump(std::ostream& out) const;
  bool operator==(const DebugMsg& other) const = default;
};

// Block counts of every table, as preWrite numbers them and the packers
// produce them.
struct CodBlockCounts {
  uint32_t directory = 0;
  uint32_t rawData = 0;
  uint32_t symbol = 0;
  uint32_t sourceName = 0;
  uint32_t lineInfo = 0;  // over all directories
  uint32_t localGroup = 0;
  uint32_t memMap = 0;  // over all directories
  uint32_t longSymbol = 0;
  uint32_t debug = 0;

  uint32_t total() const;
};

class Cod {
 public:
  Cod() = default;
  virtual ~Cod() = default;
  Cod(const Cod&) = default;
  Cod& operator=(const Cod&) = default;

  // Counts the blocks of every table, writes the block numbers into the
  // directories and stamps the date and time into directory 0. Call once,
  // after every table is complete.
  void preWrite();
  // Writes the whole file under codFileName(). 1 success, 0 failure
  // (reported).
  int write();
  // Writes the whole file under the given name.
  int write(const std::string& fileName);
  // The same into `outputs`: written whole to its temporary, the file
  // replaces its old version only when the set is committed.
  int write(OutputSet& outputs, const std::string& fileName);

  // The name the file is written under: cFileName when set, else the text
  // of Source in directory 0. Source holds at most 63 characters, so the
  // converter sets cFileName to the full name.
  std::string codFileName() const;

  // Reads a COD file; null on failure (reported).
  static std::unique_ptr<Cod> make(const std::string& fileName);

  // Debugging dump of every table.
  void dump(std::ostream& out) const;

  // The counts preWrite numbers with (also for tests).
  CodBlockCounts blockCounts() const;

  // Packers: each empties `out` and appends one Block per 512 bytes; a
  // record never straddles two blocks; an empty table gives no block.
  static void writeCodeBlocks(const std::map<uint16_t, Block>& blocks, std::list<Block>& out);
  template <class Record>
  static void writeRecords(const std::list<Record>& records, std::list<Block>& out);
  static void writeLocalGroups(const std::list<LocalGroup>& groups, std::list<Block>& out);
  static void writeLongSymbols(const std::list<LongSymbol>& symbols, std::list<Block>& out);
  static void writeDebugMsgs(const std::list<DebugMsg>& messages, std::list<Block>& out);

  bool operator==(const Cod& other) const;

  // The tables, each owned by value. The three per-directory vectors hold
  // one entry per directory.
  std::vector<Directory> cDirectory;
  std::list<Symbol> cSymbol;
  std::list<SourceName> cSourceName;
  std::vector<std::list<LineInfo>> cLineInfo;
  std::vector<std::list<MemoryMap>> cMemoryMap;
  std::list<LongSymbol> cLongSymbol;
  std::list<LocalGroup> cLocalGroup;
  std::list<DebugMsg> cDebugMsg;
  std::vector<std::map<uint16_t, Block>> cCode;  // key: Index entry, 0 to 127

  // Full name of the COD file; empty: the Source text of directory 0.
  std::string cFileName;

 protected:
  // Writes the directories and then every table in file order.
  int writeAllBlocks(std::ostream& file, const std::string& fileName) const;
  // Writes each block of the list, 512 bytes each; reports a failure with
  // the kind text.
  static int writeBlockList(std::ostream& file, const std::string& fileName,
                            const std::list<Block>& blocks, const std::string& kind);
};
