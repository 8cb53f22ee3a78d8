#include "command_line.h"

#include <cctype>
#include <climits>

#include "command_switch.h"

const char* const kCodUsageText =
    "Usage: qortav [-n, /n <listingPageLength>] [-d, /d] [-q, /q] <coffFile>";

namespace {

// Leading blanks and a sign allowed, reading stops at the first non-digit,
// text without digits gives 0. A value that does not fit an int is no page
// length: false, so that it is never read as another one.
bool parsePageLength(const char* text, int& pageLength) {
  while (std::isspace(static_cast<unsigned char>(*text))) {
    ++text;
  }
  bool negative = false;
  if (*text == '+' || *text == '-') {
    negative = *text == '-';
    ++text;
  }
  // INT_MIN's magnitude, the largest one that may fit.
  constexpr long long kLargest = static_cast<long long>(INT_MAX) + 1;
  long long value = 0;
  for (; std::isdigit(static_cast<unsigned char>(*text)); ++text) {
    value = value * 10 + (*text - '0');
    if (value > kLargest) {
      return false;
    }
  }
  if (negative) {
    value = -value;
  }
  if (value > INT_MAX) {
    return false;
  }
  pageLength = static_cast<int>(value);
  return true;
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
        if (i + 1 >= argc || !parsePageLength(argv[++i], options.pageLength)) {
          message = kCodUsageText;
          return 0;
        }
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
