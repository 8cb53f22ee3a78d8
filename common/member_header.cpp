#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>

#include "archive.h"

namespace {

// Decimal text, NUL padded to the field's length. The last byte of the field
// always stays NUL, so a value with too many digits keeps its leading ones.
template <size_t N>
void setDecimalField(char (&field)[N], uint32_t value) {
  std::memset(field, 0, N);
  char text[16];
  const size_t length =
      static_cast<size_t>(std::to_chars(text, text + sizeof text, value).ptr - text);
  std::memcpy(field, text, std::min(length, N - 1));
}

// The field's leading number (blanks skipped, as scanf does), 0 when nothing
// converts. The field need not hold a NUL.
template <size_t N>
uint32_t getDecimalField(const char (&field)[N]) {
  char text[N + 1];
  std::memcpy(text, field, N);
  text[N] = '\0';
  return static_cast<uint32_t>(std::strtoul(text, nullptr, 10));
}

}  // namespace

void MemberHeader::setName(const std::string& name) {
  std::memset(ar_name, ' ', NAME_LENGTH);
  size_t length = std::min<size_t>(name.size(), MAX_NAME);
  std::memcpy(ar_name, name.data(), length);
  ar_name[length] = '/';
}

void MemberHeader::setDate(uint32_t date) { setDecimalField(ar_date, date); }

void MemberHeader::setSize(uint32_t size) { setDecimalField(ar_size, size); }

void MemberHeader::setMagic() {
  ar_fmag[0] = '`';
  ar_fmag[1] = '\n';
}

MemberHeader MemberHeader::asWritten(const std::string& name, uint32_t date, uint32_t size) {
  MemberHeader header;
  header.setName(name);
  header.setDate(date);
  header.setSize(size);
  header.setMagic();
  return header;
}

std::string MemberHeader::getName() const {
  const void* nul = std::memchr(ar_name, '\0', NAME_LENGTH);
  const char* end = nul ? static_cast<const char*>(nul) : ar_name + NAME_LENGTH;
  // Cut before the last '/'. The writer's blanks behind it are passed over
  // eight at a time; none of them is copied.
  const char* cut = end;
  while (cut - ar_name >= 8 && std::memcmp(cut - 8, "        ", 8) == 0) cut -= 8;
  while (cut != ar_name && cut[-1] != '/') --cut;
  if (cut != ar_name) end = cut - 1;
  return std::string(ar_name, end);
}

uint32_t MemberHeader::getDate() const { return getDecimalField(ar_date); }

uint32_t MemberHeader::getSize() const { return getDecimalField(ar_size); }

// The writer records the decimal length, NUL padded, and a length of more
// than nine digits used to be cut to its first nine; other writers pad
// with blanks.
bool MemberHeader::sizeDisagreesWith(uint64_t length) const {
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  const char* const end = ar_size + SIZE_LENGTH;
  const char* digits = std::find_if(ar_size, end, [](char c) { return c != ' '; });
  const char* const digitsEnd = std::find_if_not(digits, end, isDigit);
  if (digitsEnd == digits ||
      !std::all_of(digitsEnd, end, [](char c) { return c == ' ' || c == '\0'; }))
    return false;
  while (digits + 1 < digitsEnd && *digits == '0') ++digits;
  const std::string recorded(digits, digitsEnd);
  const std::string measured = std::to_string(length);
  return recorded != measured && recorded != measured.substr(0, SIZE_LENGTH - 1);
}
