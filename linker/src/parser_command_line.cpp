// The linker's command line: switches, input files and command files, taken
// strictly from left to right and handed to the Linker one by one.
#include <cstdlib>
#include <iostream>
#include <string>

#include "command_switch.h"
#include "diagnostics.h"
#include "linker.h"
#include "parser.h"
#include "parser_path_list.h"

namespace {

const char* const kHelpLines[] = {
    "Syntax:   qorlan { cmdfile | [objfile] | [libfile] | [option] } ...  ",
    "  'cmdfile' is the name of a linker command file.              ",
    "       All linker command files must have the extension '.lkr' ",
    "  'objfile' is the name of an assembler or compiler generated object file. ",
    "       All object files must have the extension '.o'.          ",
    "  'libfile' is the name of a librarian created library file.   ",
    "       All library files must have the extension '.lib'.       ",
    "  'option'  is a linker command line option described below.   ",
    "",
    "Linker command line options:                                   ",
    "   /o <filename>   : specify output file 'filename', default is 'a.out'  ",
    "   /m <filename>   : create map file 'filename'                          ",
    "   /l <pathlist>   : list of directories to search for library/object files",
    "   /k <pathlist>   : list of directories to search for linker command files",
    "   /n <length>     : number of lines per listing page (0 = no pagination)",
    "   /h, /?          : show this help screen                   ",
    "   /a <hexformat>  : specify format of hex programming file  ",
    "                     valid formats are INHX8M, INHX8S, INHX32",
    "   /d              : don't create listing file               ",
    "   /q              : quiet mode operation                    ",
};

// A switch's value: the text after its letter, else the next argument
// (which is then consumed), else nothing.
std::string switchValue(const std::string& argument, int argc, char** argv, int& i) {
  if (argument.size() > 2) return argument.substr(2);
  if (i + 1 < argc) return argv[++i];
  return "";
}

int isHexFormat(const std::string& value) {
  return value == "INHX8M" || value == "INHX8S" || value == "INHX32";
}

int checkFileName(const std::string& value, const std::string& message, std::string& error) {
  if (value.empty() || !Parser::isValidFileName(value)) {
    error = message;
    return 0;
  }
  return 1;
}

}  // namespace

void Parser::writeHelp(std::ostream& out) {
  for (const char* line : kHelpLines) out << line << '\n';
}

void Parser::help() {
  std::cout.flush();
  writeHelp(std::cerr);
  std::cerr.flush();
  std::cout.flush();
  std::exit(255);
}

void Parser::usage(const std::string& message) {
  reportMessage(SEVERITY_ERROR, "Parser::usage()", message, 0);
  exitWithSummary(1);
}

void Parser::parseCommandLine(int argc, char** argv, Linker& linker) {
  int helpWanted = 0;
  std::string error;
  if (readCommandLine(argc, argv, linker, helpWanted, error)) return;
  if (helpWanted) help();
  usage(error);
}

int Parser::readCommandLine(int argc, char** argv, Linker& linker, int& helpWanted,
                            std::string& error) {
  helpWanted = 0;
  error.clear();
  int argumentSeen = 0;
  int commandFileGiven = 0;
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    argumentSeen = 1;
    if (!isCommandSwitch(argument)) {
      if (isObjectFile(argument)) {
        if (!linker.addObjectFile(argument, error)) return 0;
      } else if (isLibraryFile(argument)) {
        if (!linker.addLibraryFile(argument, error)) return 0;
      } else if (isCommandFile(argument)) {
        if (!readCommandFile(argument, linker, error)) return 0;
        commandFileGiven = 1;
      } else {
        error = "unrecognized input: " + argument;
        return 0;
      }
      continue;
    }
    // The letter alone decides; messages show it lowered.
    lowerSwitchLetter(argument);
    const char letter = argument.size() > 1 ? argument[1] : '\0';
    switch (letter) {
      case 'h':
      case '?': helpWanted = 1; return 0;
      case 'o': {
        std::string value = switchValue(argument, argc, argv, i);
        if (!checkFileName(value, "-o switch requires <filename>", error)) return 0;
        if (!linker.setOutputFile(value, error)) return 0;
        break;
      }
      case 'm': {
        std::string value = switchValue(argument, argc, argv, i);
        if (!checkFileName(value, "-m switch requires <filename>", error)) return 0;
        if (!linker.setMapFile(value, error)) return 0;
        break;
      }
      case 'l': {
        std::string value = switchValue(argument, argc, argv, i);
        auto add = [&](const std::string& dir) { return linker.addLibPath(dir, error); };
        if (!takePathList(value, "-l switch requires <pathlist>", error, add)) return 0;
        break;
      }
      case 'k': {
        std::string value = switchValue(argument, argc, argv, i);
        auto add = [&](const std::string& dir) {
          cLkrPath.push_back(dir);
          return 1;
        };
        if (!takePathList(value, "-k switch requires <pathlist>", error, add)) return 0;
        break;
      }
      case 'n':
        // Accepted for the other tools' sake; nothing here uses it.
        if (!isNumber(switchValue(argument, argc, argv, i))) {
          error = "-n switch requires <length>";
          return 0;
        }
        break;
      case 'a':
        if (!isHexFormat(switchValue(argument, argc, argv, i))) {
          error = "-a switch requires <hexformat>";
          return 0;
        }
        break;
      case 'd': break;
      case 'q': setQuiet(1); break;
      case 's':
        if (!linker.setStrip(1, error)) return 0;
        break;
      default: error = "unknown switch: " + argument; return 0;
    }
  }
  if (!argumentSeen) {
    helpWanted = 1;
    return 0;
  }
  if (!commandFileGiven) {
    error = "linker command file required.";
    return 0;
  }
  return 1;
}
