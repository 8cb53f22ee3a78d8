// The librarian's command line: one command switch, the library name and
// the member names, handed to the Archiver in one piece.
#pragma once

#include <string>

class Archiver;

class ArParser {
 public:
  // Hands the command to the archiver; ends the process itself on the help
  // screen and on command-line errors.
  static void parse(int argc, char** argv, Archiver& archiver);
  // Reports the message (or the usage text when it is empty) as an error
  // and ends with the summary and exit code 1.
  [[noreturn]] static void usage(const std::string& message);
  // Writes the help screen straight to the error stream, so that quiet mode
  // does not hide it, and ends with 255 without the summary.
  [[noreturn]] static void help();
  static int isLibraryFile(const std::string& path);
};
