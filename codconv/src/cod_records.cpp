// Byte images of the directory and of the fixed-size table records.
#include <algorithm>
#include <cstring>

#include "byte_order.h"
#include "cod.h"

void setCountedText(uint8_t& length, char* field, std::size_t capacity, const std::string& text) {
  std::size_t kept = std::min(text.size(), capacity);
  std::memset(field, 0, capacity);
  std::memcpy(field, text.data(), kept);
  length = static_cast<uint8_t>(kept);
}

std::string countedText(uint8_t length, const char* field, std::size_t capacity) {
  return std::string(field, std::min<std::size_t>(length, capacity));
}

namespace {

// Directory field offsets in the block.
constexpr std::size_t DIR_SOURCE_LEN = 256;
constexpr std::size_t DIR_DATE_LEN = 320;
constexpr std::size_t DIR_TIME = 328;
constexpr std::size_t DIR_VERSION_LEN = 330;
constexpr std::size_t DIR_COMPILER_LEN = 350;
constexpr std::size_t DIR_NOTICE_LEN = 362;
constexpr std::size_t DIR_SYM_TAB = 426;
constexpr std::size_t DIR_ADDR_SIZE = 438;
constexpr std::size_t DIR_HIGH_ADDR = 439;
constexpr std::size_t DIR_PROCESSOR_LEN = 453;
constexpr std::size_t DIR_LSYM_TAB = 462;
constexpr std::size_t DIR_SPARE = 470;

// A counted text field: its length byte at `offset`, the characters after it.
void packText(uint8_t* out, std::size_t offset, uint8_t length, const char* field,
              std::size_t capacity) {
  out[offset] = length;
  std::memcpy(out + offset + 1, field, capacity);
}

void unpackText(const uint8_t* in, std::size_t offset, uint8_t& length, char* field,
                std::size_t capacity) {
  length = in[offset];
  std::memcpy(field, in + offset + 1, capacity);
}

// Runs of 16-bit fields that lie next to each other in the block.
void packWords(uint8_t* out, std::size_t offset, std::initializer_list<uint16_t> values) {
  for (uint16_t value : values) {
    writeLe16(out + offset, value);
    offset += 2;
  }
}

void unpackWords(const uint8_t* in, std::size_t offset, std::initializer_list<uint16_t*> fields) {
  for (uint16_t* field : fields) {
    *field = readLe16(in + offset);
    offset += 2;
  }
}

}  // namespace

void Directory::pack(uint8_t* out) const {
  std::memset(out, 0, COD_BLOCK_SIZE);
  for (std::size_t i = 0; i < COD_INDEX_ENTRIES; ++i) writeLe16(out + 2 * i, Index[i]);
  packText(out, DIR_SOURCE_LEN, SourceLen, Source, SOURCE_CAPACITY);
  packText(out, DIR_DATE_LEN, DateLen, Date, DATE_CAPACITY);
  writeLe16(out + DIR_TIME, Time);
  packText(out, DIR_VERSION_LEN, VersionLen, Version, VERSION_CAPACITY);
  packText(out, DIR_COMPILER_LEN, CompilerLen, Compiler, COMPILER_CAPACITY);
  packText(out, DIR_NOTICE_LEN, NoticeLen, Notice, NOTICE_CAPACITY);
  packWords(out, DIR_SYM_TAB, {SymTab, SymEnd, NamTab, NamEnd, LineTab, LineEnd});
  out[DIR_ADDR_SIZE] = AddrSize;
  packWords(out, DIR_HIGH_ADDR,
            {HighAddr, NextDir, MemMapOfs, MemMapEnd, LocalVars, LocalEnd, CodType});
  packText(out, DIR_PROCESSOR_LEN, ProcessorLen, Processor, PROCESSOR_CAPACITY);
  packWords(out, DIR_LSYM_TAB, {LSymTab, LSymEnd, MessTab, MessEnd});
  std::memcpy(out + DIR_SPARE, Spare, SPARE_SIZE);
}

