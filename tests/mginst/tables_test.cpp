// Integrity of the pattern tables themselves: well-formed rows, one row per
// id, and no overlaps beyond the ones the precedence resolves.
#include <gtest/gtest.h>

#include <set>

#include "family_cases.h"
#include "mginst_tables.h"

namespace {

TEST(PatternTables, RowsAreWellFormedAndIdsUnique) {
  for (const FamilyCase& fc : kFamilies) {
    SCOPED_TRACE(fc.name);
    std::set<OpcodeId> ids;
    for (const mginst::InstPattern& row : mginst::familyPatterns(fc.family)) {
      EXPECT_EQ(row.mask & ~fc.widthMask, 0) << instMnemonic(row.id);
      EXPECT_EQ(row.value & ~row.mask, 0) << instMnemonic(row.id);
      EXPECT_NE(row.form, nullptr) << instMnemonic(row.id);
      EXPECT_TRUE(ids.insert(row.id).second) << instMnemonic(row.id) << " listed twice";
      EXPECT_LT(row.id, BANKSEL);
    }
  }
}

// Words covered by more than one pattern: only those the precedence
// settles (Vesk TRIS over NOP and the whole-word ones over TRIS; Zarn the
// whole-word ones over TRIS).
TEST(PatternTables, OnlyTheKnownOverlaps) {
  const std::set<uint16_t> veskOverlaps = {0x0060, 0x0062, 0x0063, 0x0064};
  const std::set<uint16_t> zarnOverlaps = {0x0000, 0x0002, 0x0003, 0x0004};
  for (const FamilyCase& fc : kFamilies) {
    SCOPED_TRACE(fc.name);
    const std::set<uint16_t>& allowed = fc.family == CORE_VESK   ? veskOverlaps
                                        : fc.family == CORE_ZARN ? zarnOverlaps
                                                                 : std::set<uint16_t>{};
    std::set<uint16_t> overlaps;
    for (uint32_t w = 0; w <= fc.widthMask; ++w) {
      int matches = 0;
      for (const mginst::InstPattern& row : mginst::familyPatterns(fc.family)) {
        if ((w & row.mask) == row.value) ++matches;
      }
      if (matches > 1) overlaps.insert(static_cast<uint16_t>(w));
    }
    EXPECT_EQ(overlaps, allowed);
  }
}

}  // namespace
