// The map file's program memory usage: the program addresses that sections
// occupy, joined into blocks of adjacent addresses, and the share of
// program memory they take.
#include "map_file_parts.h"
#include "text_helpers.h"

namespace {

void writeBlockRow(std::ostream& out, const std::string& start, const std::string& end) {
  out << std::string(26, ' ') << rightColumn(start, 10) << "  " << rightColumn(end, 10)
      << "      \n";
}

// Whole words: a part word still takes an address. Counted in 32 bits, as
// a section can be larger than 65535 words.
uint32_t wordsOf(const SectionInfo& section, uint32_t bytesPerWord) {
  return section.cSize / bytesPerWord + (section.cSize % bytesPerWord != 0 ? 1 : 0);
}

// The used share in whole percent; full when all (or more) is used or when
// there is no program memory to share.
uint32_t utilization(uint32_t used, uint32_t programAddressCount) {
  if (programAddressCount == 0 || used >= programAddressCount) return 100;
  return static_cast<uint32_t>(uint64_t{used} * 100 / programAddressCount);
}

}  // namespace

void writeProgramUsage(std::ostream& out, const std::vector<SectionInfo>& programSections,
                       uint32_t bytesPerWord, uint32_t programAddressCount) {
  out << "\n                              Program Memory Usage \n";
  writeBlockRow(out, "Start", "End");
  writeBlockRow(out, "---------", "---------");
  uint32_t used = 0;
  bool inBlock = false;
  uint32_t blockStart = 0;
  uint32_t blockEnd = 0;
  for (const SectionInfo& section : programSections) {
    const uint32_t words = wordsOf(section, bytesPerWord);
    used += words;
    // An empty section occupies nothing, so it neither starts nor breaks a
    // block.
    if (words == 0) continue;
    if (inBlock && section.cAddress == blockEnd + 1) {
      blockEnd += words;
      continue;
    }
    if (inBlock) writeBlockRow(out, formatHex(blockStart, 3), formatHex(blockEnd, 3));
    inBlock = true;
    blockStart = section.cAddress;
    blockEnd = section.cAddress + words - 1;
  }
  // No block when no program section holds anything: no line for it.
  if (inBlock) writeBlockRow(out, formatHex(blockStart, 3), formatHex(blockEnd, 3));
  out << "            " << used << " out of " << programAddressCount
      << " program addresses used, program memory utilization is "
      << utilization(used, programAddressCount) << "%\n\n\n";
}
