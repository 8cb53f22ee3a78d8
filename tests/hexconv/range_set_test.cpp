// The "/r" range lookup: sorted and merged once, asked by binary search, and
// always of the same answer as asking every range in turn.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "coff2hex.h"
#include "range_set.h"

namespace {

// The rule the lookup must keep: some range given holds the address.
bool anyRangeHolds(const std::vector<AddrRange>& ranges, uint32_t address) {
  return std::any_of(ranges.begin(), ranges.end(),
                     [&](const AddrRange& range) { return range.contains(address) != 0; });
}

// Ends the random lists below do not reach: the top of the address space,
// where one past a range's end wraps round to 0.
TEST(RangeSet, TopOfTheAddressSpace) {
  const RangeSet top({{0xFFFFFFF0, 0xFFFFFFFF}, {0, 0}, {0x10, 0x20}});
  for (uint32_t address : {0u, 0x10u, 0x20u, 0xFFFFFFF0u, 0xFFFFFFFFu})
    EXPECT_EQ(Coff2Hex::inRanges(address, top), 1) << address;
  for (uint32_t address : {1u, 0x21u, 0xFFFFFFEFu}) EXPECT_EQ(Coff2Hex::inRanges(address, top), 0);
  const RangeSet whole({{5, 6}, {0, 0xFFFFFFFF}, {0xFFFFFFFF, 0xFFFFFFFF}});
  for (uint32_t address : {0u, 4u, 7u, 0xFFFFFFFFu}) EXPECT_TRUE(whole.contains(address));
}

// Random lists of up to 40 short ranges over a small space, so that they
// overlap, touch and nest often; every address of the space is asked.
TEST(RangeSet, RandomListsAgreeWithTheLinearRule) {
  std::mt19937 random(20);
  std::uniform_int_distribution<uint32_t> count(0, 40), start(0, 200), length(0, 12);
  for (int round = 0; round < 300; ++round) {
    std::vector<AddrRange> ranges(count(random));
    for (AddrRange& range : ranges) {
      range.cStart = start(random);
      range.cEnd = range.cStart + length(random);
    }
    const RangeSet set(ranges);
    for (uint32_t address = 0; address <= 220; ++address) {
      ASSERT_EQ(set.contains(address), anyRangeHolds(ranges, address))
          << "round " << round << " address " << address;
    }
  }
}

}  // namespace
