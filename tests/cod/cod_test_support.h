// Helpers of the COD file tests: capturing the diagnostics, building tables
// of a given shape and looking at the written bytes.
#pragma once

#include <cstdint>
#include <iostream>
#include <sstream>
#include <string>

#include "cod.h"
#include "diagnostics.h"

namespace codtest {

// Sends the error stream (diagnostics) and standard output (traces) into
// strings while it lives, and starts from fresh counters.
class CapturedOutput {
 public:
  CapturedOutput() : cOldErr(std::cerr.rdbuf(cErr.rdbuf())), cOldOut(std::cout.rdbuf(cOut.rdbuf())) {
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

inline uint16_t word(const std::string& bytes, std::size_t offset) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes.at(offset)) |
                               (static_cast<uint8_t>(bytes.at(offset + 1)) << 8));
}

inline uint8_t byteAt(const std::string& bytes, std::size_t offset) { return static_cast<uint8_t>(bytes.at(offset)); }

// A Cod with `directories` windows and nothing else, shaped as the converter
// leaves it: one entry per window in the per-window tables.
inline Cod codWithWindows(std::size_t directories) {
  Cod cod;
  for (std::size_t k = 0; k < directories; ++k) {
    Directory directory;
    directory.HighAddr = static_cast<uint16_t>(k);
    cod.cDirectory.push_back(directory);
  }
  cod.cCode.resize(directories);
  cod.cLineInfo.resize(directories);
  cod.cMemoryMap.resize(directories);
  return cod;
}

inline std::string nameOf(char letter, std::size_t length) { return std::string(length, letter); }

}  // namespace codtest
