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

struct LookupCase {
  const char* what;
  std::vector<AddrRange> ranges;
  std::vector<uint32_t> inside;
  std::vector<uint32_t> outside;
};

TEST(RangeSet, AnswersAsEveryRangeWould) {
  const std::vector<LookupCase> cases = {
      {"none", {}, {}, {0, 0xFFFFFFFF}},
      {"unsorted", {{0x50, 0x60}, {0x10, 0x20}}, {0x10, 0x20, 0x50, 0x60}, {0xF, 0x21, 0x4F, 0x61}},
      {"nested", {{0x10, 0x40}, {0x20, 0x30}, {0x35, 0x38}}, {0x10, 0x31, 0x39, 0x40}, {0x41}},
      {"touching", {{0x21, 0x30}, {0x10, 0x20}}, {0x20, 0x21}, {0xF, 0x31}},
      {"overlap extends", {{0x10, 0x20}, {0x18, 0x28}, {0x30, 0x30}}, {0x28, 0x30}, {0x29, 0x2F}},
      {"one address", {{7, 7}}, {7}, {6, 8}},
      {"top of the addresses", {{0xFFFFFFF0, 0xFFFFFFFF}, {0, 0}}, {0, 0xFFFFFFFF}, {1, 0xFFFFFFEF}},
      {"whole space", {{0, 0xFFFFFFFF}, {5, 6}}, {0, 4, 7, 0xFFFFFFFF}, {}},
  };
  for (const LookupCase& c : cases) {
    const RangeSet set(c.ranges);
    for (uint32_t address : c.inside) {
      EXPECT_TRUE(set.contains(address)) << c.what << " " << address;
      EXPECT_EQ(Coff2Hex::inRanges(address, set), 1) << c.what << " " << address;
    }
    for (uint32_t address : c.outside) EXPECT_FALSE(set.contains(address)) << c.what << " " << address;
  }
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
