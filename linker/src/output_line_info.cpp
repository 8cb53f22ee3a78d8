// The output's line numbers: those of the code sections, in input order,
// their symbol indexes moved to where each file's symbols now start. Line
// numbers of data sections have no use in the output and stay behind.
#include <iostream>

#include "debug_switches.h"
#include "linker.h"
#include "qassert.h"

int Linker::buildOutputLineInfo(std::string& /*error*/) {
  if (cStrip) return 1;
  const bool trace = traceOn("Linker::buildOutputLineInfo");
  for (size_t position = 0; position < cCoff.size(); ++position) {
    const Coff& file = *cCoff[position];
    const auto base = cSymBase.find(inputKey(position));
    QOR_ASSERT(base != cSymBase.end());
    const uint32_t shift = static_cast<uint32_t>(base->second);
    for (const auto& [number, name] : file.cScnNum) {
      const auto lines = file.cScnLineno.find(name);
      if (sectionTypeOf(name) != SECTION_CODE || lines == file.cScnLineno.end()) continue;
      std::list<coff_lineno>& output = cOutput.cScnLineno[name];
      for (coff_lineno line : lines->second) {
        if (trace)
          std::cout << "Linker::buildOutputLineInfo() - file '" << file.cName << "', section '"
                    << name << "', fixing up l_srcndx from " << line.l_srcndx << " to "
                    << line.l_srcndx + shift << ", l_fcnndx from " << line.l_fcnndx << " to "
                    << line.l_fcnndx + shift << std::endl;
        line.l_srcndx += shift;
        line.l_fcnndx += shift;
        output.push_back(line);
      }
    }
  }
  return 1;
}
