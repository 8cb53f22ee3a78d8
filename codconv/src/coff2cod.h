// Conversion of the linker's absolute object file into the tables of a COD
// file, and the listing file written on the way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <list>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cod.h"
#include "coff.h"
#include "file_stream_buffer.h"
#include "listing_scan_index.h"
#include "mgproc.h"
#include "output_set.h"

// One line-number entry of a code section, kept with its section's name.
struct LstLine {
  std::string secName;
  uint32_t l_srcndx = 0;
  uint16_t l_lnno = 0;
  uint32_t l_paddr = 0;
  uint16_t l_flags = 0;
  uint32_t l_fcnndx = 0;

  LstLine() = default;
  LstLine(const std::string& sectionName, const coff_lineno& entry);
};

class Coff2Cod : public Cod {
 public:
  Coff2Cod() = default;

  // Fills the tables from the object and, unless noListing is set, writes
  // the listing. Returns this object, or null on failure (reported).
  Coff2Cod* convert(const Coff& coff, int pageLength, int noListing);

  void buildLineMap(const Coff& coff);
  void initDirectory(const Coff& coff);
  int createRawDataAndMemoryMap(const Coff& coff);
  void createSourceNames(const Coff& coff);
  void createSymbols(const Coff& coff);

  // Writes the COD file and then replaces the old COD and listing files
  // with both new ones; after a failure (reported) neither is replaced.
  int writeFiles();

  // The listing file, written beside the object.
  static std::string listFileName(const Coff& coff);
  int createListFile(const Coff& coff);
  void writeListHeader(int firstPage);
  void countListLine();
  int doNextFile(const Coff& coff, std::size_t& position);
  int nextSourceFile(const Coff& coff, std::size_t& position) const;
  int skipToEof(const Coff& coff, std::size_t& position) const;
  int hasInclude(const Coff& coff, std::size_t start, uint32_t line) const;
  void updateListState(const Coff& coff, std::size_t start, uint32_t line);

  int cListing = 1;
  int cPageLength = 0;
  int cRowCount = 0;
  std::string cSourceLine;
  std::string cRowText;
  // The listing is written through the file its replacement opened.
  FileStreamBuffer cListBuffer;
  std::ostream cListFile{&cListBuffer};
  std::map<uint32_t, int> cFileNum;
  std::map<uint32_t, std::map<uint32_t, std::list<LstLine>>> cLine;

 private:
  // The second word of the last two-word instruction listed, whose own row
  // shows no disassembly.
  struct SecondWord {
    bool pending = false;
    uint32_t address = 0;
  };
  // The program word of a line entry and the word after it; absent where the
  // section's data does not hold them.
  struct ProgramWords {
    bool present = false;
    uint16_t first = 0;
    uint16_t second = 0;
  };

  // Device facts of the object's processor, set by convert.
  ProcessorCode cProcessor = 0;
  uint32_t cBytesPerWord = 2;
  // Local time of the first page header, shown on every page.
  std::string cListTime;
  // Files being listed inside the one that createListFile started.
  int cIncludeDepth = 0;
  // The symbol table as the scans see it, made once while the listing is
  // written: every source line asks about it.
  std::unique_ptr<ListingScanIndex> cScanIndex;
  // The files written, each whole, until they replace their old versions
  // together.
  OutputSet cOutputs;

  // The most source files a LineInfo record can number.
  static constexpr std::size_t kMaxSourceFiles = 256;
  // The last source line a LineInfo record can number.
  static constexpr uint32_t kMaxRecordedLine = 0xFFFF;

  int checkProcessor(const Coff& coff);
  int checkOutputNames(const Coff& coff, int noListing) const;
  int checkSourceCount(const Coff& coff) const;
  int copySectionBytes(const Coff& coff, const std::string& name, uint32_t address);
  void addWindows(std::size_t count);
  std::string sourceFileName(const Coff& coff, std::size_t fileIndex) const;
  template <class Answer>
  auto withScanIndex(const Coff& coff, Answer answer) const;
  int skipToMark(const Coff& coff, std::size_t& position, uint8_t mark) const;
  void listSourceLine(const Coff& coff, uint32_t fileIndex, uint8_t fileNum, uint32_t lineNumber,
                      const std::string& fileName, SecondWord& secondWord);
  void listLinesPastEnd(const Coff& coff, uint32_t fileIndex, uint8_t fileNum, uint32_t lastLine,
                        const std::string& fileName, SecondWord& secondWord);
  void listCodeRows(const Coff& coff, uint8_t fileNum, uint32_t lineNumber,
                    const std::list<LstLine>& entries, const std::string& fileName,
                    SecondWord& secondWord);
  void appendCodeLineInfo(uint8_t fileNum, uint8_t flags, uint32_t lineNumber,
                          uint32_t wordAddress);
  void appendLineInfo(std::size_t window, uint8_t fileNum, uint8_t flags, uint32_t lineNumber,
                      uint16_t codeAddress);
  ProgramWords readProgramWords(const Coff& coff, const LstLine& entry) const;
  std::string disassemble(uint32_t wordAddress, const ProgramWords& words,
                          SecondWord& secondWord) const;
  void writeRow();
  void addHeaderLineInfo();
};
