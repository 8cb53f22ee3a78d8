// The attribute directives of a command file (CODEPAGE, DATABANK, SHAREBANK,
// ACCESSBANK, SECTION, STACK, HEAP): KEY=value words, each key at most once.
// Whatever is wrong with such a line, the message is the same one text
// naming the directive and the place.
#include <cctype>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>

#include "memtarg.h"
#include "parser.h"
#include "text_helpers.h"
#include "value_records.h"

namespace {

const char* const kProtected = "PROTECTED";

// The most locations a code page with FILL= may span: the largest program
// memory of the devices is a few megabytes.
constexpr uint32_t kMaxFilledLocations = uint32_t{1} << 24;

// The words of one directive line, by key.
struct Attributes {
  std::map<std::string, std::string> values;
  int isProtected = 0;

  int has(const std::string& key) const { return values.count(key) ? 1 : 0; }
  std::string operator[](const std::string& key) const {
    auto value = values.find(key);
    return value == values.end() ? std::string() : value->second;
  }
};

// Reads the line's remaining words. 0 for a word without '=' (other than a
// first PROTECTED where allowed), an empty value, a key not in `keys` or a
// key given twice.
int readAttributes(std::istream& words, std::initializer_list<const char*> keys,
                   int protectedAllowed, Attributes& attributes) {
  for (std::string word; words >> word;) {
    if (protectedAllowed && word == kProtected) {
      if (attributes.isProtected) return 0;
      attributes.isProtected = 1;
      continue;
    }
    const std::string::size_type equals = word.find('=');
    if (equals == std::string::npos || equals + 1 == word.size()) return 0;
    const std::string key = word.substr(0, equals);
    bool known = false;
    for (const char* allowed : keys) known = known || key == allowed;
    if (!known || !attributes.values.emplace(key, word.substr(equals + 1)).second) return 0;
  }
  return 1;
}

// A number as the user spelled it, with nothing left over and within 32
// bits: text that merely begins with a number, holds none, or is too large
// would otherwise give an address no one wrote.
bool isWholeNumber(const std::string& text) {
  uint32_t value = 0;
  return readWholeNumber(text, value);
}

// A FILL value: a decimal number of one 16-bit word, or "0x" and any count
// of hexadecimal digits, the words of a fill pattern. A larger decimal
// value would lose its high bits in the fill.
bool isFillValue(const std::string& text) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  uint32_t value = 0;
  if (!hex) return readWholeNumber(text, value) && value <= 0xFFFF;
  for (std::string::size_type i = 2; i < text.size(); ++i)
    if (!std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
  return true;
}

// A hexadecimal FILL value is widened to whole 16-bit words, so that the
// fill phase can take it four digits at a time.
std::string padFill(std::string fill) {
  if (fill.size() <= 2 || (fill[1] != 'x' && fill[1] != 'X')) return fill;
  while ((fill.size() - 2) % 4 != 0) fill = "0x0" + fill.substr(2);
  return fill;
}

}  // namespace

int Parser::readMemory(std::istream& words, const std::string& keyword, const std::string& path,
                       int line, uint8_t memType, Memory& memory, std::string& error) {
  cWorkBuffer = std::to_string(line);
  Attributes attributes;
  const bool isCodePage = keyword == "CODEPAGE";
  const int valid =
      (isCodePage ? readAttributes(words, {"NAME", "START", "END", "FILL"}, 1, attributes)
                  : readAttributes(words, {"NAME", "START", "END"}, 1, attributes)) &&
      attributes.has("NAME") && isWholeNumber(attributes["START"]) &&
      isWholeNumber(attributes["END"]) &&
      (!attributes.has("FILL") || isFillValue(attributes["FILL"]));
  const uint32_t start = valid ? parseNumber(attributes["START"]) : 0;
  const uint32_t end = valid ? parseNumber(attributes["END"]) : 0;
  // The memory model needs at least one location in every memory. A
  // filled page becomes output bytes for every free location: a span far
  // beyond the program memory of any device is a mistyped address, and
  // filling it would ask for gigabytes.
  const bool fillTooLarge = attributes.has("FILL") && end - start >= kMaxFilledLocations;
  // Lengths are counted in 32 bits: the whole 32-bit address space would
  // count as no location at all.
  const bool lengthWraps = uint64_t{end} - start + 1 > UINT32_MAX;
  if (!valid || end < start || fillTooLarge || lengthWraps) {
    error = "Invalid attributes for " + keyword + " in '" + path + ":" + cWorkBuffer + "'";
    return 0;
  }
  memory = Memory(attributes["NAME"], start, end, memType, attributes.isProtected,
                  attributes.has("FILL"), padFill(attributes["FILL"]));
  return 1;
}

int Parser::readSection(std::istream& words, const std::string& path, int line,
                        SectionDesc& section, std::string& error) {
  cWorkBuffer = std::to_string(line);
  Attributes attributes;
  if (!readAttributes(words, {"NAME", "ROM", "RAM"}, 0, attributes) || !attributes.has("NAME") ||
      (!attributes.has("ROM") && !attributes.has("RAM"))) {
    error = "Invalid attributes for SECTION in '" + path + ":" + cWorkBuffer + "'";
    return 0;
  }
  section = SectionDesc(attributes["NAME"], attributes["ROM"], attributes["RAM"]);
  return 1;
}

int Parser::readStack(std::istream& words, const std::string& path, int line, StackDesc& stack,
                      std::string& error) {
  cWorkBuffer = std::to_string(line);
  Attributes attributes;
  if (!readAttributes(words, {"SIZE", "RAM"}, 0, attributes) ||
      !isWholeNumber(attributes["SIZE"])) {
    error = "Invalid attributes for STACK in '" + path + ":" + cWorkBuffer + "'";
    return 0;
  }
  stack = StackDesc(parseNumber(attributes["SIZE"]), attributes["RAM"]);
  return 1;
}

int Parser::readHeap(std::istream& words, const std::string& path, int line, uint32_t& size,
                     std::string& error) {
  cWorkBuffer = std::to_string(line);
  Attributes attributes;
  if (!readAttributes(words, {"MINSIZE"}, 0, attributes) || !isWholeNumber(attributes["MINSIZE"])) {
    error = "Invalid attributes for HEAP in '" + path + ":" + cWorkBuffer + "'";
    return 0;
  }
  size = parseNumber(attributes["MINSIZE"]);
  return 1;
}

Memory Parser::parseMemory(std::istream& words, const std::string& keyword, const std::string& path,
                           int line, uint8_t memType) {
  Memory memory;
  std::string error;
  if (!readMemory(words, keyword, path, line, memType, memory, error)) usage(error);
  return memory;
}

SectionDesc Parser::parseSection(std::istream& words, const std::string& path, int line) {
  SectionDesc section;
  std::string error;
  if (!readSection(words, path, line, section, error)) usage(error);
  return section;
}

StackDesc Parser::parseStack(std::istream& words, const std::string& path, int line) {
  StackDesc stack;
  std::string error;
  if (!readStack(words, path, line, stack, error)) usage(error);
  return stack;
}

uint32_t Parser::parseHeap(std::istream& words, const std::string& path, int line) {
  uint32_t size = 0;
  std::string error;
  if (!readHeap(words, path, line, size, error)) usage(error);
  return size;
}
