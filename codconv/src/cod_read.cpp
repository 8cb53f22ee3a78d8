// Reading a COD file back into a Cod. The file is outside input: every block
// number is checked against the real file size before the block is read,
// the directory chain is followed at most once per block, and a damaged
// table is reported instead of read past.
#include <algorithm>
#include <functional>
#include <set>

#include "bounded_reader.h"
#include "byte_order.h"
#include "cod.h"
#include "diagnostics.h"

namespace {

const char MAKE_CONTEXT[] = "Cod::make()";

class BlockReader {
 public:
  explicit BlockReader(const std::string& fileName)
      : cSource(fileName), cBlockCount(cSource.length() / COD_BLOCK_SIZE) {}

  bool isOpen() const { return cSource.isOpen(); }

  // Reads whole block `number`; false when the file does not hold it. In a
  // sound file every block is read at most once, and only the blocks that
  // 16-bit numbers reach, so reads beyond the file's block count or beyond
  // that limit mean tables that overlap, and the read is refused: damaged
  // pointers cannot multiply the work or the memory, however large the file.
  bool read(uint32_t number, Block& block) {
    if (number >= cBlockCount || cReads >= std::min<uint64_t>(cBlockCount, COD_MAX_BLOCKS))
      return false;
    ++cReads;
    return cSource.read(uint64_t{number} * COD_BLOCK_SIZE, COD_BLOCK_SIZE, block.data());
  }

  uint64_t blockCount() const { return cBlockCount; }

