// The free holes of a memory are indexed by size and by start; what they
// answer must stay what a plain free list answers: a list sorted stably by
// size before each placement, the first hole that fits taken, and what is
// left of it appended behind. Random placements (by size with and without
// alignment, at a location, of zero length) on a memory and on such a list
// side by side: the same places, the same holes in the same order, the same
// answers to every fit and size question.
#include <gtest/gtest.h>

#include <algorithm>
#include <list>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "memtarg.h"

namespace {

// The free list as a list, placements as its definition gives them.
class PlainFreeList {
 public:
  PlainFreeList(uint32_t start, uint32_t end) { cHoles.emplace_back(start, end - start + 1, 0, 0); }

  void setWidthBits(uint16_t bits) {
    for (Range& hole : cHoles) hole.setWidthBits(bits);
  }
  bool canFit(uint32_t length, uint16_t alignment) const {
    return std::any_of(cHoles.begin(), cHoles.end(),
                       [&](const Range& hole) { return hole.canFit(length, alignment); });
  }
  bool canFitAt(uint32_t start, uint32_t length) const {
    return std::any_of(cHoles.begin(), cHoles.end(),
                       [&](const Range& hole) { return hole.canFit(start, length); });
  }
  uint32_t largestHole() const {
    uint32_t largest = 0;
    for (const Range& hole : cHoles) largest = std::max(largest, hole.sizeInBytes());
    return largest;
  }
  uint32_t allocate(const std::string& name, uint32_t length, uint16_t alignment) {
    auto hole = choose([&](const Range& r) { return r.canFit(length, alignment); });
    return take(hole, name, static_cast<uint32_t>(hole->alignedStart(alignment)), length);
  }
  uint32_t allocateAt(const std::string& name, uint32_t start, uint32_t length) {
    return take(choose([&](const Range& r) { return r.canFit(start, length); }), name, start,
                length);
  }
  std::vector<std::pair<uint32_t, uint32_t>> holes() const {
    std::vector<std::pair<uint32_t, uint32_t>> spans;
    for (const Range& hole : cHoles) spans.emplace_back(hole.getStart(), hole.getEnd());
    return spans;
  }

 private:
  template <typename Fits>
  std::list<Range>::iterator choose(Fits fits) {
    cHoles.sort([](const Range& a, const Range& b) { return a.sizeInBytes() < b.sizeInBytes(); });
    return std::find_if(cHoles.begin(), cHoles.end(), fits);
  }
  uint32_t take(std::list<Range>::iterator hole, const std::string& name, uint32_t start,
                uint32_t length) {
    std::list<Range> leftovers;
    hole->allocate(name, start, length, leftovers, 0);
    const uint32_t placed = hole->getStart();
    cHoles.erase(hole);
    cHoles.splice(cHoles.end(), leftovers);
    return placed;
  }

  std::list<Range> cHoles;
};

std::vector<std::pair<uint32_t, uint32_t>> holesOf(const Memory& memory) {
  std::vector<std::pair<uint32_t, uint32_t>> spans;
  memory.forEachFillHole(
      [](void* user, const Memory&, uint32_t start, uint32_t end, const std::string&) {
        static_cast<std::vector<std::pair<uint32_t, uint32_t>>*>(user)->emplace_back(start, end);
      },
      &spans);
  return spans;
}

TEST(MemoryFreeList, PlacesAsAPlainFreeListDoes) {
  std::mt19937 random(4711);
  for (int run = 0; run < 60; ++run) {
    const uint16_t width = run % 3 == 0 ? 16 : 8;
    const uint32_t start = 0x100;
    const uint32_t end = start + 0x400 + static_cast<uint32_t>(random() % 0x400);
    Memory memory("page", start, end, 0, 0, 1, "0xFFFF");
    PlainFreeList plain(start, end);
    memory.setWidthBits(width);
    plain.setWidthBits(width);
    for (int step = 0; step < 300; ++step) {
      const std::string name = "s" + std::to_string(step);
      const std::string where = "run " + std::to_string(run) + " step " + std::to_string(step);
      const uint32_t length = random() % 4 == 0 ? 0 : static_cast<uint32_t>(random() % 24 + 1);
      if (step % 50 == 49) {
        // The width set again: the order the holes show stays.
        memory.setWidthBits(width);
        plain.setWidthBits(width);
      } else if (random() % 3 == 0) {
        const uint32_t at = start + static_cast<uint32_t>(random() % (end - start + 1));
        ASSERT_EQ(memory.canFit(at, length) == 1, plain.canFitAt(at, length)) << where;
        if (!plain.canFitAt(at, length)) continue;
        memory.allocate(name, at, length, 0);
        EXPECT_EQ(memory.getAllocStart(name), plain.allocateAt(name, at, length)) << where;
      } else {
        const uint16_t alignment = random() % 2 == 0 ? 1 : 2;
        ASSERT_EQ(memory.canFit(length, alignment) == 1, plain.canFit(length, alignment)) << where;
        if (!plain.canFit(length, alignment)) continue;
        memory.allocate(name, length, 0, alignment);
        EXPECT_EQ(memory.getAllocStart(name), plain.allocate(name, length, alignment)) << where;
      }
      ASSERT_EQ(holesOf(memory), plain.holes()) << where;
      ASSERT_EQ(memory.largestHole(), plain.largestHole()) << where;
    }
  }
}

}  // namespace
