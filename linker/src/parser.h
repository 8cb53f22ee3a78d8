// The linker's command-line and command-file parser. The file-name tests
// below are also the librarian's: both programs must accept exactly the
// same object and library names. This header is copied for the librarian,
// so it names the linker's classes without including their headers.
#pragma once

#include <cstdint>
#include <istream>
#include <list>
#include <set>
#include <string>

class Linker;
class Memory;
class SectionDesc;
class StackDesc;

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

  // Hands every argument to the linker, reading each command file where it
  // stands. Returns only when all were accepted and a command file was
  // named; the help screen and every error end the process here.
  void parseCommandLine(int argc, char** argv, Linker& linker);
  // Reports the message as an error, then the summary and exit code 1.
  [[noreturn]] static void usage(const std::string& message);
  // Writes the help screen straight to the error stream, so that quiet mode
  // does not hide it, and ends with 255 without the summary.
  [[noreturn]] static void help();

  // Reads a command file and everything it includes; an error ends the
  // process.
  void parseCommandFile(const std::string& name, Linker& linker);
  // The text before the first "//" (the line is taken, not copied).
  static std::string stripComment(std::string line);
  // The attribute directives: each reads the rest of the line's words and
  // ends the process on an invalid attribute. memType is 0 for program
  // memory, 1 for data memory.
  Memory parseMemory(std::istream& words, const std::string& keyword, const std::string& path,
                     int line, uint8_t memType);
  SectionDesc parseSection(std::istream& words, const std::string& path, int line);
  StackDesc parseStack(std::istream& words, const std::string& path, int line);
  uint32_t parseHeap(std::istream& words, const std::string& path, int line);

  // The same work as the operations above, but the first error comes back
  // as text (and the result is 0) instead of ending the process; the help
  // screen is asked for through helpWanted. The operations above are thin
  // wrappers, so that callers and tests can see what was refused.
  int readCommandLine(int argc, char** argv, Linker& linker, int& helpWanted, std::string& error);
  int readCommandFile(const std::string& name, Linker& linker, std::string& error);
  int readMemory(std::istream& words, const std::string& keyword, const std::string& path, int line,
                 uint8_t memType, Memory& memory, std::string& error);
  int readSection(std::istream& words, const std::string& path, int line, SectionDesc& section,
                  std::string& error);
  int readStack(std::istream& words, const std::string& path, int line, StackDesc& stack,
                std::string& error);
  int readHeap(std::istream& words, const std::string& path, int line, uint32_t& size,
               std::string& error);
  // The help screen's lines, each with its line end.
  static void writeHelp(std::ostream& out);

  std::string cWorkBuffer;               // the line number of an attribute message
  std::list<std::string> cCommandFiles;  // every command file read, as opened
  std::list<std::string> cLkrPath;       // where command files without a directory are sought

 private:
  // The paths of cCommandFiles, so that a run naming many command files
  // does not compare each new one with all before it.
  std::set<std::string> cCommandFileIndex;
};
