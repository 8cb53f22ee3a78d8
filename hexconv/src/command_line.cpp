#include "command_line.h"

#include "command_switch.h"
#include "text_helpers.h"

const char* const kHexUsageText =
    "Usage: qornip [/a <hexformat>] [/r 0xBBBB-0xEEEE]... [/q] <coffFile>\n"
    "   where, <hexformat> is {INHX32, INHX8S, INHX8M} \n"
    "          0xBBBB is the beginning program memory address of a range to include\n"
    "          0xEEEE is the ending program memory address of a range to include\n"
    "   If no /r option is present, all rom sections will be included.\n";
const char* const kRangeSwitchMessage = "/r requires 0xBBBB-0xEEEE where 0xEEEE >= 0xBBBB";
const char* const kFormatSwitchMessage = "-a switch requires {INHX32, INHX8S, INHX8M}";

namespace {

// Each end is a whole number that fits 32 bits, so that no text is taken
// for another range than the one it spells.
int parseRange(const std::string& value, AddrRange& range) {
  std::vector<std::string> pieces = splitList(value, '-');
  if (pieces.size() != 2) return 0;
  if (!readWholeNumber(pieces[0], range.cStart) || !readWholeNumber(pieces[1], range.cEnd))
    return 0;
  return range.cEnd >= range.cStart ? 1 : 0;
}

}  // namespace

int parseCommandLine(int argc, const char* const* argv, HexOptions& options, std::string& message) {
  // An empty argument names a file too, so whether one was given is kept apart.
  bool haveFileName = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const char letter = switchLetter(argument);
    const bool hasValue = i + 1 < argc;
    if (letter == 'r') {
      AddrRange range;
      if (!hasValue) {
        message = kHexUsageText;
        return 0;
      }
      if (!parseRange(argv[++i], range)) {
        message = kRangeSwitchMessage;
        return 0;
      }
      options.ranges.push_back(range);
    } else if (letter == 'q') {
      // Quiet mode was taken from the whole line at start-up.
    } else if (letter == 'a') {
      if (!hexFormatFromName(hasValue ? argv[i + 1] : "", &options.format)) {
        message = kFormatSwitchMessage;
        return 0;
      }
      ++i;
    } else if (!haveFileName) {
      options.fileName = argument;
      haveFileName = true;
    } else {
      message = kHexUsageText;
      return 0;
    }
  }
  if (!haveFileName) {
    message = kHexUsageText;
    return 0;
  }
  return 1;
}
