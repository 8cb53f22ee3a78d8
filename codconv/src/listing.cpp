// The listing file: every source line next to the code generated for it,
// paginated, with one LineInfo record per row and per page header line.
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "banners.h"
#include "byte_order.h"
#include "coff2cod.h"
#include "diagnostics.h"
#include "file_info.h"
#include "listing_format.h"
#include "mginst.h"
#include "mgproc.h"
#include "replacement_file.h"

namespace {

const char* const kIllegalOpcode = "??? Illegal Opcode";

// Included files nest no deeper than this: each level holds an open source
// file and a stack frame, and a damaged object could nest thousands.
constexpr int kMaxIncludeDepth = 100;

// Only a plain file is listed. The names come from the object: a directory
// would list as an empty file without a word, and a device or a pipe could
// block the run or never end.
bool isPlainFile(const std::string& name) {
  std::error_code error;
  return std::filesystem::is_regular_file(name, error);
}

void reportListFileError(const std::string& name) {
  reportError("Coff2Cod::createListFile()", "Could not open list file '", name, "' for writing.");
}

}  // namespace

std::string Coff2Cod::listFileName(const Coff& coff) {
  const FileInfo objectFile(coff.cName);
  // Drive and directory of the object (path() ends with its separator).
  return objectFile.path() + objectFile.baseName() + ".lst";
}

int Coff2Cod::createListFile(const Coff& coff) {
  const std::string listName = listFileName(coff);
  // The names are read before any file is made, so that a name missing from
  // the string table ends the run without leaving a temporary behind.
  cScanIndex = std::make_unique<ListingScanIndex>(coff);
  // The listing is written beside the old one and replaces it only with
  // the COD file, once the whole run has succeeded (writeFiles).
  ReplacementFile& output = cOutputs.add([listName] { reportListFileError(listName); });
  if (!output.open(listName, true)) {
    cScanIndex.reset();
    reportListFileError(listName);
    return 0;
  }
  cListBuffer.attach(output.file());
  cListFile.clear();
  std::size_t position = 0;
  writeListHeader(1);
  while (nextSourceFile(coff, position)) {
    doNextFile(coff, position);
  }
  cScanIndex.reset();
  cListFile.flush();
  cListBuffer.attach(nullptr);
  if (cListFile.fail()) {
    reportListFileError(listName);
    return 0;
  }
  return 1;
}

void Coff2Cod::addHeaderLineInfo() {
  cLineInfo[0].push_back(LineInfo(0, COD_LINE_PAGE_HEADER, 1, 0));
}

void Coff2Cod::writeListHeader(int firstPage) {
  if (firstPage) {
    cListTime = formatCalendarTime(std::time(nullptr));
  } else {
    cListFile << "\f\n";
  }
  addHeaderLineInfo();
  cListFile << codBanner() << '\n';
  addHeaderLineInfo();
  cListFile << noticeBanner() << '\n';
  addHeaderLineInfo();
  cListFile << "Listing File Generated: " << cListTime << '\n';
  addHeaderLineInfo();
  addHeaderLineInfo();
  cListFile << '\n';
  addHeaderLineInfo();
  cListFile << kListTitleLine;
  addHeaderLineInfo();
  cListFile << kListRuleLine;
  addHeaderLineInfo();
}

void Coff2Cod::countListLine() {
  cRowCount += 1;
  if (cPageLength != 0 && cRowCount % cPageLength == 0) {
    writeListHeader(0);
  }
}

void Coff2Cod::writeRow() { cListFile << cRowText; }

int Coff2Cod::doNextFile(const Coff& coff, std::size_t& position) {
  if (!nextSourceFile(coff, position)) {
    return 1;
  }
  const std::size_t fileIndex = position;
  const auto number = cFileNum.find(static_cast<uint32_t>(fileIndex));
  const uint8_t fileNum = static_cast<uint8_t>(number == cFileNum.end() ? 0 : number->second);
  const std::string fileName = sourceFileName(coff, fileIndex);

  std::ifstream source;
  if (isPlainFile(fileName)) source.open(fileName, std::ios::in | std::ios::binary);
  if (!source.is_open()) {
    position += 1;
    reportWarning("Coff2Cod::doNextFile()", "Could not open source file '", fileName,
                  "'.\nThis file will not be present in the list file.");
    return 0;
  }

  SecondWord secondWord;
  bool onIncludedEof = false;
  // Every line listed has a line record, so a line listed past the last one
  // a record can number lost its record.
  bool unrecordedLines = false;
  uint32_t lineNumber = 0;
  while (readSourceLine(source, cSourceLine)) {
    lineNumber += 1;
    updateListState(coff, position + 1, lineNumber);
    if (cListing) {
      listSourceLine(coff, static_cast<uint32_t>(fileIndex), fileNum, lineNumber, fileName,
                     secondWord);
      unrecordedLines = unrecordedLines || lineNumber > kMaxRecordedLine;
    }
    if (cIncludeDepth < kMaxIncludeDepth && hasInclude(coff, position + 1, lineNumber)) {
      position += 1;
      cIncludeDepth += 1;
      onIncludedEof = doNextFile(coff, position) == 1;
      cIncludeDepth -= 1;
    }
  }
  source.close();
  if (unrecordedLines) {
    reportWarning("Coff2Cod::doNextFile()", "Source file '", fileName, "' has ", lineNumber,
                  " lines; the Cod file records none past line ", kMaxRecordedLine, ".");
  }
  if (cListing) {
    listLinesPastEnd(coff, static_cast<uint32_t>(fileIndex), fileNum, lineNumber, fileName,
                     secondWord);
  }
  // A file listed here ended on its own ".eof"; step over it so that this
  // file ends on its own one and the includer finds its later includes.
  if (onIncludedEof) {
    position += 1;
  }
  skipToEof(coff, position);
  return 1;
}

