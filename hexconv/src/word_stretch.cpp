#include "word_stretch.h"

std::vector<WordStretch> wordStretches(const std::vector<HexRange>& ranges) {
  std::vector<WordStretch> stretches;
  uint64_t end = 0;  // one past the last byte of the range before
  for (const HexRange& range : ranges) {
    if (range.cData.size() == 0) continue;
    // Only a range of one byte per address can end or start inside a word.
    if (!stretches.empty() && end % 2 != 0 && range.cStart == end) {
      stretches.back().ranges.push_back(&range);
    } else {
      stretches.push_back({range.cStart / 2, 0, {&range}});
    }
    end = uint64_t{range.cStart} + range.cData.size();
    stretches.back().words = static_cast<uint32_t>((end + 1) / 2 - stretches.back().firstWord);
  }
  return stretches;
}

StretchBytes::StretchBytes(const WordStretch& stretch)
    : cRanges(stretch.ranges), cAddress(uint64_t{stretch.firstWord} * 2) {}

uint8_t StretchBytes::next() {
  uint8_t value = 0x00;
  if (cIndex < cRanges.size() && cAddress >= cRanges[cIndex]->cStart) {
    const HexRange& range = *cRanges[cIndex];
    const uint64_t offset = cAddress - range.cStart;
    value = range.cData.data()[offset];
    // The ranges of a stretch follow each other without a gap.
    if (offset + 1 == range.cData.size()) ++cIndex;
  }
  ++cAddress;
  return value;
}
