#include "safe_member_name.h"

#include <cstddef>

#include "file_info.h"

namespace {

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool isAbsolute(const std::string& name) {
  if (!name.empty() && isPathSeparator(name[0])) return true;
  return name.size() >= 2 && isAsciiLetter(name[0]) && name[1] == ':';
}

bool hasParentComponent(const std::string& name) {
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = start;
    while (end < name.size() && !isPathSeparator(name[end])) ++end;
    if (name.compare(start, end - start, "..") == 0) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

bool isSafeMemberName(const std::string& name) {
  return !isAbsolute(name) && !hasParentComponent(name);
}
