#include "ar_parser.h"

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "archiver.h"
#include "command_switch.h"
#include "diagnostics.h"
#include "parser.h"

namespace {

const char* const kUsageText = "Usage:  qorbu [/q] /{ctdrx} LIBRARY [MEMBER...] ";

const char* const kHelpLines[] = {
    "Syntax:   qorbu [/q] /{ctdrxh} LIBRARY [MEMBER...]  ",
    "  /q      : quiet mode                       ",
    "  /c      : create library LIBRARY           ",
    "  /t      : list library LIBRARY             ",
    "  /d      : delete MEMBER from LIBRARY       ",
    "  /r      : add or replace MEMBER in LIBRARY ",
    "  /x      : extract MEMBER from LIBRARY      ",
    "  /h, /?  : show this help screen            ",
};

// The command of a command switch letter, or -1 for any other letter.
int commandOfLetter(char letter) {
  switch (letter) {
    case 'c': return CMD_CREATE;
    case 't': return CMD_LIST;
    case 'd': return CMD_DELETE;
    case 'r': return CMD_REPLACE;
    case 'x': return CMD_EXTRACT;
    default: return -1;
  }
}

// The command consumes every argument after it: the library, then the
// members. Returns only when the archiver took the command.
void takeCommand(int command, int argc, char** argv, int libraryIndex, Archiver& archiver) {
  if (libraryIndex >= argc) ArParser::usage("library filename is required");
  std::string library = argv[libraryIndex];
  if (library.empty() || !ArParser::isLibraryFile(library)) {
    ArParser::usage("library filename is required");
  }
  std::vector<std::string> members;
  for (int i = libraryIndex + 1; i < argc; ++i) {
    std::string member = argv[i];
    if (member.empty() || !Parser::isObjectFile(member)) ArParser::usage("invalid object filename");
    members.push_back(member);
  }
  if (!archiver.setCommand(static_cast<uint8_t>(command), library, members)) ArParser::usage("");
}

}  // namespace

void ArParser::parse(int argc, char** argv, Archiver& archiver) {
  for (int i = 1; i < argc; ++i) {
    const char letter = switchLetter(argv[i]);
    const int command = commandOfLetter(letter);
    if (command >= 0) {
      takeCommand(command, argc, argv, i + 1, archiver);
      return;
    }
    if (letter == 'q') {
      setQuiet(1);
      continue;
    }
    // A file name before any command, the help switches and every unknown
    // switch alike end with the help screen.
    help();
  }
  // No command: the help screen explains, except in quiet mode, where the
  // failing execute gives exit code 1 silently.
  if (!isQuiet()) help();
}

void ArParser::usage(const std::string& message) {
  reportMessage(SEVERITY_ERROR, "ArParser::usage()", message.empty() ? kUsageText : message, 0);
  exitWithSummary(1);
}

void ArParser::help() {
  std::cout.flush();
  for (const char* line : kHelpLines) std::cerr << line << '\n';
  std::cerr << '\n';
  std::cerr.flush();
  std::cout.flush();
  std::exit(255);
}

// The same rule as the linker's, so that both programs accept the same
// library names.
int ArParser::isLibraryFile(const std::string& path) { return Parser::isLibraryFile(path); }
