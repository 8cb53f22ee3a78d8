#include "range_set.h"

#include <algorithm>

RangeSet::RangeSet(std::vector<AddrRange> ranges) {
  std::sort(ranges.begin(), ranges.end(),
            [](const AddrRange& a, const AddrRange& b) { return a.cStart < b.cStart; });
  for (const AddrRange& range : ranges) {
    // A range that starts at most one past the last kept one extends it; the
    // sum is taken in 64 bits so that a range ending at the top address does
    // not wrap round onto address 0.
    if (!cRanges.empty() && range.cStart <= uint64_t{cRanges.back().cEnd} + 1) {
      cRanges.back().cEnd = std::max(cRanges.back().cEnd, range.cEnd);
    } else {
      cRanges.push_back(range);
    }
  }
}

bool RangeSet::contains(uint32_t address) const {
  // The last range that starts at or before the address is the only one
  // that can hold it.
  auto after = std::upper_bound(
      cRanges.begin(), cRanges.end(), address,
      [](uint32_t value, const AddrRange& range) { return value < range.cStart; });
  return after != cRanges.begin() && std::prev(after)->cEnd >= address;
}
