// The walks of the symbol table that steer the listing: the ".file" and
// ".eof" symbols around each source file's symbols, the included files and
// the ".list"/".nolist" switches. All of them look at primary entries only
// and stop before the table's last entry.
#include <iostream>

#include "coff2cod.h"
#include "debug_switches.h"

// The index of the listing being written; outside a listing, one made for
// the question (the table is read afresh).
template <class Answer>
auto Coff2Cod::withScanIndex(const Coff& coff, Answer answer) const {
  if (cScanIndex) {
    return answer(*cScanIndex);
  }
  return answer(ListingScanIndex(coff));
}

int Coff2Cod::nextSourceFile(const Coff& coff, std::size_t& position) const {
  return skipToMark(coff, position, MARK_FILE);
}

int Coff2Cod::skipToEof(const Coff& coff, std::size_t& position) const {
  return skipToMark(coff, position, MARK_EOF);
}

// Moves the position forward until a primary entry of that name stands
// there (1), or to the scan limit (0). The listing only ever moves forward,
// so these walks cover the table once in all.
int Coff2Cod::skipToMark(const Coff& coff, std::size_t& position, uint8_t mark) const {
  return withScanIndex(coff, [&](const ListingScanIndex& index) {
    for (; position < index.limit(); ++position) {
      if (index.mark(position) == mark) {
        return 1;
      }
    }
    return 0;
  });
}

int Coff2Cod::hasInclude(const Coff& coff, std::size_t start, uint32_t line) const {
  const bool trace = traceOn("Coff2Cod::hasInclude");
  if (trace) {
    std::cout << "Coff2Cod::hasInclude() - index=" << start << " line=" << line << std::endl;
  }
  const std::size_t found = withScanIndex(
      coff, [&](const ListingScanIndex& index) { return index.includedFile(coff, start, line); });
  if (found == ListingScanIndex::NONE) {
    return 0;
  }
  if (trace) {
    std::cout << "Coff2Cod::hasInclude() - found index=" << found << " line=" << line << std::endl;
  }
  return 1;
}

void Coff2Cod::updateListState(const Coff& coff, std::size_t start, uint32_t line) {
  const uint8_t mark = withScanIndex(
      coff, [&](const ListingScanIndex& index) { return index.listSwitch(start, line); });
  if (mark == MARK_LIST || mark == MARK_NOLIST) {
    cListing = mark == MARK_LIST ? 1 : 0;
  }
}
