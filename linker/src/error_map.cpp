// The partial map: written right after allocation, whether it succeeded or
// not, so that a link that fails later still tells where its sections went.
// The full map of a successful link replaces it.
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

void Linker::writeErrorMapFile() {
  if (cMapFile.empty()) return;
  std::ostringstream map;
  map << linkerBanner() << "\nLinker Error Map File - Created " << creationTime();
  map << "\n*Warning* - This is only a partial map file due to a link time error.\n";
  map << "   Only sections which were allocated prior to the error are shown below.\n\n";
  writeMemoryTables(map, "CODEPAGES:", cCodePage);
  writeMemoryTables(map, "SHAREBANKS:", cShareBanks);
  writeMemoryTables(map, "DATABANKS:", cDataBanks);
  writeMemoryTables(map, "ACCESSBANKS:", cAccessBanks);
  // Through a replacement, so that a failed write leaves the map of an
  // earlier run whole rather than cut short.
  ReplacementFile file;
  if (!file.open(cMapFile, true) || !file.writeText(map.str()) || !file.commit())
    reportError("Linker::writeErrorMapFile()", "Could not open map file '", cMapFile,
                "' for writing.");
}
