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
Memory* firstNamed(std::list<Memory>& memories, const std::string& name) {
  for (Memory& memory : memories) {
    if (memory.getName() == name) return &memory;
  }
  return nullptr;
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

Memory* plainFirstAt(std::list<Memory>& memories, uint32_t start, uint32_t length) {
  for (Memory& memory : memories) {
    if (memory.canFit(start, length)) return &memory;
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

// Where the step put its section: "memory#position@start", or "-".
std::string placed(Linker& linker, const Step& step, Memory* memory) {
  if (memory == nullptr) return "-";
  std::list<Memory>& memories = listOf(linker, step.list);
  const auto position = std::distance(
      memories.begin(), std::find_if(memories.begin(), memories.end(),
                                     [&](const Memory& m) { return &m == memory; }));
  return memory->getName() + "#" + std::to_string(position) + "@" +
         std::to_string(memory->getAllocStart(step.section));
}

std::string plainStep(Linker& linker, const Step& step) {
  std::list<Memory>& memories = listOf(linker, step.list);
  const uint16_t alignment = linker.cRomWidthBits == 8 && step.list == 0 ? 2 : 1;
  Memory* memory = nullptr;
  switch (step.kind) {
    case Kind::RelUnassigned: memory = plainBestFit(memories, step.length, alignment); break;
    case Kind::RelAssigned: memory = firstNamed(memories, step.memory); break;
    case Kind::AbsUnassigned: memory = plainFirstAt(memories, step.start, step.length); break;
    case Kind::AbsAssigned: memory = firstNamed(memories, step.memory); break;
  }
  const bool absolute = step.kind == Kind::AbsUnassigned || step.kind == Kind::AbsAssigned;
  // Byte-wide program memory takes code only at even addresses.
  if (absolute && alignment == 2 && step.start % 2 != 0) return "-";
  if (memory == nullptr) return "-";
  if (absolute) {
    if (!memory->canFit(step.start, step.length)) return "-";
    memory->allocate(step.section, step.start, step.length, 0);
  } else {
    if (!memory->canFit(step.length, alignment)) return "-";
    memory->allocate(step.section, step.length, 0, alignment);
  }
  return placed(linker, step, memory);
}

std::string indexedStep(Linker& linker, const Step& step) {
  std::list<Memory>& memories = listOf(linker, step.list);
  std::string error;
  int done = 0;
  switch (step.kind) {
    case Kind::RelUnassigned:
      done = linker.allocateRelUnassigned(memories, step.section, step.length, 0, error);
      break;
    case Kind::RelAssigned:
      done = linker.allocateRelAssigned(memories, step.memory, step.section, step.length, 0, error);
      break;
    case Kind::AbsUnassigned:
      done = linker.allocateAbsUnassigned(memories, step.section, step.start, step.length, 0,
                                          error);
      break;
    case Kind::AbsAssigned:
      done = linker.allocateAbsAssigned(memories, step.memory, step.section, step.start,
                                        step.length, 0, error);
      break;
  }
  return done ? placed(linker, step, linker.cScnMem.at(step.section)) : "-";
}

// Memories of a few sizes, so that largest holes tie often; some
// protected, share banks of one name in several places.
void addMemories(std::mt19937& random, LinkSetup& setup) {
  const uint32_t sizes[] = {4, 8, 8, 16, 32, 33};
  uint32_t code = 0;
  uint32_t data = 0;
  for (int m = 0; m < 24; ++m) {
    const uint32_t size = sizes[random() % 6];
    const bool isProtected = random() % 6 == 0;
    const uint32_t gap = random() % 5;
    switch (random() % 3) {
      case 0:
        setup.code("c" + std::to_string(m), code, code + size - 1, isProtected);
        code += size + gap;
        break;
      case 1:
        setup.data("d" + std::to_string(m), data, data + size - 1, isProtected);
        data += size + gap;
        break;
      default:
        setup.share("s" + std::to_string(m % 3), data, data + 7);
        data += 8 + gap;
        break;
    }
  }
  // Every list has one memory at least.
  setup.code("cz", code + 100, code + 107).data("dz", data + 100, data + 107);
  setup.share("s0", data + 200, data + 207);
  // Memories that overlap, which the command operations would refuse.
  if (random() % 4 == 0) setup.linker.cCodePage.emplace_back("co", 2, 40, 0, 0, 0, "");
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
    for (int list = 0; list < 3; ++list) {
      std::ostringstream indexedDump;
      std::ostringstream plainDump;
      for (const Memory& memory : listOf(indexed.linker, list)) memory.dump(indexedDump);
      for (const Memory& memory : listOf(plain.linker, list)) memory.dump(plainDump);
      EXPECT_EQ(indexedDump.str(), plainDump.str());
    }
  }
}

}  // namespace
