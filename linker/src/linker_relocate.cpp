// Symbols and line entries moved to their final addresses: each input's part
// of a section now has its own start, and everything the input placed in
// that section moves by the distance between that start and the address the
// input was assembled for.
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "debug_switches.h"
#include "linker.h"
#include "linker_symbol_walk.h"
#include "output_support.h"
#include "text_helpers.h"

namespace {

// How far the part of `section` that input `position` contributes moved. The
// difference wraps like the 32-bit values it is added to, so a part that
// moved down comes out right too.
uint32_t partDelta(const Linker& linker, size_t position, const std::string& section,
                   const SectionHeader& header) {
  // Loading gave every input's part of a placed section a start.
  return memoryOfSection(linker.cScnMem, section).getLoadStart(linker.inputKey(position), section) -
         header.s_paddr;
}

// The relocatable symbols of one input grouped by section number, each group
// in table order: one pass over the table instead of one per section.
std::map<int16_t, std::vector<size_t>> relocatableBySection(const Coff& file) {
  std::map<int16_t, std::vector<size_t>> bySection;
  forEachPrimarySymbol(file, [&](size_t i, const SymbolEntry& symbol) {
    if (Coff::isRelocatable(symbol)) bySection[symbol.n_scnum].push_back(i);
  });
  return bySection;
}

void traceMove(const char* what, const std::string& item, const std::string& section, uint32_t from,
               uint32_t to) {
  std::cout << what << item << "' in section '" << section << "'  from " << formatHex(from, 4)
            << " to " << formatHex(to, 4) << std::endl;
}

}  // namespace

int Linker::relocateSymbols(std::string& /*error*/) {
  const bool trace = traceOn("Linker::relocateSymbols");
  for (size_t position = 0; position < cCoff.size(); ++position) {
    Coff& file = *cCoff[position];
    for (const auto& [number, indexes] : relocatableBySection(file)) {
      const auto* section = sectionByNumber(file, number);
      if (section == nullptr) continue;
      const uint32_t delta = partDelta(*this, position, section->first, section->second);
      for (const size_t i : indexes) {
        SymbolEntry& symbol = file.cSymTbl[i];
        const uint32_t from = symbol.n_value;
        symbol.n_value = from + delta;
        if (trace)
          traceMove("Linker::relocateSymbols() - symbol '", Coff::getName(symbol, file.cStrTbl),
                    section->first, from, symbol.n_value);
      }
    }
  }
  return 1;
}

int Linker::relocateLineInfo(std::string& /*error*/) {
  const bool trace = traceOn("Linker::relocateLineInfo");
  for (size_t position = 0; position < cCoff.size(); ++position) {
    Coff& file = *cCoff[position];
    for (const auto& [number, name] : file.cScnNum) {
      // Only code has line entries whose addresses lie in the section; the
      // others are left as the input gave them.
      if (sectionTypeOf(name) != SECTION_CODE) continue;
      const auto lines = file.cScnLineno.find(name);
      const auto* section = sectionByNumber(file, number);
      if (lines == file.cScnLineno.end() || section == nullptr) continue;
      const uint32_t delta = partDelta(*this, position, name, section->second);
      for (coff_lineno& line : lines->second) {
        const uint32_t from = line.l_paddr;
        line.l_paddr = from + delta;
        if (trace)
          traceMove("Linker::relocateLineInfo() - line num '", std::to_string(line.l_lnno), name,
                    from, line.l_paddr);
      }
    }
  }
  return 1;
}
