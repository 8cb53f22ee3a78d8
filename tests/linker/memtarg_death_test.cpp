// Misuse of the memory model by the linker is a broken invariant: the run
// ends with the condition that failed.
#include <gtest/gtest.h>

#include <string>

#include "memtarg.h"

namespace {

constexpr uint8_t kRom = 0;

// The report as a regular expression: the condition's parentheses and
// operators taken literally.
std::string failed(const std::string& condition) {
  std::string pattern = "Assertion failed: ";
  for (char c : condition) {
    if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) pattern += '\\';
    pattern += c;
  }
  return pattern + ", file ";
}

class MemtargDeathTest : public testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    page.setWidthBits(8);
  }
  Memory page{"page", 0x00, 0x0F, kRom, 0, 0, ""};
};

TEST_F(MemtargDeathTest, RangeChecks) {
  EXPECT_DEATH(Range(0, 0, kRom, 8).getEnd(), failed("cSize > 0"));
  EXPECT_DEATH(Range(0, 4, kRom, 0).sizeInBytes(), failed("cWidthBits"));
  std::list<Range> leftovers;
  Range hole(0x10, 4, kRom, 8);
  EXPECT_DEATH(hole.allocate("s", 0x12, 4, leftovers, 0), failed("canFit(start,length)"));
  EXPECT_DEATH(hole.load("a.o", 1), failed("isAllocated()"));
  hole.allocate("s", 0x10, 4, leftovers, 0);
  EXPECT_DEATH(hole.allocate("t", 0x10, 1, leftovers, 0), failed("!isAllocated()"));
  EXPECT_DEATH(hole.load("a.o", 5), failed("newPc <= (getEnd() + 1)"));
  EXPECT_DEATH(hole.load("a.o", 0x11, 4), failed("start == cStart"));
  EXPECT_DEATH(hole.load("a.o", 0x10, 3), failed("locs(length) == cSize"));
  EXPECT_DEATH(hole.getLoadSize("a.o"), failed("isLoaded(file)"));
  hole.load("a.o", 4);
  EXPECT_DEATH(hole.load("b.o", 1), failed("!loadComplete()"));
  EXPECT_DEATH(hole.load("a.o", 0), failed("!isLoaded(file)"));
}

TEST_F(MemtargDeathTest, MemoryChecks) {
  EXPECT_DEATH(page.allocate("big", 0x11, 0, uint16_t{1}), failed("canFit(length,alignment)"));
  EXPECT_DEATH(page.allocate("big", uint32_t{0x08}, uint32_t{9}, 0),
               failed("canFit(start,length)"));
  page.allocate("s", 4, 0, uint16_t{1});
  EXPECT_DEATH(page.allocate("s", 4, 0, uint16_t{1}), failed("!isAllocated(secName)"));
  EXPECT_DEATH(page.getAllocStart("none"), failed("isAllocated(secName)"));
  EXPECT_DEATH(page.load("a.o", "none", 1), failed("isAllocated(secName)"));
  EXPECT_DEATH(page.getLoadStart("a.o", "s"), failed("isLoaded(file,secName)"));
  page.load("a.o", "s", 2);
  EXPECT_DEATH(page.load("a.o", "s", 2), failed("!isLoaded(file,secName)"));
}

}  // namespace
