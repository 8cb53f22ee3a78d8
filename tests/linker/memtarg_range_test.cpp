// One piece of a memory: fit tests, splitting a hole, and loading the input
// files' parts of a section.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "memtarg.h"

namespace {

constexpr uint8_t kRom = 0;

using Span = std::pair<uint32_t, uint32_t>;  // start, bytes

TEST(Range, LocationsAndBytes) {
  struct Case {
    uint16_t widthBits;
    uint32_t length, locations;
  };
  // The last row: the usual (length + 1) / 2 wraps to 0.
  const Case cases[] = {{8, 0, 0},
                        {8, 5, 5},
                        {12, 1, 1},
                        {14, 5, 3},
                        {14, 6, 3},
                        {24, 7, 3},
                        {8, 0xFFFFFFFF, 0xFFFFFFFF},
                        {14, 0xFFFFFFFF, 0x80000000}};
  for (const Case& c : cases) {
    EXPECT_EQ(Range(0, 1, kRom, c.widthBits).locs(c.length), c.locations) << c.length;
  }
  EXPECT_EQ(Range(0, 3, kRom, 14).sizeInBytes(), 6u);
  // More than 4 GiB stays the largest size instead of wrapping to 0.
  EXPECT_EQ(Range(0, 0x80000000, kRom, 16).sizeInBytes(), 0xFFFFFFFFu);
  EXPECT_EQ(Range().getWidthBits(), 8u);
}

TEST(Range, FitTests) {
  struct Case {
    uint16_t widthBits;
    uint32_t holeStart, holeSize;
    uint32_t start;  // 0xAAAAAAAA: best fit with the alignment instead
    uint32_t length;
    uint16_t alignment;
    int expected;
  };
  constexpr uint32_t kAny = 0xAAAAAAAA;
  const Case cases[] = {
      {8, 0x10, 0x10, kAny, 0x10, 1, 1},
      {8, 0x10, 0x10, kAny, 0x11, 1, 0},
      {8, 0x10, 0, kAny, 0, 1, 1},
      {8, 0x10, 0, kAny, 1, 1, 0},
      {8, 0x01, 1, kAny, 1, 2, 0},
      {8, 0x01, 3, kAny, 2, 2, 1},
      {8, 0x01, 3, kAny, 3, 2, 0},
      {14, 0x00, 3, kAny, 6, 1, 1},
      {14, 0x00, 3, kAny, 7, 1, 0},
      {8, 0x11, 0x10, kAny, 1, 0x10, 1},
      {8, 0x11, 0x0F, kAny, 1, 0x10, 0},
      {16, 0x10, 0x10, kAny, 0xFFFFFFFF, 1, 0},
      {8, 0xFFFFFFF0, 0x10, kAny, 1, 0x8000, 0},  // aligning up must not wrap to 0
      {8, 0x10, 0x10, 0x10, 0x10, 0, 1},
      {8, 0x10, 0x10, 0x11, 0x10, 0, 0},
      {8, 0x10, 0x10, 0x0F, 1, 0, 0},
      {8, 0x10, 0x10, 0x1F, 1, 0, 1},
      {8, 0x10, 0x10, 0x20, 1, 0, 0},
      {8, 0x10, 0x10, 0x30, 0, 0, 1},
      {8, 0x10, 0, 0x10, 1, 0, 0},
      {14, 0x10, 3, 0x10, 5, 0, 1},
      {14, 0x10, 3, 0x11, 5, 0, 0},
      {14, 0x10, 3, 0x11, 4, 0, 1},
      {8, 0xFFFFFFF0, 0x10, 0xFFFFFFFF, 1, 0, 1},
      {8, 0xFFFFFFF0, 0x10, 0xFFFFFFFF, 2, 0, 0},
      {16, 0x10, 0x10, 0x10, 0xFFFFFFFF, 0, 0},
  };
  for (const Case& c : cases) {
    const Range hole(c.holeStart, c.holeSize, kRom, c.widthBits);
    const int fits =
        c.start == kAny ? hole.canFit(c.length, c.alignment) : hole.canFit(c.start, c.length);
    EXPECT_EQ(fits, c.expected) << std::hex << "hole 0x" << c.holeStart << "+0x" << c.holeSize
                                << " at 0x" << c.start << " length 0x" << c.length << " alignment "
                                << c.alignment;
  }
}

TEST(Range, AllocationSplitsTheHole) {
  struct Case {
    uint16_t widthBits;
    uint32_t start, length;
    Span piece;
    std::vector<Span> leftovers;
  };
  // Every case starts from the hole 0x10..0x1F.
  const Case cases[] = {
      {8, 0x10, 0x10, {0x10, 0x10}, {}},
      {8, 0x10, 4, {0x10, 4}, {{0x14, 0x0C}}},
      {8, 0x1C, 4, {0x1C, 4}, {{0x10, 0x0C}}},
      {8, 0x14, 4, {0x14, 4}, {{0x10, 4}, {0x18, 8}}},
      {8, 0x14, 0, {0x14, 0}, {{0x10, 0x10}}},  // the whole hole stays free
      {14, 0x12, 5, {0x12, 6}, {{0x10, 4}, {0x15, 0x16}}},
  };
  for (const Case& c : cases) {
    Range hole(0x10, 0x10, kRom, c.widthBits);
    std::list<Range> leftovers;
    EXPECT_EQ(hole.allocate(".s", c.start, c.length, leftovers, 0), 1);
    EXPECT_TRUE(hole.isAllocated());
    EXPECT_EQ(Span(hole.getStart(), hole.sizeInBytes()), c.piece) << c.start;
    std::vector<Span> spans;
    for (const Range& range : leftovers) {
      EXPECT_FALSE(range.isAllocated());
      spans.emplace_back(range.getStart(), range.sizeInBytes());
    }
    EXPECT_EQ(spans, c.leftovers) << c.start;
  }
}

struct Part {
  const char* file;
  uint32_t length, expectedStart;
};

// Loads the parts one after the other into a fresh piece at 0x100, checks
// where each went and whether the piece is complete after the last.
void checkLoads(uint16_t widthBits, uint32_t pieceBytes, int isOverlay, bool absolute,
                const std::vector<Part>& parts, int expectComplete) {
  Range piece(0x100, 0x10, kRom, widthBits);
  std::list<Range> leftovers;
  piece.allocate(".s", 0x100, pieceBytes, leftovers, isOverlay);
  for (const Part& part : parts) {
    EXPECT_FALSE(piece.isLoaded(part.file));
    if (absolute)
      piece.load(part.file, 0x100, part.length);
    else
      piece.load(part.file, part.length);
  }
  for (const Part& part : parts) {
    EXPECT_TRUE(piece.isLoaded(part.file));
    EXPECT_EQ(piece.getLoadStart(part.file), part.expectedStart) << part.file;
    EXPECT_EQ(piece.getLoadSize(part.file), part.length) << part.file;
  }
  EXPECT_EQ(piece.loadComplete(), expectComplete);
}

TEST(Range, Loads) {
  checkLoads(8, 0x10, 0, false, {{"a.o", 4, 0x100}, {"b.o", 0xC, 0x104}}, 1);
  checkLoads(8, 0x10, 0, false, {{"a.o", 4, 0x100}}, 0);
  checkLoads(14, 5, 0, false, {{"a.o", 3, 0x100}, {"b.o", 2, 0x102}}, 1);  // 3 bytes: 2 words
  checkLoads(8, 4, 0, false, {{"a.o", 0, 0x100}, {"b.o", 4, 0x100}, {"c.o", 0, 0x104}}, 1);
  checkLoads(8, 8, 1, false, {{"a.o", 4, 0x100}, {"b.o", 8, 0x100}}, 0);
  checkLoads(8, 0, 0, false, {{"a.o", 0, 0x100}}, 1);
  checkLoads(8, 0, 1, false, {{"a.o", 0, 0x100}, {"b.o", 0, 0x100}}, 0);
  checkLoads(8, 8, 0, true, {{"a.o", 8, 0x100}}, 1);
  // An absolute overlay piece has the size of its longest part.
  checkLoads(8, 8, 1, true, {{"a.o", 4, 0x100}, {"b.o", 8, 0x100}}, 0);

  Range top(0xFFFFFFF0, 0x10, kRom, 8);  // the end check must not wrap
  std::list<Range> leftovers;
  top.allocate(".top", 0xFFFFFFF0, 0x10, leftovers, 0);
  top.load("a.o", 8);
  top.load("b.o", 8);
  EXPECT_EQ(top.getLoadStart("b.o"), 0xFFFFFFF8u);
  EXPECT_TRUE(top.loadComplete());
}

}  // namespace
