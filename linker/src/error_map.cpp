// The partial map: made right after allocation, whether it succeeded or
// not, and written only when the link fails, so that the user still sees
// where its sections went. A link that succeeds writes the full map alone,
// and one that is interrupted, or whose outputs cannot be written, leaves
// the old map with the old output.
#include <ctime>
#include <sstream>

#include "banners.h"
#include "diagnostics.h"
#include "linker.h"
#include "replacement_file.h"

namespace {

void writeMemoryTables(std::ostream& out, const char* title, const std::list<Memory>& memories) {
  out << title << '\n';
  int withHeader = 1;
  for (const Memory& memory : memories) {
    memory.printMap(out, withHeader);
    withHeader = 0;
  }
  out << '\n';
}

// The local time as ctime prints it, line end included.
std::string creationTime() {
  const std::time_t now = std::time(nullptr);
  const char* text = std::ctime(&now);
  return text != nullptr ? text : "\n";
}

}  // namespace

void Linker::composeErrorMap() {
  cErrorMap.clear();
  if (cMapFile.empty()) return;
  std::ostringstream map;
  map << linkerBanner() << "\nLinker Error Map File - Created " << creationTime();
  map << "\n*Warning* - This is only a partial map file due to a link time error.\n";
  map << "   Only sections which were allocated prior to the error are shown below.\n\n";
  writeMemoryTables(map, "CODEPAGES:", cCodePage);
  writeMemoryTables(map, "SHAREBANKS:", cShareBanks);
  writeMemoryTables(map, "DATABANKS:", cDataBanks);
  writeMemoryTables(map, "ACCESSBANKS:", cAccessBanks);
  cErrorMap = map.str();
}

void Linker::writeErrorMapFile() {
  if (cMapFile.empty()) return;
  if (cErrorMap.empty()) composeErrorMap();
  // Through a replacement, so that a failed write leaves the map of an
  // earlier run whole rather than cut short.
  ReplacementFile file;
  if (!file.open(cMapFile, true) || !file.writeText(cErrorMap) || !file.commit())
    reportError("Linker::writeErrorMapFile()", "Could not open map file '", cMapFile,
                "' for writing.");
}
