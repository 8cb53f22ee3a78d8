// The command operations: every setting of the command line and the command
// files arrives here, is checked against what is already held and stored.
// Since each check looks only at what came before, the order of the
// directives matters: a memory must be defined before a section names it.
#include <iterator>
#include <list>
#include <set>
#include <string>

#include "linker.h"
#include "qassert.h"

namespace {

std::string overlapText(const Memory& added, const Memory& held) {
  return "memory '" + added.getName() + "' overlaps memory '" + held.getName() + "' ";
}

// The first memory of the list that overlaps the new one, in list order.
const Memory* firstOverlap(const std::list<Memory>& held, const Memory& memory) {
  for (const Memory& candidate : held) {
    if (Memory::overlaps(memory, candidate)) return &candidate;
  }
  return nullptr;
}

// A memory whose end lies below its start shares no location with any
// other; the spans of the index are the others.
bool hasLocations(const Memory& memory) { return memory.getEnd() >= memory.getStart(); }

// A file name that may be given once: the output or the map file.
int setNameOnce(std::string& field, const std::string& name, const std::string& kind,
                std::string& error) {
  if (!field.empty()) {
    error = "multiple " + kind + " declared: '" + field + "', '" + name + "'";
    return 0;
  }
  field = name;
  return 1;
}

// An input file, which may be named once, compared as written.
int addNameOnce(std::list<std::string>& names, std::set<std::string>& index,
                const std::string& name, const std::string& kind, std::string& error) {
  if (!index.insert(name).second) {
    error = "mutliple inclusion of " + kind + " '" + name + "' ";
    return 0;
  }
  names.push_back(name);
  return 1;
}

}  // namespace

int Linker::setMinHeapSize(uint32_t size, std::string& error) {
  if (cHasMinHeapSize) {
    error = "multiple min heap sizes declared: '" + std::to_string(cMinHeapSize) + "', '" +
            std::to_string(size) + "'";
    return 0;
  }
  cMinHeapSize = size;
  cHasMinHeapSize = 1;
  return 1;
}

int Linker::setMapFile(const std::string& name, std::string& error) {
  return setNameOnce(cMapFile, name, "map files", error);
}

int Linker::setOutputFile(const std::string& name, std::string& error) {
  return setNameOnce(cOutputFile, name, "output files", error);
}

int Linker::addObjectFile(const std::string& name, std::string& error) {
  return addNameOnce(cObjectFile, cObjectFileIndex, name, "object file", error);
}

int Linker::addLibraryFile(const std::string& name, std::string& error) {
  return addNameOnce(cLibraryFile, cLibraryFileIndex, name, "library file", error);
}

int Linker::checkDuplicateMemory(const Memory& memory, int skipShareBanks,
                                 std::string& error) const {
  auto held = cMemoryIndex.find(memory.getName());
  if (held == cMemoryIndex.end()) return 1;
  if (skipShareBanks && held->second.kind == MemoryKind::ShareBank) return 1;
  error = "duplicate definition of memory '" + memory.getName() + "' ";
  return 0;
}

// Held memories of one index never overlap each other, so only the span
// that starts last at or before the new start, and the one after it, can
// share a location with the new memory.
int Linker::spansOverlap(const Spans& spans, const Memory& memory) {
  if (!hasLocations(memory)) return 0;
  auto after = spans.upper_bound(memory.getStart());
  if (after != spans.end() && after->first <= memory.getEnd()) return 1;
  if (after == spans.begin()) return 0;
  return std::prev(after)->second >= memory.getStart() ? 1 : 0;
}

void Linker::addSpan(Spans& spans, const Memory& memory) {
  if (hasLocations(memory)) spans[memory.getStart()] = memory.getEnd();
}

int Linker::checkCodePageOverlap(const Memory& memory, std::string& error) const {
  if (!spansOverlap(cCodeSpans, memory)) return 1;
  const Memory* held = firstOverlap(cCodePage, memory);
  QOR_ASSERT(held != nullptr);
  error = overlapText(memory, *held);
  return 0;
}

