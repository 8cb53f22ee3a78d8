// The program image of the COD file: the 64 K windows with their
// directories, the code blocks and the memory map.
#include <algorithm>
#include <cstring>
#include <iostream>
#include <utility>
#include <vector>

#include "coff2cod.h"
#include "debug_switches.h"
#include "diagnostics.h"
#include "text_helpers.h"

namespace {

constexpr uint64_t kLastByteAddress = 0xFFFFFFFFu;

// Copies bytes into a window's code blocks from the byte offset `start` of
// the window on. A block that already exists keeps its other bytes, so
// sections sharing a 512-byte stretch share its block.
void copyIntoBlocks(std::map<uint16_t, Block>& blocks, uint32_t start, const uint8_t* bytes,
                    uint32_t count) {
  while (count > 0) {
    const uint16_t key = static_cast<uint16_t>(start / COD_BLOCK_SIZE);
    const uint32_t from = start % COD_BLOCK_SIZE;
    const uint32_t length = std::min<uint32_t>(count, COD_BLOCK_SIZE - from);
    std::memcpy(blocks[key].data() + from, bytes, length);
    start += length;
    bytes += length;
    count -= length;
  }
}

}  // namespace

// Appends directories (with their empty tables) until there are `count`.
void Coff2Cod::addWindows(std::size_t count) {
  while (cDirectory.size() < count) {
    Directory directory;
    directory.HighAddr = static_cast<uint16_t>(cDirectory.size());
    cDirectory.push_back(directory);
  }
  while (cCode.size() < count) {
    cMemoryMap.emplace_back();
    cCode.emplace_back();
    cLineInfo.emplace_back();
  }
}

int Coff2Cod::createRawDataAndMemoryMap(const Coff& coff) {
  addWindows(1);

  std::vector<std::pair<std::string, uint32_t>> sections;
  for (const auto& [name, header] : coff.cScnHdr) {
    const uint8_t type = Coff::sectionType(header);
    if (type != SECTION_CODE && type != SECTION_ROMDATA) {
      continue;
    }
    const auto data = coff.cRawData.find(name);
    if (data == coff.cRawData.end() || data->second.size() == 0) {
      continue;
    }
    sections.emplace_back(name, header.s_paddr);
  }
  // Sections at the same address stay in name order.
  std::stable_sort(sections.begin(), sections.end(),
                   [](const auto& a, const auto& b) { return a.second < b.second; });

  if (traceOn("Coff2Cod::createRawDataAndMemoryMap")) {
    std::cout << "Coff2Cod::createRawDataAndMemoryMap: " << std::endl;
    for (const auto& [name, address] : sections) {
      std::cout << "  scnName=" << name << ", addr=" << formatHex(address, 4) << std::endl;
    }
  }

  if (sections.empty()) {
    reportError("Coff2Cod::createRawDataAndMemoryMap()", "Coff file '", coff.cName,
                "' must contain at least one 'code' or 'romdata' section.");
    return 0;
  }
  for (const auto& [name, address] : sections) {
    if (!copySectionBytes(coff, name, address)) {
      return 0;
    }
  }
  return 1;
}

// Places one section's bytes at byte address bytes-per-word x word address.
// A section that crosses a window boundary is split: each window gets its
// own part of the bytes, its code blocks and its memory map entry.
int Coff2Cod::copySectionBytes(const Coff& coff, const std::string& name, uint32_t address) {
  const Data& data = coff.cRawData.at(name);
  const uint64_t first = static_cast<uint64_t>(cBytesPerWord) * address;
  const uint64_t last = first + data.size() - 1;
  if (last > kLastByteAddress) {
    reportError("Coff2Cod::createRawDataAndMemoryMap()", "Coff file '", coff.cName, "', section '",
                name, "' lies beyond the addresses a COD file can hold.");
    return 0;
  }
  uint64_t position = first;
  const uint8_t* bytes = data.data();
  while (position <= last) {
    const uint32_t window = static_cast<uint32_t>(position >> 16);
    const uint64_t windowLast = (static_cast<uint64_t>(window) << 16) | 0xFFFF;
    const uint64_t pieceLast = std::min(last, windowLast);
    const uint32_t start = static_cast<uint32_t>(position & 0xFFFF);
    const uint32_t end = static_cast<uint32_t>(pieceLast & 0xFFFF);
    addWindows(static_cast<std::size_t>(window) + 1);
    // With two bytes a word, a piece ending inside a word ends on its odd byte.
    const uint32_t mapLast = end + ((end + 1) % cBytesPerWord);
    cMemoryMap[window].push_back(
        MemoryMap(static_cast<uint16_t>(start), static_cast<uint16_t>(mapLast)));
    const uint32_t count = end - start + 1;
    copyIntoBlocks(cCode[window], start, bytes, count);
    bytes += count;
    position = pieceLast + 1;
  }
  return 1;
}
