// Collects what the diagnostics print (the error stream) and what traces and
// dumps print (standard output) while it lives, starting and ending with
// fresh diagnostic counters.
#pragma once

#include <iostream>
#include <sstream>
#include <string>

#include "diagnostics.h"

namespace qortest {

class CapturedOutput {
 public:
  CapturedOutput()
      : cOldErr(std::cerr.rdbuf(cErr.rdbuf())), cOldOut(std::cout.rdbuf(cOut.rdbuf())) {
    resetDiagnostics();
  }
  ~CapturedOutput() {
    std::cerr.rdbuf(cOldErr);
    std::cout.rdbuf(cOldOut);
    resetDiagnostics();
  }
  CapturedOutput(const CapturedOutput&) = delete;
  CapturedOutput& operator=(const CapturedOutput&) = delete;

  std::string errors() const { return cErr.str(); }
  std::string output() const { return cOut.str(); }

 private:
  std::ostringstream cErr;
  std::ostringstream cOut;
  std::streambuf* cOldErr;
  std::streambuf* cOldOut;
};

}  // namespace qortest
