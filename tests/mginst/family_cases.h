// The four core families as the instruction tests walk them.
#pragma once

#include <cstdint>
#include <string>

#include "mgproc.h"

struct FamilyCase {
  CoreFamily family;
  const char* name;
  uint16_t widthMask;  // the bits of the family's instruction word
};

inline constexpr FamilyCase kFamilies[] = {
    {CORE_VESK, "Vesk", 0x3FFF},
    {CORE_MIREL, "Mirel", 0xFFFF},
    {CORE_ZARN, "Zarn", 0x0FFF},
    {CORE_OSTRA, "Ostra", 0xFFFF},
};

// Every 16-bit word, as the loops over all words need it.
inline constexpr uint32_t kWordCount = 0x10000;
