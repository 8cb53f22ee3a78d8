// Block counts and block numbering of the COD file.
#include <cstdlib>
#include <ctime>
#include <iostream>

#include "cod.h"
#include "debug_switches.h"
#include "qassert.h"

namespace {

uint32_t ceilDiv(std::size_t count, std::size_t perBlock) {
  return static_cast<uint32_t>((count + perBlock - 1) / perBlock);
}

// Blocks of a table of variable-size records: a record never straddles two
// blocks, one that ends exactly at the block end stays in it.
template <class Record>
uint32_t countVariableBlocks(const std::list<Record>& records) {
  uint32_t count = 0;
  std::size_t used = 0;
  for (const Record& record : records) {
    std::size_t size = record.size();
    if (count == 0) count = 1;
    if (used + size > COD_BLOCK_SIZE) {
      ++count;
      used = 0;
    }
    used += size;
  }
  return count;
}

std::size_t localGroupRecords(const std::list<LocalGroup>& groups) {
  std::size_t records = 0;
  for (const LocalGroup& group : groups) records += group.Symbols.size() + 1;
  return records;
}

// Sets a table's first and last block when it has any, and moves the
// counter past it. An empty table keeps 0 in both pointers.
void assignBlocks(uint32_t& next, uint32_t count, uint16_t& first, uint16_t& last) {
  if (count > 0) {
    first = static_cast<uint16_t>(next);
    last = static_cast<uint16_t>(next + count - 1);
  } else {
    first = 0;
    last = 0;
  }
  next += count;
}

void stampDateAndTime(Directory& directory) {
  std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  if (local == nullptr) return;  // no calendar time: date and time stay empty
  char text[81] = {};
  std::strftime(text, sizeof(text), "%d%b%y", local);
  directory.setDate(text);
  char hourMinute[16] = {};
  std::strftime(hourMinute, sizeof(hourMinute), "%H%M", local);
  directory.Time = static_cast<uint16_t>(std::strtoul(hourMinute, nullptr, 10));
}

}  // namespace

uint32_t CodBlockCounts::total() const {
  return directory + rawData + symbol + sourceName + lineInfo + localGroup + memMap + longSymbol +
         debug;
}

CodBlockCounts Cod::blockCounts() const {
  CodBlockCounts counts;
  counts.directory = static_cast<uint32_t>(cDirectory.size());
  for (const auto& blocks : cCode) counts.rawData += static_cast<uint32_t>(blocks.size());
  counts.symbol = ceilDiv(cSymbol.size(), COD_BLOCK_SIZE / Symbol::SIZE);
  counts.sourceName = ceilDiv(cSourceName.size(), COD_BLOCK_SIZE / SourceName::SIZE);
  for (const auto& lines : cLineInfo)
    counts.lineInfo += ceilDiv(lines.size(), COD_BLOCK_SIZE / LineInfo::SIZE);
  counts.localGroup =
      ceilDiv(localGroupRecords(cLocalGroup), COD_BLOCK_SIZE / LocalGroup::RECORD_SIZE);
  for (const auto& map : cMemoryMap)
    counts.memMap += ceilDiv(map.size(), COD_BLOCK_SIZE / MemoryMap::SIZE);
  counts.longSymbol = countVariableBlocks(cLongSymbol);
  counts.debug = countVariableBlocks(cDebugMsg);
  return counts;
}

void Cod::preWrite() {
  // Block 0 is always a directory, so a file has at least one.
  if (cDirectory.empty()) cDirectory.emplace_back();
  std::size_t directories = cDirectory.size();
  QOR_ASSERT(cCode.size() <= directories && cLineInfo.size() <= directories &&
             cMemoryMap.size() <= directories);
  cCode.resize(directories);
  cLineInfo.resize(directories);
  cMemoryMap.resize(directories);

  CodBlockCounts counts = blockCounts();
  if (traceOn("Cod::preWrite")) {
    std::cout << "Cod::preWrite()- dump of block mappings:\n"
              << "  numDirectoryBlock=" << counts.directory << "\n"
              << "  numRawDataBlock=" << counts.rawData << "\n"
              << "  numSymbolBlock=" << counts.symbol << "\n"
              << "  numSourceNameBlock=" << counts.sourceName << "\n"
              << "  numLineInfoBlock=" << counts.lineInfo << "\n"
              << "  numLocalGroupBlock=" << counts.localGroup << "\n"
              << "  numMemMapBlock=" << counts.memMap << "\n"
              << "  numLongBlock=" << counts.longSymbol << "\n"
              << "  numDebugBlock=" << counts.debug << "\n";
  }

  uint32_t next = counts.directory;
  for (std::size_t k = 0; k < directories; ++k) {
    Directory& directory = cDirectory[k];
    for (const auto& [key, block] : cCode[k]) {
      QOR_ASSERT(key < COD_INDEX_ENTRIES);
      directory.Index[key] = static_cast<uint16_t>(next++);
    }
    directory.NextDir = static_cast<uint16_t>(k + 1 < directories ? k + 1 : 0);
  }

  Directory& first = cDirectory[0];
  assignBlocks(next, counts.symbol, first.SymTab, first.SymEnd);
  assignBlocks(next, counts.sourceName, first.NamTab, first.NamEnd);
  for (std::size_t k = 0; k < directories; ++k) {
    uint32_t count = ceilDiv(cLineInfo[k].size(), COD_BLOCK_SIZE / LineInfo::SIZE);
    assignBlocks(next, count, cDirectory[k].LineTab, cDirectory[k].LineEnd);
  }
  assignBlocks(next, counts.localGroup, first.LocalVars, first.LocalEnd);
  for (std::size_t k = 0; k < directories; ++k) {
    uint32_t count = ceilDiv(cMemoryMap[k].size(), COD_BLOCK_SIZE / MemoryMap::SIZE);
    assignBlocks(next, count, cDirectory[k].MemMapOfs, cDirectory[k].MemMapEnd);
  }
  assignBlocks(next, counts.longSymbol, first.LSymTab, first.LSymEnd);
  assignBlocks(next, counts.debug, first.MessTab, first.MessEnd);

  stampDateAndTime(first);
}
