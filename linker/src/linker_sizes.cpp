// Two small computations that the output and fill phases use to turn
// addresses into byte offsets.
#include "linker.h"
#include "qassert.h"

uint32_t Linker::programSize() const {
  uint32_t size = 0;
  for (const Memory& page : cCodePage) size += page.getSize();
  return size;
}

// Asking before the processor is known, or for a memory type that does not
// exist, is a fault of the caller, not of the input.
uint32_t Linker::widthInBytes(uint8_t memType) const {
  // clang-format off
  QOR_ASSERT((memType==rom) || (memType==ram));
  // clang-format on
  if (memType == rom) {
    QOR_ASSERT(cRomWidthBits);
    return (cRomWidthBits + 7u) / 8u;
  }
  QOR_ASSERT(cRamWidthBits);
  return (cRamWidthBits + 7u) / 8u;
}
