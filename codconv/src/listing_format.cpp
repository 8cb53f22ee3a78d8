#include "listing_format.h"

#include <cstdio>

const char* const kListTitleLine =
    "Address  Value    Disassembly              Source"
    "                                                                           File\n";
const char* const kListRuleLine =
    "-------  -------  -----------------------  "
    "-------------------------------------------------------------------------------  -----\n";

namespace {

// The text padded with blanks to at least `width` characters.
std::string padRight(const std::string& text, std::size_t width) {
  if (text.size() >= width) {
    return text;
  }
  return text + std::string(width - text.size(), ' ');
}

std::string zeroPaddedHex(unsigned long value, int width) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%0*lx", width, value);
  return buffer;
}

}  // namespace

std::string formatListRow(const std::string& address, const std::string& value,
                          const std::string& disassembly, const std::string& source,
                          const std::string& fileName) {
  std::string row = padRight(address, 6);
  row += "   ";
  row += padRight(value, 6);
  row += "   ";
  row += padRight(disassembly, 24);
  row += ' ';
  row += padRight(source, 80);
  row += ' ';
  row += fileName;
  row += '\n';
  return row;
}

std::string formatListAddress(uint32_t address) { return zeroPaddedHex(address, 6); }

std::string formatListValue(uint16_t word) { return zeroPaddedHex(word, 4); }

std::string formatCalendarTime(std::time_t when) {
  const std::tm* local = std::localtime(&when);
  if (local == nullptr) {
    return "??? ??? ?? ??:??:?? ????\n";
  }
  char buffer[64];
  std::strftime(buffer, sizeof buffer, "%a %b %e %H:%M:%S %Y\n", local);
  return buffer;
}

bool readSourceLine(std::istream& in, std::string& line) {
  if (!std::getline(in, line)) {
    return false;
  }
  if (!line.empty() && line.back() == '\r') {
    line.pop_back();
  }
  return true;
}
