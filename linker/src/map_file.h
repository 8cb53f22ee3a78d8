// The map file of a successful link: where each section of the output lies,
// how much of program memory is used, and every symbol, read back from the
// output object itself.
#pragma once

#include <cstdint>
#include <string>

#include "coff.h"

class MapFile {
 public:
  // Writes the map of `output` to `fileName`; programAddressCount is the
  // number of program-memory addresses of the target. 1 when the file was
  // written; 0 (with an error reported) when it could not be, in which case
  // a file of that name from an earlier run is left as it was.
  int write(const std::string& fileName, const Coff& output, uint32_t programAddressCount);
};
