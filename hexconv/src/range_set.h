// The "/r" ranges as one sorted list of disjoint ranges, so that asking
// whether an address is selected costs a binary search, however many ranges
// were given and however often they overlap.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "addr_range.h"

class RangeSet {
 public:
  RangeSet() = default;
  // Every address of `ranges` is in the set, and no other.
  RangeSet(std::vector<AddrRange> ranges);
  RangeSet(std::initializer_list<AddrRange> ranges) : RangeSet(std::vector<AddrRange>(ranges)) {}

  bool empty() const { return cRanges.empty(); }
  bool contains(uint32_t address) const;

 private:
  // Sorted by start; no two overlap or touch.
  std::vector<AddrRange> cRanges;
};
