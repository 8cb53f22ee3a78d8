// Program size of the target and the bytes per address of each memory.
#include <gtest/gtest.h>

#include <string>

#include "linker.h"

namespace {

TEST(LinkerSizes, ProgramSizeAddsEveryCodePage) {
  struct Case {
    std::vector<std::pair<uint32_t, uint32_t>> pages;
    uint32_t size;
  };
  const Case cases[] = {
      {{}, 0},
      {{{0x000, 0x1FF}, {0x200, 0x3FF}}, 1024},
      {{{0x800, 0x800}}, 1},
      {{{0, 0x7FF}, {0x1000, 0x17FF}, {0x2000, 0x27FF}}, 0x1800},
  };
  for (const Case& c : cases) {
    Linker linker;
    std::string error;
    int index = 0;
    for (auto [start, end] : c.pages) {
      ASSERT_EQ(
          linker.addCodePage(Memory("p" + std::to_string(index++), start, end, 0, 0, 0, ""), error),
          1);
    }
    // Data memory is not program memory.
    ASSERT_EQ(linker.addDataBank(Memory("d", 0, 0xFF, 1, 0, 0, ""), error), 1);
    EXPECT_EQ(linker.programSize(), c.size);
  }
}

TEST(LinkerSizes, WidthInBytesRoundsBitsUpToBytes) {
  struct Case {
    uint16_t romBits;
    uint16_t ramBits;
    uint32_t romBytes;
    uint32_t ramBytes;
  };
  for (const Case& c : {Case{8, 8, 1, 1}, Case{12, 8, 2, 1}, Case{14, 8, 2, 1}, Case{16, 8, 2, 1},
                        Case{16, 16, 2, 2}, Case{1, 9, 1, 2}}) {
    Linker linker;
    linker.cRomWidthBits = c.romBits;
    linker.cRamWidthBits = c.ramBits;
    EXPECT_EQ(linker.widthInBytes(Linker::rom), c.romBytes) << c.romBits;
    EXPECT_EQ(linker.widthInBytes(Linker::ram), c.ramBytes) << c.ramBits;
  }
}

class LinkerSizesDeathTest : public testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

// Asking before the processor set the widths, or for a third kind of
// memory, is a broken invariant.
TEST_F(LinkerSizesDeathTest, WidthInBytesGuardsItsInvariants) {
  Linker linker;
  linker.cRamWidthBits = 8;
  EXPECT_DEATH(linker.widthInBytes(Linker::rom),
               "Assertion failed: cRomWidthBits, file linker/src/linker");
  linker.cRomWidthBits = 14;
  linker.cRamWidthBits = 0;
  EXPECT_DEATH(linker.widthInBytes(Linker::ram),
               "Assertion failed: cRamWidthBits, file linker/src/linker");
  linker.cRamWidthBits = 8;
  EXPECT_DEATH(
      linker.widthInBytes(2),
      "Assertion failed: \\(memType==rom\\) \\|\\| \\(memType==ram\\), file linker/src/linker");
}

}  // namespace
