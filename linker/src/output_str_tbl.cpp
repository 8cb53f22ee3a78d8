// Long image section names in the output's string table: a header can
// hold only eight characters inline, and the header step finds the longer
// names here.
#include "linker.h"
#include "output_support.h"

int Linker::buildOutputStrTbl(std::string& /*error*/) {
  for (const auto& [name, type] : cScnType) {
    if (type != SECTION_IDATA) continue;
    const std::string image = Linker::initSectionName(name);
    if (image.size() > kInlineNameLength) appendString(cOutput.cStrTbl, image);
  }
  return 1;
}