Directory Directory::unpack(const uint8_t* in) {
  Directory d;
  for (std::size_t i = 0; i < COD_INDEX_ENTRIES; ++i) d.Index[i] = readLe16(in + 2 * i);
  unpackText(in, DIR_SOURCE_LEN, d.SourceLen, d.Source, SOURCE_CAPACITY);
  unpackText(in, DIR_DATE_LEN, d.DateLen, d.Date, DATE_CAPACITY);
  d.Time = readLe16(in + DIR_TIME);
  unpackText(in, DIR_VERSION_LEN, d.VersionLen, d.Version, VERSION_CAPACITY);
  unpackText(in, DIR_COMPILER_LEN, d.CompilerLen, d.Compiler, COMPILER_CAPACITY);
  unpackText(in, DIR_NOTICE_LEN, d.NoticeLen, d.Notice, NOTICE_CAPACITY);
  unpackWords(in, DIR_SYM_TAB,
              {&d.SymTab, &d.SymEnd, &d.NamTab, &d.NamEnd, &d.LineTab, &d.LineEnd});
  d.AddrSize = in[DIR_ADDR_SIZE];
  unpackWords(
      in, DIR_HIGH_ADDR,
      {&d.HighAddr, &d.NextDir, &d.MemMapOfs, &d.MemMapEnd, &d.LocalVars, &d.LocalEnd, &d.CodType});
  unpackText(in, DIR_PROCESSOR_LEN, d.ProcessorLen, d.Processor, PROCESSOR_CAPACITY);
  unpackWords(in, DIR_LSYM_TAB, {&d.LSymTab, &d.LSymEnd, &d.MessTab, &d.MessEnd});
  std::memcpy(d.Spare, in + DIR_SPARE, SPARE_SIZE);
  return d;
}

Symbol::Symbol(const std::string& name, uint8_t type, uint16_t value)
    : SymbolType(type), SymbolValue(value) {
  setCountedText(NameLen, Name, NAME_CAPACITY, name);
}

void Symbol::pack(uint8_t* out) const {
  packText(out, 0, NameLen, Name, NAME_CAPACITY);
  out[13] = SymbolType;
  writeLe16(out + 14, SymbolValue);
}

Symbol Symbol::unpack(const uint8_t* in) {
  Symbol s;
  unpackText(in, 0, s.NameLen, s.Name, NAME_CAPACITY);
  s.SymbolType = in[13];
  s.SymbolValue = readLe16(in + 14);
  return s;
}

SourceName::SourceName(const std::string& fileName) {
  // The last byte of the field stays 0: a name holds at most 62 characters.
  setCountedText(FileNameLen, FileName, NAME_LIMIT, fileName);
}

void SourceName::pack(uint8_t* out) const {
  packText(out, 0, FileNameLen, FileName, NAME_CAPACITY);
}

SourceName SourceName::unpack(const uint8_t* in) {
  SourceName s;
  unpackText(in, 0, s.FileNameLen, s.FileName, NAME_CAPACITY);
  return s;
}

void LineInfo::pack(uint8_t* out) const {
  out[0] = FileNum;
  out[1] = Flags;
  writeLe16(out + 2, Line);
  writeLe16(out + 4, CodeAddress);
}

LineInfo LineInfo::unpack(const uint8_t* in) {
  return LineInfo(in[0], in[1], readLe16(in + 2), readLe16(in + 4));
}

void MemoryMap::pack(uint8_t* out) const {
  writeLe16(out, Start);
  writeLe16(out + 2, Last);
}

MemoryMap MemoryMap::unpack(const uint8_t* in) { return MemoryMap(readLe16(in), readLe16(in + 2)); }

LongSymbol::LongSymbol(const std::string& name, uint16_t type, uint32_t value)
    : Name(name.substr(0, NAME_LIMIT)), Type(type), Value(value) {
  NameLen = static_cast<uint8_t>(Name.size());
}

std::size_t LongSymbol::size() const { return std::min(Name.size(), NAME_LIMIT) + FIXED_SIZE; }

namespace {
const char LOCAL_GROUP_MARK[] = "__LOCAL";
constexpr std::size_t LOCAL_GROUP_MARK_LEN = sizeof(LOCAL_GROUP_MARK) - 1;
}  // namespace

void LocalGroup::packHeader(uint8_t* out) const {
  out[0] = LOCAL_GROUP_MARK_LEN;
  std::memcpy(out + 1, LOCAL_GROUP_MARK, LOCAL_GROUP_MARK_LEN);
  writeLe32(out + 8, StartAddr);
  writeLe32(out + 12, EndAddr);
}

bool LocalGroup::isHeader(const uint8_t* in) {
  return in[0] == LOCAL_GROUP_MARK_LEN &&
         std::memcmp(in + 1, LOCAL_GROUP_MARK, LOCAL_GROUP_MARK_LEN) == 0;
}

DebugMsg::DebugMsg(uint32_t address, char type, const std::string& message)
    : Address(address), Type(type), Message(message.substr(0, TEXT_LIMIT)) {
  MsgLen = static_cast<uint8_t>(Message.size());
}

std::size_t DebugMsg::size() const { return std::min(Message.size(), TEXT_LIMIT) + FIXED_SIZE; }
