// QORTAV: turns the linker's absolute object file into a COD debug file and
// a listing file.
#include <iostream>
#include <memory>
#include <string>

#include "banners.h"
#include "coff.h"
#include "coff2cod.h"
#include "command_line.h"
#include "diagnostics.h"
#include "startup.h"

int main(int argc, char** argv) {
  startProgram(argc, argv, codBanner());
  CodOptions options;
  std::string message;
  if (!parseCommandLine(argc, argv, options, message)) {
    // The usage text is not a diagnostic: no prefix, no count, no summary.
    if (!isQuiet()) {
      std::cerr << message << std::endl;
    }
    return 1;
  }
  if (options.pageLengthGiven && options.noListing) {
    reportMessage(SEVERITY_WARNING, "main()", "no listing file generated: /n switch ignored", 0);
  }
  std::unique_ptr<Coff> coff(Coff::make(options.coffFile));
  if (!coff) {
    exitWithSummary(1);
  }
  Coff2Cod cod;
  if (cod.convert(*coff, options.pageLength, options.noListing ? 1 : 0) == nullptr) {
    exitWithSummary(1);
  }
  cod.preWrite();
  if (!cod.writeFiles()) {
    exitWithSummary(1);
  }
  coff.reset();
  exitWithSummary(0);
}
