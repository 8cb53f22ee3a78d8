// Placement through the index that a link keeps while it places sections
// must choose exactly what the plain way chooses: each list sorted afresh
// by largest hole for every section, every memory looked up by a scan.
// Random sequences of all four kinds of placement, interleaved, on twin
// linkers, one placing through the index and one the plain way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "allocate_fixture.h"
#include "placement_index.h"

namespace {

using namespace allocfix;

// The plain placements, straight on the memory model.
template <typename Test>
Memory* firstWhere(std::list<Memory>& memories, Test test) {
  const auto found = std::find_if(memories.begin(), memories.end(), test);
  return found == memories.end() ? nullptr : &*found;
}

Memory* plainBestFit(std::list<Memory>& memories, uint32_t length, uint16_t alignment) {
  std::vector<MemSize> bySize;
  for (Memory& memory : memories) {
    if (!memory.isProtected()) bySize.emplace_back(memory, memory.largestHole());
  }
  std::stable_sort(bySize.begin(), bySize.end());
  for (const MemSize& candidate : bySize) {
    if (candidate.memory->canFit(length, alignment)) return candidate.memory;
  }
  return nullptr;
}

enum class Kind { RelUnassigned, RelAssigned, AbsUnassigned, AbsAssigned };

struct Step {
  Kind kind;
  int list;  // 0 code pages, 1 data banks, 2 share banks
  std::string section;
  std::string memory;  // the named memory of an assigned placement
  uint32_t start;
  uint32_t length;
};

std::list<Memory>& listOf(Linker& linker, int list) {
  return list == 0 ? linker.cCodePage : list == 1 ? linker.cDataBanks : linker.cShareBanks;
}

// Where the step put its section, by the memory's name and start (share
// banks repeat names), or "-".
std::string placed(const Step& step, const Memory* memory) {
  if (memory == nullptr) return "-";
  return memory->getName() + ":" + std::to_string(memory->getStart()) + "@" +
         std::to_string(memory->getAllocStart(step.section));
}

std::string plainStep(Linker& linker, const Step& step) {
  std::list<Memory>& memories = listOf(linker, step.list);
  const uint16_t alignment = linker.cRomWidthBits == 8 && step.list == 0 ? 2 : 1;
  const bool absolute = step.kind == Kind::AbsUnassigned || step.kind == Kind::AbsAssigned;
  // Byte-wide program memory takes code only at even addresses.
  if (absolute && alignment == 2 && step.start % 2 != 0) return "-";
  Memory* memory =
      step.kind == Kind::RelUnassigned ? plainBestFit(memories, step.length, alignment)
      : step.kind == Kind::AbsUnassigned
          ? firstWhere(memories, [&](const Memory& m) { return m.canFit(step.start, step.length); })
          : firstWhere(memories, [&](const Memory& m) { return m.getName() == step.memory; });
  if (memory == nullptr) return "-";
  if (absolute && memory->canFit(step.start, step.length)) {
    memory->allocate(step.section, step.start, step.length, 0);
  } else if (!absolute && memory->canFit(step.length, alignment)) {
    memory->allocate(step.section, step.length, 0, alignment);
  } else {
    return "-";
  }
  return placed(step, memory);
}

std::string indexedStep(Linker& linker, const Step& step) {
  std::list<Memory>& memories = listOf(linker, step.list);
  const std::string& name = step.section;
  std::string error;
  const int done =
      step.kind == Kind::RelUnassigned
          ? linker.allocateRelUnassigned(memories, name, step.length, 0, error)
      : step.kind == Kind::RelAssigned
          ? linker.allocateRelAssigned(memories, step.memory, name, step.length, 0, error)
      : step.kind == Kind::AbsUnassigned
          ? linker.allocateAbsUnassigned(memories, name, step.start, step.length, 0, error)
          : linker.allocateAbsAssigned(memories, step.memory, name, step.start, step.length, 0,
                                       error);
  return done ? placed(step, linker.cScnMem.at(name)) : "-";
}

// Memories of a few sizes, so that largest holes tie often; some
// protected, share banks of one name in several places, and now and then
// code pages that overlap, which the command operations would refuse.
void addMemories(std::mt19937& random, LinkSetup& setup) {
  const uint32_t sizes[] = {4, 8, 8, 16, 32, 33};
  uint32_t next[2] = {0, 0};  // program and data addresses
  for (int m = 0; m < 24; ++m) {
    const uint32_t kind = random() % 3;
    const uint32_t size = kind == 2 ? 8 : sizes[random() % 6];
    const uint32_t start = next[kind == 0 ? 0 : 1];
    const std::string name = kind == 2 ? "s" + std::to_string(m % 3) : "m" + std::to_string(m);
    const bool isProtected = random() % 6 == 0;
    if (kind == 0) setup.code(name, start, start + size - 1, isProtected);
    if (kind == 1) setup.data(name, start, start + size - 1, isProtected);
    if (kind == 2) setup.share(name, start, start + size - 1);
    next[kind == 0 ? 0 : 1] += size + random() % 5;
  }
  setup.code("cz", next[0], next[0] + 7).data("dz", next[1], next[1] + 7);
  setup.share("s0", next[1] + 100, next[1] + 107);
  if (random() % 4 == 0) setup.linker.cCodePage.emplace_back("co", 2, 40, 0, 0, 0, "");
}

std::string dumpAll(Linker& linker) {
  std::ostringstream text;
  for (int list = 0; list < 3; ++list) {
    for (const Memory& memory : listOf(linker, list)) memory.dump(text);
  }
  return text.str();
}

Step randomStep(std::mt19937& random, Linker& linker, int n) {
  Step step{static_cast<Kind>(random() % 4), static_cast<int>(random() % 3),
            "x" + std::to_string(n), "", 0, 0};
  const uint32_t lengths[] = {0, 1, 2, 3, 8, 16, 17, 40, 66};
  step.length = lengths[random() % 9];
  std::list<Memory>& memories = listOf(linker, step.list);
  auto memory = memories.begin();
  std::advance(memory, random() % memories.size());
  step.memory = random() % 10 == 0 ? "none" : memory->getName();
  step.start = memory->getStart() + random() % 12;
  return step;
}

TEST(PlacementIndex, ChoosesWhatThePlainPlacementChooses) {
  const ProcessorCode processors[] = {kVesk, kOstra, kZarn};
  for (unsigned seed = 1; seed <= 150; ++seed) {
    SCOPED_TRACE(seed);
    const ProcessorCode processor = processors[seed % 3];
    std::mt19937 random(seed);
    LinkSetup indexed(processor);
    addMemories(random, indexed);
    random.seed(seed);
    LinkSetup plain(processor);
    addMemories(random, plain);
    indexed.setWidths();
    plain.setWidths();
    const allocation::ScopedPlacementIndex index(indexed.linker);
    for (int n = 0; n < 80; ++n) {
      const Step step = randomStep(random, plain.linker, n);
      indexed.linker.cScnType[step.section] = step.list == 0 ? kCode : kUdata;
      plain.linker.cScnType[step.section] = step.list == 0 ? kCode : kUdata;
      ASSERT_EQ(indexedStep(indexed.linker, step), plainStep(plain.linker, step))
          << "step " << n << " kind " << static_cast<int>(step.kind) << " list " << step.list
          << " length " << step.length;
    }
    // The same holes in the same free-list order, in every memory.
    EXPECT_EQ(dumpAll(indexed.linker), dumpAll(plain.linker));
  }
}

}  // namespace
