#include "listing_scan_index.h"

#include <algorithm>

ListingScanIndex::ListingScanIndex(const Coff& coff) {
  const std::size_t count = coff.cSymTbl.size();
  cLimit = count == 0 ? 0 : count - 1;
  cMarks.reserve(count);
  for (std::size_t index = 0; index < count; ++index) {
    cMarks.push_back(readMark(coff, index));
  }
  computeLevels();
  computeRunEnds();
  computeGroupEnds();
  collectKeys(coff);
}

uint8_t ListingScanIndex::readMark(const Coff& coff, std::size_t index) {
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

// A walk from any index counts its depth as the level of the entry it is at
// minus the level of its start, so the entries at depth 0 are those on the
// start's own level.
void ListingScanIndex::computeLevels() {
  cLevel.resize(cLimit);
  int64_t level = 0;
  for (std::size_t index = 0; index < cLimit; ++index) {
    cLevel[index] = level;
    if (cMarks[index] == MARK_FILE) level += 1;
    if (cMarks[index] == MARK_EOF) level -= 1;
  }
}

void ListingScanIndex::computeRunEnds() {
  cRunEnd.resize(cLimit);
  std::size_t next = cLimit;
  for (std::size_t index = cLimit; index-- > 0;) {
    if (cMarks[index] == MARK_FILE || cMarks[index] == MARK_EOF) next = index;
    cRunEnd[index] = next;
  }
}

// The level only ever moves by one, so leaving a level below the start's
// takes an ".eof" on the start's level: the next one ends the walk.
void ListingScanIndex::computeGroupEnds() {
  cGroupEnd.resize(cLimit);
  if (cLimit == 0) return;
  const auto [lowest, highest] = std::minmax_element(cLevel.begin(), cLevel.end());
  const int64_t base = *lowest;
  std::vector<std::size_t> nextEof(static_cast<std::size_t>(*highest - base + 1), cLimit);
  for (std::size_t index = cLimit; index-- > 0;) {
    std::size_t& next = nextEof[static_cast<std::size_t>(cLevel[index] - base)];
    if (cMarks[index] == MARK_EOF) next = index;
    cGroupEnd[index] = next;
  }
}

void ListingScanIndex::collectKeys(const Coff& coff) {
  for (std::size_t index = 0; index < cLimit; ++index) {
    const uint8_t mark = cMarks[index];
    if (mark == MARK_LIST || mark == MARK_NOLIST) {
      cSwitches.push_back({cRunEnd[index], 0, coff.cSymTbl[index].n_value, index});
    } else if (mark == MARK_FILE && coff.cAuxType[index + 1] == AUX_FILE) {
      const uint32_t includeLine = AuxFile::from(coff.cSymTbl[index + 1]).x_incline;
      cIncludes.push_back({cGroupEnd[index], cLevel[index], includeLine, index});
    }
  }
  std::sort(cSwitches.begin(), cSwitches.end());
  std::sort(cIncludes.begin(), cIncludes.end());
}

const ListingScanIndex::Key* ListingScanIndex::firstFrom(const std::vector<Key>& keys,
                                                         const Key& wanted) {
  const auto found = std::lower_bound(keys.begin(), keys.end(), wanted);
  if (found == keys.end() || found->end != wanted.end || found->level != wanted.level ||
      found->line != wanted.line) {
    return nullptr;
  }
  return &*found;
}

uint8_t ListingScanIndex::listSwitch(std::size_t start, uint32_t line) const {
  if (start >= cLimit) return MARK_OTHER;
  const Key* found = firstFrom(cSwitches, {cRunEnd[start], 0, line, start});
  return found == nullptr ? static_cast<uint8_t>(MARK_OTHER) : cMarks[found->index];
}

std::size_t ListingScanIndex::includedFile(const Coff& coff, std::size_t start,
                                           uint32_t line) const {
  if (start >= cLimit || cMarks[start] == MARK_EOF) return NONE;
  if (cMarks[start] == MARK_FILE && coff.cAuxType[start + 1] == AUX_FILE) {
    const uint32_t includeLine = AuxFile::from(coff.cSymTbl[start + 1]).x_incline;
    if (includeLine == line || includeLine == 0) return start;
  }
  const Key* found = firstFrom(cIncludes, {cGroupEnd[start], cLevel[start], line, start});
  return found == nullptr ? NONE : found->index;
}
