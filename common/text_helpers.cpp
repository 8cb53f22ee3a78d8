#include "text_helpers.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace {
// The standard unsigned text-to-number conversion with a 32-bit result on
// every host: a magnitude beyond 32 bits gives the largest value (as where
// unsigned long is 32 bits wide) instead of wrapping round to a small one,
// and a minus sign negates in unsigned arithmetic.
uint32_t toUnsigned32(const char* text, int base) {
  while (std::isspace(static_cast<unsigned char>(*text))) ++text;
  const bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  // Only one sign, and no white space after it.
  if (*text == '-' || *text == '+' || std::isspace(static_cast<unsigned char>(*text))) return 0;
  const unsigned long long magnitude = std::strtoull(text, nullptr, base);
  if (magnitude > 0xFFFFFFFFull) return 0xFFFFFFFFu;
  const uint32_t value = static_cast<uint32_t>(magnitude);
  return negative ? 0u - value : value;
}
}  // namespace

uint32_t parseNumber(const std::string& text) {
  // The first character is not examined: "1x1F" reads as hexadecimal too.
  if (text.size() >= 3 && (text[1] == 'x' || text[1] == 'X'))
    return toUnsigned32(text.c_str() + 2, 16);
  return toUnsigned32(text.c_str(), 10);
}

bool readWholeNumber(const std::string& text, uint32_t& value) {
  const bool hex = text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const unsigned base = hex ? 16 : 10;
  const std::string::size_type first = hex ? 2 : 0;
  if (first == text.size()) return false;
  uint64_t total = 0;
  for (std::string::size_type i = first; i < text.size(); ++i) {
    const char c = text[i];
    unsigned digit = 16;
    if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
    else if (c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
    if (digit >= base) return false;
    total = total * base + digit;
    if (total > 0xFFFFFFFFull) return false;
  }
  value = static_cast<uint32_t>(total);
  return true;
}

std::string quote(const std::string& text) { return "\"" + text + "\""; }

std::string unquote(const std::string& text) {
  std::string result;
  for (char c : text)
    if (c != '"') result += c;
  return result;
}

std::vector<std::string> splitList(const std::string& text, char separator) {
  std::vector<std::string> pieces;
  std::string piece;
  for (char c : text) {
    if (c == separator) {
      pieces.push_back(piece);
      piece.clear();
    } else {
      piece += c;
    }
  }
  if (!piece.empty()) pieces.push_back(piece);
  return pieces;
}

namespace {
bool isTokenSpace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
}  // namespace

bool readToken(std::istream& in, std::string& out) {
  out.clear();
  int c = in.get();
  while (c != EOF && isTokenSpace(c)) c = in.get();
  bool quoted = false;
  for (; c != EOF; c = in.get()) {
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && isTokenSpace(c)) {
      break;
    } else {
      out += static_cast<char>(c);
    }
  }
  return !out.empty() && !quoted;
}

uint32_t swapBytes32(uint32_t value) {
  return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}

std::string formatHex(uint32_t value, int byteCount) {
  if (byteCount < 1 || byteCount > 4) return "<NaN>";
  uint32_t mask = byteCount == 4 ? 0xFFFFFFFFu : ((1u << (8 * byteCount)) - 1);
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*lx", 2 * byteCount,
                static_cast<unsigned long>(value & mask));
  return text;
}
