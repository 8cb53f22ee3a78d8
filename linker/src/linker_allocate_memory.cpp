// Placement of one section in one list of memories: an absolute section at
// its start, a relocatable one in the memory its directive names or in the
// memory whose largest hole is the smallest that takes it.
#include <iostream>

#include "allocation_rules.h"
#include "debug_switches.h"
#include "placement_index.h"
#include "text_helpers.h"

using namespace allocation;

namespace {

// Byte-addressed program memory fetches two-byte instructions from even
// addresses only.
int misalignedCode(const Linker& linker, const std::string& section, uint32_t start,
                   std::string& error) {
  if (linker.cRomWidthBits != 8 || valueOf(linker.cScnType, section) != kCode ||
      (start & 1u) == 0) {
    return 0;
  }
  error = "Absolute code section '" + section + "' must start at a word-aligned address.";
  return 1;
}

std::string absoluteTail(const std::string& section, uint32_t start, uint32_t length) {
  return "Section '" + section + "' start=" + formatHex(start, 4) +
         ", length=" + formatHex(length, 4);
}

std::string lengthTail(const std::string& section, uint64_t length) {
  return "Section '" + section + "' length=" + formatHex(saturated(length), 4);
}

// A length past 32 bits fits no memory: lengths are counted in 32 bits.
int fits(const Memory& memory, uint64_t length, uint16_t alignment) {
  return length <= UINT32_MAX && memory.canFit(static_cast<uint32_t>(length), alignment);
}

void place(Linker& linker, Memory& memory, const std::string& section, uint64_t length,
           int overlay) {
  const uint16_t alignment = alignmentOf(linker, section);
  memory.allocate(section, static_cast<uint32_t>(length), overlay, alignment);
  recordPlacement(linker, memory, section);
}

void traceBySize(PlacementIndex& index, std::list<Memory>& memories) {
  if (!traceOn("Linker::allocateRelUnassigned")) return;
  std::cout << "  dumping memory's sorted by increasing largest hole size: \n";
  index.search(memories, 0, [](const Memory& memory, uint32_t largestHole) {
    std::cout << "    memory '" << memory.getName() << "', largest hole=" << formatHex(largestHole, 4)
              << '\n';
    return false;
  });
}

// Only the memory whose span holds the start can take a section of some
// length there, in a list of disjoint memories; true when the index tells
// which one (or none). A zero length fits the first memory with any free
// hole, and the trace shows every attempt, so both walk the list.
bool holdingMemory(Linker& linker, std::list<Memory>& memories, uint32_t start, uint32_t length,
                   Memory*& memory) {
  if (length == 0 || linker.cPlacementIndex == nullptr ||
      traceOn("Linker::allocateAbsUnassigned")) {
    return false;
  }
  return linker.cPlacementIndex->holding(memories, start, memory);
}

}  // namespace

int allocation::placeRelAssigned(Linker& linker, std::list<Memory>& memories,
                                 const std::string& memoryName, const std::string& section,
                                 uint64_t length, int overlay, std::string& error) {
  Memory* memory = findMemory(linker, memories, memoryName);
  if (memory == nullptr) {
    error = undefinedMemoryText(section, memoryName);
    return 0;
  }
  traceAttempt("allocateRelAssigned", section, *memory);
  // A protected memory is used like any other when a directive names it.
  if (!fits(*memory, length, alignmentOf(linker, section))) {
    error = "section '" + section + "' has a memory '" + memoryName +
            "' which can not fit the section. " + lengthTail(section, length) + ".";
    return 0;
  }
  traceFit("allocateRelAssigned", *memory);
  place(linker, *memory, section, length, overlay);
  return 1;
}

int allocation::placeRelUnassigned(Linker& linker, std::list<Memory>& memories,
                                   const std::string& section, uint64_t length, int overlay,
                                   std::string& error) {
  // Best fit over memories: the one with the smallest largest hole that
  // takes the section, so that large holes stay for large sections.
  // Protected memories take only the sections that name them. Outside a
  // link's placement the order is made for this one section.
  PlacementIndex once;
  PlacementIndex& index = linker.cPlacementIndex != nullptr ? *linker.cPlacementIndex : once;
  traceBySize(index, memories);
  const uint16_t alignment = alignmentOf(linker, section);
  // A memory whose largest hole is smaller than the section cannot take
  // it; the trace shows every attempt all the same.
  const uint32_t atLeast = traceOn("Linker::allocateRelUnassigned") ? 0 : saturated(length);
  Memory* chosen = index.search(memories, atLeast, [&](Memory& memory, uint32_t) {
    traceAttempt("allocateRelUnassigned", section, memory);
    return fits(memory, length, alignment) != 0;
  });
  if (chosen == nullptr) {
    error = "section '" + section + "' can not fit the section. " + lengthTail(section, length);
    return 0;
  }
  traceFit("allocateRelUnassigned", *chosen);
  place(linker, *chosen, section, length, overlay);
  return 1;
}

int Linker::allocateAbsAssigned(std::list<Memory>& memories, const std::string& memoryName,
                                const std::string& section, uint32_t start, uint32_t length,
                                int overlay, std::string& error) {
  if (misalignedCode(*this, section, start, error)) return 0;
  Memory* memory = findMemory(*this, memories, memoryName);
  if (memory == nullptr) {
    error = undefinedMemoryText(section, memoryName);
    return 0;
  }
  traceAttempt("allocateAbsAssigned", section, *memory);
  if (!memory->canFit(start, length)) {
    error = "section '" + section + "' has a memory '" + memoryName +
            "' which can not fit the absolute section. " + absoluteTail(section, start, length) +
            ".";
    return 0;
  }
  traceFit("allocateAbsAssigned", *memory);
  memory->allocate(section, start, length, overlay);
  recordPlacement(*this, *memory, section);
  return 1;
}

int Linker::allocateAbsUnassigned(std::list<Memory>& memories, const std::string& section,
                                  uint32_t start, uint32_t length, int overlay,
                                  std::string& error) {
  if (misalignedCode(*this, section, start, error)) return 0;
  // The first memory that holds the range, protected or not: an absolute
  // section's address is its own choice.
  Memory* chosen = nullptr;
  if (!holdingMemory(*this, memories, start, length, chosen)) {
    for (Memory& memory : memories) {
      traceAttempt("allocateAbsUnassigned", section, memory);
      if (memory.canFit(start, length)) {
        chosen = &memory;
        break;
      }
    }
  }
  if (chosen == nullptr || !chosen->canFit(start, length)) {
    error = "section '" + section + "' can not fit the absolute section. " +
            absoluteTail(section, start, length);
    return 0;
  }
  traceFit("allocateAbsUnassigned", *chosen);
  chosen->allocate(section, start, length, overlay);
  recordPlacement(*this, *chosen, section);
  return 1;
}

int Linker::allocateRelAssigned(std::list<Memory>& memories, const std::string& memoryName,
                                const std::string& section, uint32_t length, int overlay,
                                std::string& error) {
  return placeRelAssigned(*this, memories, memoryName, section, length, overlay, error);
}

int Linker::allocateRelUnassigned(std::list<Memory>& memories, const std::string& section,
                                  uint32_t length, int overlay, std::string& error) {
  return placeRelUnassigned(*this, memories, section, length, overlay, error);
}
