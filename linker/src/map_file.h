// The map file of a successful link: where each section of the output lies,
// how much of program memory is used, and every symbol, read back from the
// output object itself.
#pragma once

#include <cstdint>
#include <string>

#include "coff.h"
#include "output_set.h"

class MapFile {
 public:
  // Writes the map of `output` to `fileName`; programAddressCount is the
  // number of program-memory addresses of the target. 1 when the file was
  // written; 0 (with an error reported) when it could not be, in which case
  // a file of that name from an earlier run is left as it was.
  int write(const std::string& fileName, const Coff& output, uint32_t programAddressCount);
  // The same into `outputs`: the map is written whole to its temporary and
  // replaces the file of that name only when the set is committed.
  int write(OutputSet& outputs, const std::string& fileName, const Coff& output,
            uint32_t programAddressCount);
};
