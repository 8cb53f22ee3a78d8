#include "program_width.h"

#include "diagnostics.h"

namespace {

// Program words of the supported families are 8 to 16 bits wide.
constexpr uint32_t kMaxProgramWidthBits = 16;

}  // namespace

int checkProgramWidth(const Coff& coff, const std::string& context) {
  const uint32_t bits = coff.cOptHdr.rom_width_bits;
  if (bits != 0 && bits <= kMaxProgramWidthBits) return 1;
  reportError(context, "Coff file '", coff.cName, "' has an invalid program memory width of ",
              bits, " bits.");
  return 0;
}
