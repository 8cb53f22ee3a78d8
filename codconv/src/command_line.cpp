#include "command_line.h"

#include <cctype>
#include <climits>

#include "command_switch.h"

const char* const kCodUsageText =
    "Usage: qortav [-n, /n <listingPageLength>] [-d, /d] [-q, /q] <coffFile>";

namespace {

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

}  // namespace

int parseCommandLine(int argc, const char* const* argv, CodOptions& options, std::string& message) {
  // Any argument that is not one of the three switches names the file, an
  // unknown switch and an empty argument included.
  bool haveFile = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    switch (switchLetter(argument)) {
      case 'n':
        if (i + 1 >= argc) {
          message = kCodUsageText;
          return 0;
        }
        options.pageLength = parsePageLength(argv[++i]);
        options.pageLengthGiven = true;
        break;
      case 'd': options.noListing = true; break;
      case 'q': break;  // quiet mode is set at start-up
      default:
        if (haveFile) {
          message = kCodUsageText;
          return 0;
        }
        options.coffFile = argument;
        haveFile = true;
        break;
    }
  }
  if (!haveFile) {
    message = kCodUsageText;
    return 0;
  }
  return 1;
}
