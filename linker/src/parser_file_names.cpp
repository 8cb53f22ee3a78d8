// The file-name tests of the parser. They live apart from the rest of the
// parser so that the librarian can use them without the linker.
#include "parser.h"

#include <cstddef>

#include "file_info.h"

namespace {

bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

bool isAsciiLetterOrDigit(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || isAsciiDigit(c);
}

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringAsciiCase(const std::string& text, const std::string& lowerExpected) {
  if (text.size() != lowerExpected.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (asciiLower(text[i]) != lowerExpected[i]) return false;
  }
  return true;
}

// A file name of at least `minLength` characters (name and extension, no
// directory), beginning with a letter or digit, whose extension matches.
int hasFileNameWithExtension(const std::string& path, std::size_t minLength,
                             const std::string& lowerExtension) {
  FileInfo info(path);
  std::string name = info.name();
  if (name.size() < minLength || !isAsciiLetterOrDigit(name[0])) return 0;
  return equalsIgnoringAsciiCase(info.ext(), lowerExtension) ? 1 : 0;
}

}  // namespace

int Parser::isValidPath(const std::string& text) { return text.empty() ? 0 : 1; }

int Parser::isValidFileName(const std::string& path) {
  std::string name = FileInfo(path).name();
  return (!name.empty() && isAsciiLetterOrDigit(name[0])) ? 1 : 0;
}

int Parser::isNumber(const std::string& text) {
  if (text.empty()) return 0;
  for (char c : text) {
    if (!isAsciiDigit(c)) return 0;
  }
  return 1;
}

int Parser::isObjectFile(const std::string& path) {
  return hasFileNameWithExtension(path, 3, ".o");
}

int Parser::isLibraryFile(const std::string& path) {
  return hasFileNameWithExtension(path, 5, ".lib");
}

int Parser::isCommandFile(const std::string& path) {
  return hasFileNameWithExtension(path, 5, ".lkr");
}
