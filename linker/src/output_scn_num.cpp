// The output's section numbers: every section once, in the order in which
// the inputs first name it, each idata section followed by its image, then
// the sections the linker makes itself.
#include <iostream>
#include <set>

#include "debug_switches.h"
#include "linker.h"
#include "output_support.h"

namespace {

class SectionNumbering {
 public:
  explicit SectionNumbering(Coff& output) : cOutput(output) {}

  // A section met again in a later input keeps its first number.
  void numberOnce(const std::string& name) {
    if (cNumbered.insert(name).second) number(name);
  }

  void number(const std::string& name) {
    const int next = static_cast<int>(cOutput.cScnNum.size()) + 1;
    cOutput.cScnNum[next] = name;
    if (traceOn("Linker::buildOutputScnNum"))
      std::cout << "Linker::buildOutputScnNum() - cOutput.cScnNum[" << next << "]='" << name << "'"
                << std::endl;
  }

 private:
  Coff& cOutput;
  std::set<std::string> cNumbered;
};

}  // namespace

int Linker::buildOutputScnNum(std::string& /*error*/) {
  SectionNumbering numbering(cOutput);
  for (const auto& coff : cCoff) {
    for (const auto& [number, name] : coff->cScnNum) {
      numbering.numberOnce(name);
      if (sectionTypeOf(name) == SECTION_IDATA) numbering.numberOnce(Linker::initSectionName(name));
    }
  }
  // The initialised-data table exists in every link, with or without idata.
  numbering.number(cCinitScnName);
  if (cHasStack) numbering.number(cStackScnName);
  return 1;
}
