// The linker's command-line and command-file parser. The file-name tests
// below are also the librarian's: both programs must accept exactly the
// same object and library names.
#pragma once

#include <string>

class Parser {
 public:
  // Each test answers 1 or 0. A "letter or digit" is ASCII only: a byte of
  // 0x80 or above is neither, whatever the host's locale says.
  static int isValidPath(const std::string& text);
  static int isValidFileName(const std::string& path);
  static int isNumber(const std::string& text);
  static int isObjectFile(const std::string& path);   // name.o
  static int isLibraryFile(const std::string& path);  // name.lib
  static int isCommandFile(const std::string& path);  // name.lkr
};