int Linker::checkDataOverlap(const Memory& memory, std::string& error) const {
  if (!spansOverlap(cDataSpans, memory)) return 1;
  const Memory* held = firstOverlap(cDataBanks, memory);
  if (held == nullptr) held = firstOverlap(cShareBanks, memory);
  if (held == nullptr) held = firstOverlap(cAccessBanks, memory);
  QOR_ASSERT(held != nullptr);
  error = overlapText(memory, *held);
  return 0;
}

int Linker::addCodePage(const Memory& memory, std::string& error) {
  if (!checkDuplicateMemory(memory, 0, error) || !checkCodePageOverlap(memory, error)) return 0;
  cCodePage.push_back(memory);
  cMemoryIndex.emplace(memory.getName(), HeldMemory{MemoryKind::CodePage, memory.getSize()});
  addSpan(cCodeSpans, memory);
  return 1;
}

int Linker::addDataMemory(std::list<Memory>& list, MemoryKind kind, const Memory& memory,
                          std::string& error) {
  if (!checkDuplicateMemory(memory, 0, error) || !checkDataOverlap(memory, error)) return 0;
  list.push_back(memory);
  cMemoryIndex.emplace(memory.getName(), HeldMemory{kind, memory.getSize()});
  addSpan(cDataSpans, memory);
  return 1;
}

int Linker::addDataBank(const Memory& memory, std::string& error) {
  return addDataMemory(cDataBanks, MemoryKind::DataBank, memory, error);
}

int Linker::addAccessBank(const Memory& memory, std::string& error) {
  return addDataMemory(cAccessBanks, MemoryKind::AccessBank, memory, error);
}

// One share bank may be defined several times (the same block seen from
// several banks), but every definition must have the same length.
int Linker::addShareBank(const Memory& memory, std::string& error) {
  if (!checkDuplicateMemory(memory, 1, error) || !checkDataOverlap(memory, error)) return 0;
  auto held = cMemoryIndex.find(memory.getName());
  if (held != cMemoryIndex.end() && held->second.size != memory.getSize()) {
    error = "inconsistent length definitions of SHAREBANK '" + memory.getName() + "' ";
    return 0;
  }
  cShareBanks.push_back(memory);
  cMemoryIndex.emplace(memory.getName(), HeldMemory{MemoryKind::ShareBank, memory.getSize()});
  addSpan(cDataSpans, memory);
  return 1;
}

int Linker::holdsDataMemory(const std::string& name) const {
  auto held = cMemoryIndex.find(name);
  return held != cMemoryIndex.end() && held->second.kind != MemoryKind::CodePage ? 1 : 0;
}

int Linker::addSection(const SectionDesc& section, std::string& error) {
  const std::string name = section.getName();
  if (cSectionIndex.count(name)) {
    error = "duplicate definitions of SECTION '" + name + "' ";
    return 0;
  }
  const std::string romName = section.getLoadMemory();
  if (!romName.empty()) {
    auto held = cMemoryIndex.find(romName);
    if (held == cMemoryIndex.end() || held->second.kind != MemoryKind::CodePage) {
      error = "undefined CODEPAGE '" + romName + "' for SECTION '" + name + "' ";
      return 0;
    }
  }
  const std::string ramName = section.getRunMemory();
  if (!ramName.empty() && !holdsDataMemory(ramName)) {
    error = "undefined DATABANK/SHAREBANK '" + ramName + "' for SECTION '" + name + "' ";
    return 0;
  }
  cSectionDesc.push_back(section);
  cSectionIndex.emplace(name, &cSectionDesc.back());
  return 1;
}

int Linker::setStack(const StackDesc& stack, std::string& error) {
  if (cHasStack) {
    error = "multiple STACK definitions ";
    return 0;
  }
  const std::string ramName = stack.getRunMemory();
  if (!ramName.empty() && !holdsDataMemory(ramName)) {
    error = "undefined DATABANK/SHAREBANK '" + ramName + "' for STACK. ";
    return 0;
  }
  cStackDesc = stack;
  cHasStack = 1;
  return 1;
}

int Linker::addLibPath(const std::string& directory, std::string&) {
  cLibPath.push_back(directory);
  return 1;
}

int Linker::setStrip(int strip, std::string&) {
  cStrip = strip;
  return 1;
}
