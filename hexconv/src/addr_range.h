// One "/r" range of program-memory addresses, both ends inclusive.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

class AddrRange {
 public:
  AddrRange() = default;
  AddrRange(uint32_t start, uint32_t end) : cStart(start), cEnd(end) {}

  int contains(uint32_t address) const { return cStart <= address && address <= cEnd ? 1 : 0; }
  void dump(std::ostream& out) const;
  // "0xBBBBBBBB-0xEEEEEEEE", as the switch spells a range.
  std::string text() const;

  uint32_t cStart = 0;
  uint32_t cEnd = 0;
};

// The ranges in the order given, separated by ", ": for messages.
std::string rangesText(const std::vector<AddrRange>& ranges);
