// The program memory width an absolute object states, as the converters
// need it: they turn its word addresses into byte addresses by that width.
#pragma once

#include <string>

#include "coff.h"

// 1 when the object's rom_width_bits lies between 1 and 16; otherwise the
// error "Coff file '<name>' has an invalid program memory width of N bits."
// under `context`, and 0. A width of 0 would put every word at byte 0, and a
// wider one would move words past every address a memory has.
int checkProgramWidth(const Coff& coff, const std::string& context);
