// Rules that the section allocation passes share: which memory list takes
// a section, which memory its SECTION directive names, its alignment, and
// the relocatable placement itself, for lengths that may not fit 32 bits
// (the image of a huge data section, the init table of absurdly many).
#pragma once

#include <cstdint>
#include <list>
#include <string>

#include "linker.h"

namespace allocation {

constexpr uint8_t kCode = 1;
constexpr uint8_t kIdata = 2;
constexpr uint8_t kUdata = 3;
constexpr uint8_t kRomdata = 4;

// The value under key, or the value type's zero; the map is not changed.
template <typename Map>
typename Map::mapped_type valueOf(const Map& map, const std::string& key) {
  const auto entry = map.find(key);
  return entry == map.end() ? typename Map::mapped_type{} : entry->second;
}

// The list that a section's type and flags select; null for an unknown type.
std::list<Memory>* memoriesOf(Linker& linker, const std::string& section);
// The memory that a SECTION directive names for the section's type.
std::string namedMemoryOf(const Linker& linker, const std::string& section,
                          const SectionDesc& desc);
// The first memory of that name in list order; null when there is none.
Memory* findMemory(std::list<Memory>& memories, const std::string& name);
// The same through the placement's index while one is kept.
Memory* findMemory(Linker& linker, std::list<Memory>& memories, const std::string& name);
// Records the memory that now holds the section.
void recordPlacement(Linker& linker, Memory& memory, const std::string& section);
const SectionDesc* findDesc(const std::list<SectionDesc>& descs, const std::string& name);
uint16_t alignmentOf(const Linker& linker, const std::string& section);

// Bytes of program memory that bytes of data take, without wrapping.
uint64_t addressUnits(const Linker& linker, uint64_t bytes);
uint32_t saturated(uint64_t value);
std::string unknownTypeText(const std::string& section);
std::string undefinedMemoryText(const std::string& section, const std::string& memory);

// Bytes of one entry of the init table: the long form when the device's
// program or data addresses pass 16 bits.
uint32_t cinitEntrySize(ProcessorCode processor);

int placeRelAssigned(Linker& linker, std::list<Memory>& memories, const std::string& memoryName,
                     const std::string& section, uint64_t length, int overlay, std::string& error);
int placeRelUnassigned(Linker& linker, std::list<Memory>& memories, const std::string& section,
                       uint64_t length, int overlay, std::string& error);

// Trace lines of the four placement operations.
void traceAttempt(const char* operation, const std::string& section, const Memory& memory);
void traceFit(const char* operation, const Memory& memory);

}  // namespace allocation
