// The walks of the symbol table that steer the listing: the ".file" and
// ".eof" symbols around each source file's symbols, the included files and
// the ".list"/".nolist" switches. All of them look at primary entries only
// and stop before the table's last entry.
#include <iostream>

#include "coff2cod.h"
#include "debug_switches.h"

std::size_t Coff2Cod::scanLimit(const Coff& coff) const {
  const std::size_t count = coff.cSymTbl.size();
  return count == 0 ? 0 : count - 1;
}

uint8_t Coff2Cod::readMark(const Coff& coff, std::size_t index) {
  if (coff.cAuxType[index] != AUX_NONE) {
    return MARK_AUX;
  }
  const std::string name = Coff::getName(coff.cSymTbl[index], coff.cStrTbl);
  if (name == ".file") return MARK_FILE;
  if (name == ".eof") return MARK_EOF;
  if (name == ".list") return MARK_LIST;
  if (name == ".nolist") return MARK_NOLIST;
  return MARK_OTHER;
}

// The marks read by createListFile, or the entry's own name when the scans
// run outside a listing.
uint8_t Coff2Cod::markOf(const Coff& coff, std::size_t index) const {
  if (cMarks.size() == coff.cSymTbl.size()) {
    return cMarks[index];
  }
  return readMark(coff, index);
}

int Coff2Cod::nextSourceFile(const Coff& coff, std::size_t& position) const {
  return skipToMark(coff, position, MARK_FILE);
}

int Coff2Cod::skipToEof(const Coff& coff, std::size_t& position) const {
  return skipToMark(coff, position, MARK_EOF);
}

// Moves the position forward until a primary entry of that name stands
// there (1), or to the scan limit (0).
int Coff2Cod::skipToMark(const Coff& coff, std::size_t& position, uint8_t mark) const {
  const std::size_t limit = scanLimit(coff);
  for (; position < limit; ++position) {
    if (markOf(coff, position) == mark) {
      return 1;
    }
  }
  return 0;
}

int Coff2Cod::hasInclude(const Coff& coff, std::size_t start, uint32_t line) const {
  const bool trace = traceOn("Coff2Cod::hasInclude");
  if (trace) {
    std::cout << "Coff2Cod::hasInclude() - index=" << start << " line=" << line << std::endl;
  }
  // Only the files that this file includes itself count: the run of a file
  // that does not match is passed over whole, so a line number of a file
  // included there is never taken for a line of this one.
  const std::size_t limit = scanLimit(coff);
  int depth = 0;
  for (std::size_t index = start; index < limit; ++index) {
    const uint8_t mark = markOf(coff, index);
    if (mark == MARK_EOF) {
      if (depth == 0) {
        return 0;
      }
      depth -= 1;
      continue;
    }
    if (mark != MARK_FILE) {
      continue;
    }
    if (depth == 0 && coff.cAuxType[index + 1] == AUX_FILE) {
      const uint32_t includeLine = AuxFile::from(coff.cSymTbl[index + 1]).x_incline;
      if (includeLine == line || (includeLine == 0 && index == start)) {
        if (trace) {
          std::cout << "Coff2Cod::hasInclude() - found index=" << index << " line=" << line
                    << std::endl;
        }
        return 1;
      }
    }
    depth += 1;
  }
  return 0;
}

void Coff2Cod::updateListState(const Coff& coff, std::size_t start, uint32_t line) {
  const std::size_t limit = scanLimit(coff);
  for (std::size_t index = start; index < limit; ++index) {
    const uint8_t mark = markOf(coff, index);
    if (mark == MARK_EOF || mark == MARK_FILE) {
      return;
    }
    if ((mark == MARK_LIST || mark == MARK_NOLIST) && coff.cSymTbl[index].n_value == line) {
      cListing = mark == MARK_LIST ? 1 : 0;
      return;
    }
  }
}
