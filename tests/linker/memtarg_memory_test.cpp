// Placement of sections in a memory and the free holes it leaves, in the
// order the fill sections are later numbered by.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "memtarg.h"

namespace {

constexpr uint8_t kRom = 0;
constexpr uint8_t kRam = 1;
constexpr uint16_t kNoAlignment = 1;

struct Hole {
  uint32_t start;
  uint32_t end;
  bool operator==(const Hole&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Hole& hole) {
  return out << std::hex << "0x" << hole.start << "-0x" << hole.end;
}

// The free list in its current order; only a memory with FILL= shows it.
std::vector<Hole> holesOf(const Memory& memory) {
  std::vector<Hole> holes;
  memory.forEachFillHole(
      [](void* user, const Memory&, uint32_t start, uint32_t end, const std::string&) {
        static_cast<std::vector<Hole>*>(user)->push_back({start, end});
      },
      &holes);
  return holes;
}

Memory codePage(uint32_t start, uint32_t end, uint16_t widthBits = 8) {
  Memory memory("page", start, end, kRom, 0, 1, "0x3FFF");
  memory.setWidthBits(widthBits);
  return memory;
}

TEST(Memory, FieldsAndDefault) {
  const Memory memory("gpr0", 0x20, 0x7F, kRam, 1, 0, "");
  EXPECT_EQ(memory.getSize(), 0x60u);
  EXPECT_TRUE(memory.isRam() && memory.isProtected() && !memory.hasFill());
  const Memory page = codePage(0, 0x7FF);
  EXPECT_TRUE(!page.isRam() && !page.isProtected() && page.hasFill());
  EXPECT_EQ(page.getFill(), "0x3FFF");
  Memory byDefault;  // one free ram location at 0
  byDefault.setWidthBits(8);
  EXPECT_TRUE(byDefault.isRam());
  EXPECT_EQ(byDefault.largestHole(), 1u);
  EXPECT_TRUE(byDefault.canFit(uint32_t{0}, uint32_t{1}));
}

TEST(Memory, OverlapNeedsASharedLocation) {
  struct Case {
    uint32_t aStart, aEnd, bStart, bEnd;
    int expected;
  };
  const Case cases[] = {
      {0x000, 0x1FF, 0x200, 0x3FF, 0},  // touching
      {0x000, 0x200, 0x200, 0x3FF, 1},  // 0x200 shared
      {0x000, 0x3FF, 0x100, 0x1FF, 1},  // contained
      {0x010, 0x020, 0x000, 0x00F, 0},
      {0x000, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 1},
      {0x80000000, 0x80000010, 0x7FFFFFFF, 0x7FFFFFFF, 0},
  };
  for (const Case& c : cases) {
    const Memory a("a", c.aStart, c.aEnd, kRom, 0, 0, "");
    const Memory b("b", c.bStart, c.bEnd, kRom, 0, 0, "");
    EXPECT_EQ(Memory::overlaps(a, b), c.expected) << std::hex << c.aStart << " " << c.bStart;
    EXPECT_EQ(Memory::overlaps(b, a), c.expected) << std::hex << c.aStart << " " << c.bStart;
  }
}

// One allocation step and the free list it leaves behind.
struct Step {
  const char* section;
  bool atLocation;
  uint32_t start;  // only for a placement at a location
  uint32_t length;
  uint32_t expectedStart;
  std::vector<Hole> expectedHoles;
};

// A memory 0x00..end of byte locations with FILL=, and the steps made in it.
struct Scenario {
  uint32_t end;
  uint16_t alignment;
  std::vector<Step> steps;
};

TEST(Memory, PlacementAndTheFreeListItLeaves) {
  const Scenario scenarios[] = {
      {0xFF,
       1,
       {{"a", true, 0x80, 0x10, 0x80, {{0x00, 0x7F}, {0x90, 0xFF}}},
        // Smallest hole that fits: 0x90.. (0x70 bytes) before 0x00.. (0x80).
        {"b", false, 0, 0x60, 0x90, {{0x00, 0x7F}, {0xF0, 0xFF}}},
        {"c", false, 0, 0x08, 0xF0, {{0x00, 0x7F}, {0xF8, 0xFF}}},
        // No location taken; the chosen hole goes back whole, at the end.
        {"d", false, 0, 0, 0xF8, {{0x00, 0x7F}, {0xF8, 0xFF}}},
        // The sort put the small hole first; the leftovers follow it.
        {"e", true, 0x10, 0x10, 0x10, {{0xF8, 0xFF}, {0x00, 0x0F}, {0x20, 0x7F}}},
        {"f", false, 0, 0x10, 0x00, {{0xF8, 0xFF}, {0x20, 0x7F}}},
        {"g", false, 0, 0x60, 0x20, {{0xF8, 0xFF}}},
        {"h", false, 0, 0x08, 0xF8, {}}}},
      // Holes of 0x40 and 0x20 bytes: 0x18 bytes go to the smaller one.
      {0x7F,
       1,
       {{"x", true, 0x40, 0x20, 0x40, {{0x00, 0x3F}, {0x60, 0x7F}}},
        {"small", false, 0, 0x18, 0x60, {{0x00, 0x3F}, {0x78, 0x7F}}}}},
      // Two holes of 0x20 bytes: the one earlier in the free list.
      {0x5F,
       1,
       {{"x", true, 0x20, 0x20, 0x20, {{0x00, 0x1F}, {0x40, 0x5F}}},
        {"first", false, 0, 0x10, 0x00, {{0x40, 0x5F}, {0x10, 0x1F}}}}},
      {0x3FF,
       1,
       {{"mid", true, 0x200, 0x100, 0x200, {{0x000, 0x1FF}, {0x300, 0x3FF}}},
        {"low", true, 0x000, 0x200, 0x000, {{0x300, 0x3FF}}},
        {"top", true, 0x380, 0x80, 0x380, {{0x300, 0x37F}}}}},
      // Byte-wide code goes to an even location: a hole of 3 bytes at 1 keeps
      // its first byte free.
      {0x03,
       2,
       {{"first", true, 0x00, 0x01, 0x00, {{0x01, 0x03}}},
        {"code", false, 0, 2, 0x02, {{0x01, 0x01}}}}},
  };
  for (const Scenario& scenario : scenarios) {
    Memory memory = codePage(0x00, scenario.end);
    for (const Step& step : scenario.steps) {
      if (step.atLocation) {
        ASSERT_TRUE(memory.canFit(step.start, step.length)) << step.section;
        EXPECT_EQ(memory.allocate(step.section, step.start, step.length, 0), 1);
      } else {
        ASSERT_TRUE(memory.canFit(step.length, scenario.alignment)) << step.section;
        EXPECT_EQ(memory.allocate(step.section, step.length, 0, scenario.alignment), 1);
      }
      EXPECT_TRUE(memory.isAllocated(step.section));
      EXPECT_EQ(memory.getAllocStart(step.section), step.expectedStart) << step.section;
      EXPECT_EQ(memory.getAllocSize(step.section), step.length) << step.section;
      EXPECT_EQ(holesOf(memory), step.expectedHoles) << "after " << step.section;
    }
  }
}

TEST(Memory, NoFitWithoutRoom) {
  Memory full = codePage(0x00, 0x0F);
  full.allocate("all", 0x10, 0, kNoAlignment);
  EXPECT_EQ(full.largestHole(), 0u);
  // A memory without any free hole takes nothing, not even a zero length.
  EXPECT_FALSE(full.canFit(uint32_t{0}, kNoAlignment));
  EXPECT_FALSE(full.canFit(uint32_t{0x10}, uint32_t{0}));
  Memory oddByte = codePage(0x01, 0x01);
  EXPECT_FALSE(oddByte.canFit(uint32_t{1}, uint16_t{2}));
  EXPECT_TRUE(oddByte.canFit(uint32_t{1}, uint16_t{1}));
  Memory holder = codePage(0x000, 0x3FF);
  holder.allocate("mid", uint32_t{0x200}, uint32_t{0x100}, 0);
  EXPECT_FALSE(holder.canFit(uint32_t{0x1FF}, uint32_t{2}));  // across the piece
  EXPECT_TRUE(holder.canFit(uint32_t{0x300}, uint32_t{0x100}));
  EXPECT_FALSE(holder.canFit(uint32_t{0x300}, uint32_t{0x101}));
}

TEST(Memory, WordLocationsHoldTwoBytes) {
  Memory memory = codePage(0x00, 0x0F, 14);
  EXPECT_EQ(memory.largestHole(), 0x20u);
  ASSERT_TRUE(memory.canFit(uint32_t{5}, kNoAlignment));
  memory.allocate("five", 5, 0, kNoAlignment);
  EXPECT_EQ(memory.getAllocStart("five"), 0u);
  EXPECT_EQ(memory.getAllocSize("five"), 6u);  // 3 locations
  EXPECT_EQ(holesOf(memory), (std::vector<Hole>{{0x03, 0x0F}}));
  EXPECT_EQ(memory.largestHole(), 26u);
  EXPECT_FALSE(memory.canFit(uint32_t{27}, kNoAlignment));
  EXPECT_TRUE(memory.canFit(uint32_t{26}, kNoAlignment));
}

TEST(Memory, LoadsThroughTheSectionsPiece) {
  Memory memory("gpr", 0x20, 0x7F, kRam, 0, 0, "");
  memory.setWidthBits(8);
  EXPECT_TRUE(memory.loadComplete());  // nothing allocated yet
  memory.allocate(".udata", 0x10, 0, kNoAlignment);
  memory.allocate(".abs", uint32_t{0x70}, uint32_t{8}, 1);
  EXPECT_FALSE(memory.isLoaded("a.o", ".udata"));
  EXPECT_FALSE(memory.isLoaded("a.o", ".none"));
  memory.load("a.o", ".udata", 6);
  memory.load("b.o", ".udata", 10);
  memory.load("a.o", ".abs", 0x70, 4);
  memory.load("b.o", ".abs", 0x70, 8);
  EXPECT_TRUE(memory.isLoaded("b.o", ".udata"));
  const uint32_t base = memory.getAllocStart(".udata");
  EXPECT_EQ(memory.getLoadStart("a.o", ".udata"), base);
  EXPECT_EQ(memory.getLoadStart("b.o", ".udata"), base + 6);
  EXPECT_EQ(memory.getLoadSize("b.o", ".udata"), 10u);
  EXPECT_EQ(memory.getLoadStart("b.o", ".abs"), 0x70u);
  EXPECT_EQ(memory.getLoadSize("a.o", ".abs"), 4u);
  EXPECT_EQ(memory.getLoadSize("b.o", ".abs"), 8u);
  EXPECT_FALSE(memory.loadComplete());  // an overlay piece is never filled up

  Memory full("gpr", 0x00, 0x1F, kRam, 0, 0, "");
  full.setWidthBits(8);
  full.allocate("a", 4, 0, kNoAlignment);
  full.allocate("b", 4, 0, kNoAlignment);
  full.load("x.o", "a", 4);
  EXPECT_FALSE(full.loadComplete());
  full.load("x.o", "b", 4);
  EXPECT_TRUE(full.loadComplete());
}

TEST(Memory, FillHolesOnlyWithFill) {
  Memory plain("page", 0x00, 0xFF, kRom, 0, 0, "");
  plain.setWidthBits(14);
  EXPECT_TRUE(holesOf(plain).empty());
  EXPECT_EQ(plain.largestHole(), 0x200u);

  const Memory filled = codePage(0x00, 0xFF, 14);
  std::string seen;
  filled.forEachFillHole(
      [](void* user, const Memory& memory, uint32_t, uint32_t, const std::string& fill) {
        *static_cast<std::string*>(user) += memory.getName() + "=" + fill;
      },
      &seen);
  EXPECT_EQ(seen, "page=0x3FFF");

  // END - START + 1 wraps: the hole has no sound last location, so it
  // takes nothing and yields no fill.
  for (const auto& [start, end] : {std::pair<uint32_t, uint32_t>{0, 0xFFFFFFFF}, {5, 2}}) {
    Memory wrapped("wrapped", start, end, kRom, 0, 1, "0");
    wrapped.setWidthBits(8);
    EXPECT_TRUE(holesOf(wrapped).empty()) << start;
    EXPECT_FALSE(wrapped.canFit(uint32_t{1}, kNoAlignment)) << start;
    EXPECT_FALSE(wrapped.canFit(start, uint32_t{1})) << start;
  }
}

TEST(MemSize, OrdersByUnsignedSizeAndSortsStably) {
  Memory a, b, c;
  EXPECT_TRUE(MemSize(b, 0x80000000) > MemSize(a, 0x7FFFFFFF));
  std::vector<MemSize> sizes = {{a, 0x80000000}, {b, 0x7FFFFFFF}, {c, 0x80000000}};
  std::stable_sort(sizes.begin(), sizes.end());
  EXPECT_EQ(sizes[0].memory, &b);
  EXPECT_EQ(sizes[1].memory, &a);
  EXPECT_EQ(sizes[2].memory, &c);
}

}  // namespace
