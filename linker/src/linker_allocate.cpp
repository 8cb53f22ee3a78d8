// The passes of section allocation. Fixed addresses go first, then what
// the command file places by name, then the stack and the table where it
// does not, and last everything else, largest first, so that big sections
// still find room before small ones cut the holes up.
#include <algorithm>
#include <iostream>
#include <map>
#include <vector>

#include "allocation_rules.h"
#include "debug_switches.h"
#include "placement_index.h"
#include "text_helpers.h"

using namespace allocation;

namespace {

using DescIndex = std::map<std::string, const SectionDesc*>;

// A section as the closing trace lists it, with the size it was placed by.
struct Placed {
  std::string name;
  uint32_t size;
};

struct PassLog {
  std::vector<Placed> absolute;
  std::vector<Placed> assigned;
  std::vector<Placed> unassigned;
};

DescIndex indexByName(const std::list<SectionDesc>& descs) {
  DescIndex index;
  for (const SectionDesc& desc : descs) index.emplace(desc.getName(), &desc);
  return index;
}

void traceDesc(const char* kind, const SectionDesc& desc) {
  if (!traceOn("Linker::mapSections")) return;
  std::cout << "Linker::mapSections() - " << kind << " section '" << desc.getName()
            << "' has the following SECTION:";
  desc.dump(std::cout);
}

void traceList(const char* title, const std::vector<Placed>& sections) {
  std::cout << title << '\n';
  for (const Placed& section : sections) {
    std::cout << "    section '" << section.name << "', size=" << formatHex(section.size, 4)
              << '\n';
  }
}

void traceLog(const PassLog& log) {
  if (!traceOn("Linker::mapSections")) return;
  std::cout << "Linker::mapSections():\n";
  traceList("  absolute dump: ", log.absolute);
  traceList("  relocatable assigned dump: ", log.assigned);
  traceList("  relocatable unassigned dump: ", log.unassigned);
}

int placeAbsolute(Linker& linker, const DescIndex& descs, PassLog& log, std::string& error) {
  for (const auto& [name, absolute] : linker.cScnAbs) {
    if (!absolute) continue;
    std::list<Memory>* memories = memoriesOf(linker, name);
    if (memories == nullptr) {
      error = unknownTypeText(name);
      return 0;
    }
    const uint32_t start = valueOf(linker.cScnAbsStart, name);
    const uint32_t length = valueOf(linker.cScnAbsSize, name);
    const int overlay = valueOf(linker.cScnOverlay, name);
    const auto desc = descs.find(name);
    int placed = 0;
    if (desc != descs.end()) {
      traceDesc("absolute", *desc->second);
      placed = linker.allocateAbsAssigned(*memories, namedMemoryOf(linker, name, *desc->second),
                                          name, start, length, overlay, error);
    } else {
      placed = linker.allocateAbsUnassigned(*memories, name, start, length, overlay, error);
    }
    if (!placed) return 0;
    log.absolute.push_back({name, length});
  }
  return 1;
}

// Image name to its idata section.
std::map<std::string, std::string> imageNames(const Linker& linker) {
  std::map<std::string, std::string> images;
  for (const auto& [name, type] : linker.cScnType) {
    if (type == kIdata) images.emplace(Linker::initSectionName(name), name);
  }
  return images;
}

int placeDescribed(Linker& linker, PassLog& log, std::string& error) {
  const std::map<std::string, std::string> images = imageNames(linker);
  for (const SectionDesc& desc : linker.cSectionDesc) {
    const std::string name = desc.getName();
    const auto image = images.find(name);
    if (image != images.end()) {
      traceDesc("relocatable", desc);
      if (!linker.allocateInitImage(name, error)) return 0;
      log.assigned.push_back(
          {name, linker.toAddressUnits(valueOf(linker.cScnSize, image->second))});
      continue;
    }
    // Absolute sections are placed already; ".cinit" and names that no
    // input has are no input's relocatable sections.
    const auto absolute = linker.cScnAbs.find(name);
    if (absolute == linker.cScnAbs.end() || absolute->second != 0) continue;
    std::list<Memory>* memories = memoriesOf(linker, name);
    if (memories == nullptr) {
      error = unknownTypeText(name);
      return 0;
    }
    traceDesc("relocatable", desc);
    const uint32_t length = valueOf(linker.cScnSize, name);
    if (!linker.allocateRelAssigned(*memories, namedMemoryOf(linker, name, desc), name, length,
                                    valueOf(linker.cScnOverlay, name), error)) {
      return 0;
    }
    log.assigned.push_back({name, length});
  }
  return 1;
}

struct Pending {
  std::string name;  // for an image, its idata section's
  uint32_t key;
  bool isImage;
};

// Every section still without a place, each idata section's image right
// after the section's own place, largest key first; equal keys keep that
// order. Keys compare as signed numbers.
std::vector<Pending> remainingBySize(const Linker& linker, const DescIndex& descs) {
  std::vector<Pending> pending;
  for (const auto& [name, absolute] : linker.cScnAbs) {
    const uint32_t size = valueOf(linker.cScnSize, name);
    if (!absolute && !descs.count(name)) pending.push_back({name, size, false});
    if (valueOf(linker.cScnType, name) != kIdata) continue;
    const std::string image = Linker::initSectionName(name);
    if (!descs.count(image)) pending.push_back({name, linker.toAddressUnits(size), true});
  }
  std::stable_sort(pending.begin(), pending.end(), [](const Pending& a, const Pending& b) {
    return static_cast<int32_t>(a.key) > static_cast<int32_t>(b.key);
  });
  return pending;
}

int placeRemaining(Linker& linker, const DescIndex& descs, PassLog& log, std::string& error) {
  for (const Pending& section : remainingBySize(linker, descs)) {
    if (section.isImage) {
      const std::string image = Linker::initSectionName(section.name);
      log.unassigned.push_back({image, section.key});
      if (!linker.allocateInitImage(image, error)) return 0;
      continue;
    }
    log.unassigned.push_back({section.name, section.key});
    std::list<Memory>* memories = memoriesOf(linker, section.name);
    if (memories == nullptr) {
      error = unknownTypeText(section.name);
      return 0;
    }
    if (!linker.allocateRelUnassigned(*memories, section.name, section.key,
                                      valueOf(linker.cScnOverlay, section.name), error)) {
      return 0;
    }
  }
  return 1;
}

}  // namespace

int Linker::mapSections(std::string& error) {
  const ScopedPlacementIndex index(*this);
  const DescIndex descs = indexByName(cSectionDesc);
  const int cinitNamed = descs.count(cCinitScnName) ? 1 : 0;
  PassLog log;
  if (!placeAbsolute(*this, descs, log, error)) return 0;
  if (stackHasMemory() && !allocateStack(error)) return 0;
  if (cinitNamed && !allocateCinit(error)) return 0;
  if (!placeDescribed(*this, log, error)) return 0;
  if (cHasStack && !stackHasMemory() && !allocateStack(error)) return 0;
  // The table is placed even when no data is to be copied: the start-up
  // code reads its count all the same.
  if (!cinitNamed && !allocateCinit(error)) return 0;
  if (!placeRemaining(*this, descs, log, error)) return 0;
  traceLog(log);
  return 1;
}
