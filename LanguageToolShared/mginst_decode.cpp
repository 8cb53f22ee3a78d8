// Decoding and validity of instruction words, and the opcode encoder: all
// three read the family's pattern table.
#include "mginst.h"
#include "mginst_tables.h"
#include "qassert.h"

namespace mginst {

PatternTable familyPatterns(CoreFamily family) {
  switch (family) {
    case CORE_VESK: return veskPatterns();
    case CORE_MIREL: return mirelPatterns();
    case CORE_ZARN: return zarnPatterns();
    case CORE_OSTRA: return ostraPatterns();
    default: QOR_ASSERT(0);
  }
}

// The patterns' masks lie within the family's word width, so the bits above
// it never take part in a match.
const InstPattern* findWordPattern(uint16_t word, CoreFamily family) {
  for (const InstPattern& pattern : familyPatterns(family)) {
    if ((word & pattern.mask) == pattern.value) return &pattern;
  }
  return nullptr;
}

const InstPattern& decodedPattern(uint16_t word, CoreFamily family) {
  const InstPattern* pattern = findWordPattern(word, family);
  if (!pattern) QOR_ASSERT(0);
  return *pattern;
}

const InstPattern& idPattern(OpcodeId id, CoreFamily family) {
  for (const InstPattern& pattern : familyPatterns(family)) {
    if (pattern.id == id) return pattern;
  }
  QOR_ASSERT(0);
}

}  // namespace mginst

using namespace mginst;

OpcodeId instDecode(uint16_t word, CoreFamily family) { return decodedPattern(word, family).id; }

int instIsValid(uint16_t word, CoreFamily family) {
  return findWordPattern(word, family) != nullptr ? 1 : 0;
}

void instSetOpcode(uint16_t* word, OpcodeId id, CoreFamily family) {
  const InstPattern& pattern = idPattern(id, family);
  if (!word) QOR_ASSERT(0);
  *word = static_cast<uint16_t>((*word & ~pattern.mask) | pattern.value);
}
