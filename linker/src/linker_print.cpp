// The developer's dump of the Linker, printed only under the trace
// switches: the settings, the memories and the per-section tables.
#include <ostream>
#include <sstream>
#include <string>

#include "debug_switches.h"
#include "linker.h"
#include "text_helpers.h"

namespace {

void printNames(std::ostream& out, const char* label, const std::list<std::string>& names) {
  int index = 0;
  for (const std::string& name : names)
    out << "  " << label << "[" << index++ << "]=" << name << '\n';
  out << '\n';
}

// A memory's own dump, every line moved three blanks to the right so that
// it stands apart from the labels.
void printMemories(std::ostream& out, const char* label, const std::list<Memory>& memories) {
  int index = 0;
  for (const Memory& memory : memories) {
    out << "  " << label << "[" << index++ << "]=\n";
    std::ostringstream dump;
    memory.dump(dump);
    std::istringstream lines(dump.str());
    for (std::string line; std::getline(lines, line);) out << "   " << line << '\n';
  }
  out << '\n';
}

template <typename Value>
void printEntry(std::ostream& out, const char* label, const std::string& section,
                const std::map<std::string, Value>& table) {
  auto entry = table.find(section);
  if (entry != table.end()) out << label << section << "]=" << +entry->second << '\n';
}

void printHexEntry(std::ostream& out, const char* label, const std::string& section,
                   const std::map<std::string, uint32_t>& table) {
  auto entry = table.find(section);
  if (entry != table.end()) out << label << section << "]=" << formatHex(entry->second, 4) << '\n';
}

}  // namespace

void Linker::print(std::ostream& out) const {
  out << "Linker:\n";
  out << "  cMinHeapSize=" << formatHex(cMinHeapSize, 4) << '\n';
  out << "  cStackDesc=";
  cStackDesc.dump(out);
  out << '\n';
  out << "  cMapFile=" << cMapFile << '\n';
  out << "  cOutputFile=" << cOutputFile << '\n';
  out << '\n';
  printNames(out, "cObjectFile", cObjectFile);
  printNames(out, "cLibraryFile", cLibraryFile);
  printMemories(out, "cCodePage", cCodePage);
  printMemories(out, "cDataBanks", cDataBanks);
  printMemories(out, "cShareBanks", cShareBanks);
  printMemories(out, "cAccessBanks", cAccessBanks);
  int index = 0;
  for (const SectionDesc& section : cSectionDesc) {
    out << "  cSectionDesc[" << index++ << "]=";
    section.dump(out);
  }
  out << '\n';
  printNames(out, "cLibPath", cLibPath);
  out << "  cStrip=" << cStrip << '\n';
  if (traceOn("Linker::print")) {
    for (const auto& input : cCoff) {
      out << "  cCoff[" << input->cName << "]=\n";
      input->dump(out);
    }
    out << "  cOutput=\n";
    cOutput.dump(out);
  }
  out << "------- Linker Internals: \n";
  for (const auto& [section, size] : cScnSize) {
    out << "cScnSize[" << section << "]=" << size << '\n';
    printEntry(out, "cScnType[", section, cScnType);
    printEntry(out, "cScnAbs[", section, cScnAbs);
    printEntry(out, "cScnShare[", section, cScnShare);
    printEntry(out, "cScnAccess[", section, cScnAccess);
    auto absolute = cScnAbs.find(section);
    if (absolute != cScnAbs.end() && absolute->second) {
      printHexEntry(out, "cScnAbsStart[", section, cScnAbsStart);
      printHexEntry(out, "cScnAbsSize[", section, cScnAbsSize);
    }
    auto memory = cScnMem.find(section);
    if (memory != cScnMem.end() && memory->second != nullptr) {
      out << "cScnMem[" << section << "]=" << memory->second->getName() << '\n';
    }
    out << '\n';
  }
}