 private:
  BoundedReader cSource;
  uint64_t cBlockCount;
  uint64_t cReads = 0;
};

// Hands each block of a table, first to last, to `take`; a first block of 0
// is an empty table. False when a block is missing, the range runs
// backwards, or `take` refuses a block.
bool readTable(BlockReader& reader, uint16_t first, uint16_t last,
               const std::function<bool(const Block&)>& take) {
  if (first == 0) return true;
  if (last < first) return false;
  Block block;
  for (uint32_t number = first; number <= last; ++number) {
    if (!reader.read(number, block) || !take(block)) return false;
  }
  return true;
}

// Fixed-size records, `Record::SIZE` bytes each, whole records only.
template <class Record>
void takeRecords(const Block& block, std::list<Record>& out, bool (*isEmpty)(const Record&)) {
  for (std::size_t offset = 0; offset + Record::SIZE <= COD_BLOCK_SIZE; offset += Record::SIZE) {
    Record record = Record::unpack(block.data() + offset);
    if (!isEmpty(record)) out.push_back(record);
  }
}

bool isEmptySymbol(const Symbol& s) { return s.NameLen == 0; }
bool isEmptySourceName(const SourceName& s) { return s.FileNameLen == 0; }
bool isEmptyLineInfo(const LineInfo& l) { return l == LineInfo(); }
bool isEmptyMemoryMap(const MemoryMap& m) { return m.Start == 0 && m.Last == 0; }

bool takeLongSymbols(const Block& block, std::list<LongSymbol>& out) {
  const uint8_t* bytes = block.data();
  std::size_t offset = 0;
  while (offset < COD_BLOCK_SIZE && bytes[offset] != 0) {
    std::size_t nameLength = bytes[offset];
    if (offset + nameLength + LongSymbol::FIXED_SIZE > COD_BLOCK_SIZE) return false;
    const uint8_t* name = bytes + offset + 1;
    LongSymbol symbol(std::string(reinterpret_cast<const char*>(name), nameLength),
                      readLe16(name + nameLength), readBe32(name + nameLength + 2));
    out.push_back(symbol);
    offset += nameLength + LongSymbol::FIXED_SIZE;
  }
  return true;
}

bool takeDebugMsgs(const Block& block, std::list<DebugMsg>& out) {
  const uint8_t* bytes = block.data();
  std::size_t offset = 0;
  while (offset + DebugMsg::FIXED_SIZE <= COD_BLOCK_SIZE && bytes[offset + 5] != 0) {
    std::size_t textLength = bytes[offset + 5];
    if (offset + textLength + DebugMsg::FIXED_SIZE > COD_BLOCK_SIZE) return false;
    const uint8_t* record = bytes + offset;
    out.emplace_back(readBe32(record), static_cast<char>(record[4]),
                     std::string(reinterpret_cast<const char*>(record + 6), textLength));
    offset += textLength + DebugMsg::FIXED_SIZE;
  }
  return true;
}

// A header record opens a group; every other record with a name is a symbol
// of the open group. Empty records pad the last block.
bool takeLocalGroups(const Block& block, std::list<LocalGroup>& out) {
  for (std::size_t offset = 0; offset < COD_BLOCK_SIZE; offset += LocalGroup::RECORD_SIZE) {
    const uint8_t* record = block.data() + offset;
    if (LocalGroup::isHeader(record)) {
      LocalGroup group;
      group.StartAddr = readLe32(record + 8);
      group.EndAddr = readLe32(record + 12);
      out.push_back(group);
    } else if (record[0] != 0) {
      if (out.empty()) return false;
      out.back().Symbols.push_back(Symbol::unpack(record));
    }
  }
  return true;
}

void reportBadFile(const std::string& fileName, const std::string& what) {
  reportMessage(SEVERITY_ERROR, MAKE_CONTEXT,
                "Cod file '" + fileName + "'" + "' does not have " + what, 0);
}

// Block 0 and every directory that NextDir leads to; a chain that leaves
// the file or comes back to a directory already read is malformed.
bool readDirectories(BlockReader& reader, const std::string& fileName, Cod& cod) {
  Block block;
  if (!reader.read(0, block)) {
    reportBadFile(fileName, "a properly formed first directory.");
    return false;
  }
  cod.cDirectory.push_back(Directory::unpack(block.data()));
  std::set<uint16_t> seen = {0};
  while (uint16_t next = cod.cDirectory.back().NextDir) {
    if (!seen.insert(next).second || !reader.read(next, block)) {
      reportBadFile(fileName, "a properly formed linked directory.");
      return false;
    }
    cod.cDirectory.push_back(Directory::unpack(block.data()));
  }
  std::size_t directories = cod.cDirectory.size();
  cod.cLineInfo.resize(directories);
  cod.cMemoryMap.resize(directories);
  cod.cCode.resize(directories);
  return true;
}

template <class Record>
bool readRecords(BlockReader& reader, uint16_t first, uint16_t last, std::list<Record>& out,
                 bool (*isEmpty)(const Record&)) {
  return readTable(reader, first, last, [&](const Block& block) {
    takeRecords(block, out, isEmpty);
    return true;
  });
}

// The tables in file order; the first damaged one is reported.
bool readTables(BlockReader& reader, const std::string& fileName, Cod& cod) {
  auto sound = [&](bool ok, const char* what) {
    if (!ok) reportBadFile(fileName, what);
    return ok;
  };
  const Directory& first = cod.cDirectory[0];
  if (!sound(readRecords(reader, first.SymTab, first.SymEnd, cod.cSymbol, isEmptySymbol),
             "a proper symbol table.") ||
      !sound(readRecords(reader, first.NamTab, first.NamEnd, cod.cSourceName, isEmptySourceName),
             "a proper name table.")) {
    return false;
  }
  for (std::size_t k = 0; k < cod.cDirectory.size(); ++k) {
    const Directory& directory = cod.cDirectory[k];
    if (!sound(readRecords(reader, directory.LineTab, directory.LineEnd, cod.cLineInfo[k],
                           isEmptyLineInfo),
               "a proper line info table.") ||
        !sound(readRecords(reader, directory.MemMapOfs, directory.MemMapEnd, cod.cMemoryMap[k],
                           isEmptyMemoryMap),
               "a proper memory map table.")) {
      return false;
    }
  }
  return sound(readTable(reader, first.LSymTab, first.LSymEnd,
                         [&](const Block& b) { return takeLongSymbols(b, cod.cLongSymbol); }),
               "a proper long symbol table.") &&
         sound(readTable(reader, first.LocalVars, first.LocalEnd,
                         [&](const Block& b) { return takeLocalGroups(b, cod.cLocalGroup); }),
               "a proper local vars table.") &&
         sound(readTable(reader, first.MessTab, first.MessEnd,
                         [&](const Block& b) { return takeDebugMsgs(b, cod.cDebugMsg); }),
               "a proper debug message table.");
}

bool readCode(BlockReader& reader, const std::string& fileName, Cod& cod) {
  for (std::size_t k = 0; k < cod.cDirectory.size(); ++k) {
    for (std::size_t i = 0; i < COD_INDEX_ENTRIES; ++i) {
      uint16_t number = cod.cDirectory[k].Index[i];
      if (number == 0) continue;
      Block block;
      if (!reader.read(number, block)) {
        reportBadFile(fileName, "a proper Index.");
        return false;
      }
      cod.cCode[k][static_cast<uint16_t>(i)] = block;
    }
  }
  return true;
}

}  // namespace

std::unique_ptr<Cod> Cod::make(const std::string& fileName) {
  BlockReader reader(fileName);
  if (!reader.isOpen()) {
    reportMessage(SEVERITY_ERROR, MAKE_CONTEXT,
                  "Could not open Cod file '" + fileName + "' for reading.", 0);
    return nullptr;
  }
  auto cod = std::make_unique<Cod>();
  if (!readDirectories(reader, fileName, *cod) || !readTables(reader, fileName, *cod) ||
      !readCode(reader, fileName, *cod)) {
    return nullptr;
  }
  cod->cFileName = fileName;
  return cod;
}
