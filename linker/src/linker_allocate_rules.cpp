// The rules every allocation pass applies alike: where a section may go
// and how it is aligned.
#include <cstdint>
#include <iostream>

#include "allocation_rules.h"
#include "debug_switches.h"
#include "output_support.h"
#include "placement_index.h"

namespace allocation {

std::list<Memory>* memoriesOf(Linker& linker, const std::string& section) {
  switch (valueOf(linker.cScnType, section)) {
    case kCode:
    case kRomdata: return &linker.cCodePage;
    case kIdata:
    case kUdata:
      if (valueOf(linker.cScnShare, section)) return &linker.cShareBanks;
      if (valueOf(linker.cScnAccess, section)) return &linker.cAccessBanks;
      return &linker.cDataBanks;
    default: return nullptr;
  }
}

std::string namedMemoryOf(const Linker& linker, const std::string& section,
                          const SectionDesc& desc) {
  const uint8_t type = valueOf(linker.cScnType, section);
  return type == kIdata || type == kUdata ? desc.getRunMemory() : desc.getLoadMemory();
}

Memory* findMemory(std::list<Memory>& memories, const std::string& name) {
  for (Memory& memory : memories) {
    if (memory.getName() == name) return &memory;
  }
  return nullptr;
}

Memory* findMemory(Linker& linker, std::list<Memory>& memories, const std::string& name) {
  return linker.cPlacementIndex != nullptr ? linker.cPlacementIndex->find(memories, name)
                                           : findMemory(memories, name);
}

void recordPlacement(Linker& linker, Memory& memory, const std::string& section) {
  linker.cScnMem[section] = &memory;
  if (linker.cPlacementIndex != nullptr) linker.cPlacementIndex->placed(memory);
}

const SectionDesc* findDesc(const std::list<SectionDesc>& descs, const std::string& name) {
  for (const SectionDesc& desc : descs) {
    if (desc.getName() == name) return &desc;
  }
  return nullptr;
}

uint16_t alignmentOf(const Linker& linker, const std::string& section) {
  // Byte-addressed program memory holds two-byte instructions, which must
  // start at even addresses; every other location is a whole word.
  return linker.cRomWidthBits == 8 && valueOf(linker.cScnType, section) == kCode ? 2 : 1;
}

uint64_t addressUnits(const Linker& linker, uint64_t bytes) {
  return needsRetlwImage(linker.cRomWidthBits) ? bytes * 2 : bytes;
}

uint32_t saturated(uint64_t value) {
  return value > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(value);
}

std::string unknownTypeText(const std::string& section) {
  return "unknown section type for section '" + section + "'.";
}

std::string undefinedMemoryText(const std::string& section, const std::string& memory) {
  return "section '" + section + "' has a memory '" + memory +
         "' which is not defined in the linker command file.";
}

uint32_t cinitEntrySize(ProcessorCode processor) {
  return procMaxProgramAddress(processor) > 0xFFFF || procMaxDataAddress(processor) > 0xFFFF ? 12
                                                                                             : 6;
}

void traceAttempt(const char* operation, const std::string& section, const Memory& memory) {
  if (!traceOn(std::string("Linker::") + operation)) return;
  std::cout << "Linker::" << operation << "() - trying to allocate section '" << section
            << "' in memory '" << memory.getName() << "'\n";
}

void traceFit(const char* operation, const Memory& memory) {
  if (!traceOn(std::string("Linker::") + operation)) return;
  std::cout << "Linker::" << operation << "() - memory '" << memory.getName()
            << "' can fit the section! Will allocate.\n";
}

}  // namespace allocation
