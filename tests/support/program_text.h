// What every program prints around its work, as the process tests expect
// it: the start-up lines and the closing summary.
#pragma once

#include <string>

#include "banners.h"

namespace qortest {

// The program's banner, the notice and an empty line, printed at start-up
// unless quiet.
inline std::string startupLines(const char* programBanner) {
  return std::string(programBanner) + "\n" + noticeBanner() + "\n\n";
}

// The two counters and the empty line that end a run unless quiet.
inline std::string summary(int errors, int warnings = 0) {
  return "Errors    : " + std::to_string(errors) + "\nWarnings  : " + std::to_string(warnings) +
         "\n\n";
}

}  // namespace qortest