void Coff2Cod::listSourceLine(const Coff& coff, uint32_t fileIndex, uint8_t fileNum,
                              uint32_t lineNumber, const std::string& fileName,
                              SecondWord& secondWord) {
  const std::list<LstLine>* entries = nullptr;
  const auto byFile = cLine.find(fileIndex);
  if (byFile != cLine.end()) {
    const auto byLine = byFile->second.find(lineNumber);
    if (byLine != byFile->second.end() && !byLine->second.empty()) {
      entries = &byLine->second;
    }
  }
  if (entries == nullptr) {
    appendLineInfo(0, fileNum, COD_LINE_NO_CODE, lineNumber, 0);
    cRowText = formatListRow("", "", "", cSourceLine, fileName);
    writeRow();
    countListLine();
    return;
  }
  listCodeRows(coff, fileNum, lineNumber, *entries, fileName, secondWord);
}

// Line entries past the last line of their source (a source edited since it
// was assembled, or a damaged object) still stand for code: it is listed
// after that line, each line as a code line without source text, and keeps
// its line records, so that its words stay in the listing and the COD file.
// It follows the listing state the file ended in, like its other lines.
void Coff2Cod::listLinesPastEnd(const Coff& coff, uint32_t fileIndex, uint8_t fileNum,
                                uint32_t lastLine, const std::string& fileName,
                                SecondWord& secondWord) {
  const auto byFile = cLine.find(fileIndex);
  if (byFile == cLine.end()) {
    return;
  }
  const auto later = byFile->second.upper_bound(lastLine);
  if (later == byFile->second.end()) {
    return;
  }
  reportWarning("Coff2Cod::doNextFile()", "Source file '", fileName, "' has ", lastLine,
                " lines; the code of later lines is listed without its source.");
  cSourceLine.clear();
  for (auto line = later; line != byFile->second.end(); ++line) {
    listCodeRows(coff, fileNum, line->first, line->second, fileName, secondWord);
  }
}

// One row per line entry: the source text and file name on the first only.
void Coff2Cod::listCodeRows(const Coff& coff, uint8_t fileNum, uint32_t lineNumber,
                            const std::list<LstLine>& entries, const std::string& fileName,
                            SecondWord& secondWord) {
  bool firstRow = true;
  for (const LstLine& entry : entries) {
    const uint8_t flags = firstRow ? COD_LINE_FIRST_ADDRESS : COD_LINE_MORE_ADDRESS;
    appendCodeLineInfo(fileNum, flags, lineNumber, entry.l_paddr);
    const ProgramWords words = readProgramWords(coff, entry);
    const std::string disassembly = disassemble(entry.l_paddr, words, secondWord);
    cRowText = formatListRow(formatListAddress(entry.l_paddr),
                             words.present ? formatListValue(words.first) : "", disassembly,
                             firstRow ? cSourceLine : "", firstRow ? fileName : "");
    writeRow();
    countListLine();
    firstRow = false;
  }
}

// Line information of a code address belongs to the directory of its window.
void Coff2Cod::appendCodeLineInfo(uint8_t fileNum, uint8_t flags, uint32_t lineNumber,
                                  uint32_t wordAddress) {
  const std::size_t window = wordAddress / (COD_WINDOW_SIZE / cBytesPerWord);
  appendLineInfo(window < cLineInfo.size() ? window : 0, fileNum, flags, lineNumber,
                 static_cast<uint16_t>(wordAddress));
}

// A line record holds its line number in 16 bits: a later line would be
// recorded as an earlier line of its file, so it gets no record at all.
void Coff2Cod::appendLineInfo(std::size_t window, uint8_t fileNum, uint8_t flags,
                              uint32_t lineNumber, uint16_t codeAddress) {
  if (lineNumber > kMaxRecordedLine) {
    return;
  }
  cLineInfo[window].push_back(
      LineInfo(fileNum, flags, static_cast<uint16_t>(lineNumber), codeAddress));
}

// The word at the entry's address and the one after it, read only where
// the section's data holds them.
Coff2Cod::ProgramWords Coff2Cod::readProgramWords(const Coff& coff, const LstLine& entry) const {
  ProgramWords words;
  const auto header = coff.cScnHdr.find(entry.secName);
  const auto data = coff.cRawData.find(entry.secName);
  if (header == coff.cScnHdr.end() || data == coff.cRawData.end()) {
    return words;
  }
  const int64_t offset =
      (static_cast<int64_t>(entry.l_paddr) - static_cast<int64_t>(header->second.s_paddr)) *
      cBytesPerWord;
  const int64_t size = data->second.size();
  if (offset < 0 || offset + 2 > size) {
    return words;
  }
  const uint8_t* bytes = data->second.data() + offset;
  words.present = true;
  words.first = readLe16(bytes);
  if (offset + 4 <= size) {
    words.second = readLe16(bytes + 2);
  }
  return words;
}

// The disassembly column of one row. The row at the second word of a
// two-word instruction shows no text of its own.
std::string Coff2Cod::disassemble(uint32_t wordAddress, const ProgramWords& words,
                                  SecondWord& secondWord) const {
  const bool isSecondWord = secondWord.pending && secondWord.address == wordAddress;
  secondWord.pending = false;
  if (!words.present || isSecondWord) {
    return "";
  }
  const CoreFamily family = procFamily(cProcessor);
  if (!instIsValid(words.first, family)) {
    return kIllegalOpcode;
  }
  uint8_t wordCount = 1;
  std::string text = instDisassemble(wordAddress, words.first, words.second, &wordCount, family);
  if (wordCount == 2) {
    secondWord.pending = true;
    secondWord.address = wordAddress + 2 / cBytesPerWord;
  }
  return text;
}
