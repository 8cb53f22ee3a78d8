// QORNIP: writes the program memory of an absolute object file as Intel HEX.
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

#include "banners.h"
#include "coff.h"
#include "coff2hex.h"
#include "command_line.h"
#include "diagnostics.h"
#include "startup.h"

namespace {

// Usage texts and switch messages are not diagnostics: no prefix, no count
// and no summary.
[[noreturn]] void endWithText(const std::string& text) {
  if (!isQuiet()) std::cerr << text << std::endl;
  std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  startProgram(argc, argv, hexBanner());
  HexOptions options;
  std::string message;
  if (!parseCommandLine(argc, argv, options, message)) endWithText(message);

  std::unique_ptr<Coff> coff = Coff::make(options.fileName);
  if (!coff) exitWithSummary(1);
  Coff2Hex converter;
  if (converter.convert(*coff, options.ranges) == nullptr) exitWithSummary(1);
  if (!converter.write(options.format)) exitWithSummary(1);
  coff.reset();
  exitWithSummary(0);
}
