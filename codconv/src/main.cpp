// QORTAV: turns the linker's absolute object file into a COD debug file and
// a listing file.
#include <cctype>
#include <climits>
#include <iostream>
#include <memory>
#include <string>

#include "banners.h"
#include "coff.h"
#include "coff2cod.h"
#include "command_switch.h"
#include "diagnostics.h"
#include "startup.h"

namespace {

const char* const kUsage =
    "Usage: qortav [-n, /n <listingPageLength>] [-d, /d] [-q, /q] <coffFile>";

struct Options {
  int pageLength = 0;
  bool pageLengthGiven = false;
  bool noListing = false;
  std::string coffFile;
};

// Leading blanks and a sign allowed, reading stops at the first non-digit,
// text without digits gives 0; values beyond an int are held at its limits.
int parsePageLength(const char* text) {
  while (std::isspace(static_cast<unsigned char>(*text))) {
    ++text;
  }
  bool negative = false;
  if (*text == '+' || *text == '-') {
    negative = *text == '-';
    ++text;
  }
  long long value = 0;
  while (std::isdigit(static_cast<unsigned char>(*text))) {
    value = value * 10 + (*text - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) {
      value = static_cast<long long>(INT_MAX) + 1;
    }
    ++text;
  }
  if (negative) {
    value = -value;
  }
  if (value > INT_MAX) {
    value = INT_MAX;
  }
  return static_cast<int>(value);
}

// The switch letter (lower case) of an argument that is a switch, else 0.
// An argument beginning with '/' that holds a further '/' or names an
// existing file is a path.
char switchLetter(const std::string& argument) {
  if (argument.size() != 2 || !isCommandSwitch(argument)) {
    return 0;
  }
  const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(argument[1])));
  return (letter == 'n' || letter == 'd' || letter == 'q') ? letter : 0;
}

// False on a usage error.
bool parseCommandLine(int argc, char** argv, Options& options) {
  bool haveFile = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    switch (switchLetter(argument)) {
      case 'n':
        if (i + 1 >= argc) {
          return false;
        }
        options.pageLength = parsePageLength(argv[++i]);
        options.pageLengthGiven = true;
        break;
      case 'd':
        options.noListing = true;
        break;
      case 'q':
        break;  // quiet mode is set at start-up
      default:
        if (haveFile) {
          return false;
        }
        options.coffFile = argument;
        haveFile = true;
        break;
    }
  }
  return haveFile;
}

}  // namespace

int main(int argc, char** argv) {
  startProgram(argc, argv, codBanner());
  Options options;
  if (!parseCommandLine(argc, argv, options)) {
    if (!isQuiet()) {
      std::cerr << kUsage << std::endl;
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
  if (!cod.write()) {
    exitWithSummary(1);
  }
  coff.reset();
  exitWithSummary(0);
}
