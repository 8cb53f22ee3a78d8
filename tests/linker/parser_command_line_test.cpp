// The linker's command line: switches and their values, input files, the
// first error's text, the help screen and the usage exit.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "captured_output.h"
#include "diagnostics.h"
#include "linker.h"
#include "parser.h"
#include "process_runner.h"

namespace {

// An argument vector as main receives it, with the program name first.
struct Arguments {
  explicit Arguments(const std::vector<std::string>& arguments) : texts(arguments) {
    texts.insert(texts.begin(), "qorlan");
    for (std::string& text : texts) pointers.push_back(text.data());
  }
  int count() const { return static_cast<int>(pointers.size()); }
  char** vector() { return pointers.data(); }

  std::vector<std::string> texts;
  std::vector<char*> pointers;
};

// 1 when the whole line was taken; the first error or help request else.
int readLine(Parser& parser, Linker& linker, const std::vector<std::string>& arguments,
             int& helpWanted, std::string& error) {
  Arguments line(arguments);
  return parser.readCommandLine(line.count(), line.vector(), linker, helpWanted, error);
}

// Runs the command line with the current directory in a scratch directory
// that holds an empty command file "t.lkr" and a directory "inc".
class ParserCommandLine : public testing::Test {
 protected:
  void SetUp() override {
    cOldDir = std::filesystem::current_path();
    std::filesystem::current_path(cDir.path());
    qortest::writeFile("t.lkr", "");
    std::filesystem::create_directory("inc");
  }
  void TearDown() override { std::filesystem::current_path(cOldDir); }

  int run(const std::vector<std::string>& arguments) {
    return readLine(cParser, cLinker, arguments, cHelpWanted, cError);
  }

  qortest::CapturedOutput cCapture;  // fresh diagnostics, quiet mode undone afterwards
  qortest::ScratchDir cDir;
  std::filesystem::path cOldDir;
  Parser cParser;
  Linker cLinker;
  int cHelpWanted = 0;
  std::string cError;
};

TEST_F(ParserCommandLine, ErrorsStopAtTheFaultyArgument) {
  struct Case {
    std::vector<std::string> arguments;
    std::string error;
  };
  const Case cases[] = {
      {{"-o"}, "-o switch requires <filename>"},
      {{"-o", "-m", "t.lkr"}, "-o switch requires <filename>"},
      {{"-o", "dir/", "t.lkr"}, "-o switch requires <filename>"},
      {{"-m"}, "-m switch requires <filename>"},
      {{"-m", "_x.map", "t.lkr"}, "-m switch requires <filename>"},
      {{"/m", "dir/", "t.lkr"}, "-m switch requires <filename>"},
      {{"-l"}, "-l switch requires <pathlist>"},
      {{"-l", ";", "t.lkr"}, "-l switch requires <pathlist>"},
      {{"-l", "a;;b", "t.lkr"}, "-l switch requires <pathlist>"},
      {{"-k"}, "-k switch requires <pathlist>"},
      {{"-k;x", "t.lkr"}, "-k switch requires <pathlist>"},
      {{"-n"}, "-n switch requires <length>"},
      {{"-n", "6a", "t.lkr"}, "-n switch requires <length>"},
      {{"-n-1", "t.lkr"}, "-n switch requires <length>"},
      {{"-a"}, "-a switch requires <hexformat>"},
      {{"-a", "inhx8m", "t.lkr"}, "-a switch requires <hexformat>"},
      {{"-aINHX16", "t.lkr"}, "-a switch requires <hexformat>"},
      {{"-Z", "t.lkr"}, "unknown switch: -z"},
      {{"/Xyz", "t.lkr"}, "unknown switch: /xyz"},
      {{"-", "t.lkr"}, "unknown switch: -"},
      {{"_x.o", "t.lkr"}, "unrecognized input: _x.o"},
      {{".o", "t.lkr"}, "unrecognized input: .o"},
      {{"x.obj", "t.lkr"}, "unrecognized input: x.obj"},
      {{"", "t.lkr"}, "unrecognized input: "},
      {{"x.o", "x.o", "t.lkr"}, "mutliple inclusion of object file 'x.o' "},
      {{"x.lib", "t.lkr", "x.lib"}, "mutliple inclusion of library file 'x.lib' "},
      {{"-o", "a.out", "-ob.out", "t.lkr"}, "multiple output files declared: 'a.out', 'b.out'"},
      {{"-m", "a.map", "/Mb.map", "t.lkr"}, "multiple map files declared: 'a.map', 'b.map'"},
      {{"x.o"}, "linker command file required."},
      {{"-d", "x.o", "-a", "INHX32", "-n", "60"}, "linker command file required."},
      {{"inc.lkr"}, "Could not find linker command file 'inc.lkr'."},
      {{"t.lkr", "t.lkr"}, "Multliple inclusion of linker command file './t.lkr' "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    Parser parser;
    Linker linker;
    int helpWanted = 0;
    std::string error;
    EXPECT_EQ(readLine(parser, linker, c.arguments, helpWanted, error), 0);
    EXPECT_EQ(helpWanted, 0);
    EXPECT_EQ(error, c.error);
  }
}

TEST_F(ParserCommandLine, SettingsReachTheLinker) {
  ASSERT_EQ(run({"-O", "out.o", "/mx.map", "-l", "a;b;", "-lc", "-s", "x.O", "y.LIB", "-d", "z.o",
                 "-a", "INHX8S", "-n0", "t.lkr"}),
            1)
      << cError;
  EXPECT_EQ(cLinker.cOutputFile, "out.o");
  EXPECT_EQ(cLinker.cMapFile, "x.map");
  EXPECT_EQ(cLinker.cLibPath, (std::list<std::string>{"a", "b", "c"}));
  EXPECT_EQ(cLinker.cStrip, 1);
  EXPECT_EQ(cLinker.cObjectFile, (std::list<std::string>{"x.O", "z.o"}));
  EXPECT_EQ(cLinker.cLibraryFile, (std::list<std::string>{"y.LIB"}));
  EXPECT_EQ(cParser.cCommandFiles, (std::list<std::string>{"./t.lkr"}));
  EXPECT_EQ(cHelpWanted, 0);
}

TEST_F(ParserCommandLine, HelpIsAskedForByItsSwitchesOrNoArgument) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{}, {"-h"}, {"/H"}, {"/?"}, {"-?x", "x.o"}, {"x.o", "-help"}}) {
    Parser parser;
    Linker linker;
    int helpWanted = 0;
    std::string error;
    EXPECT_EQ(readLine(parser, linker, arguments, helpWanted, error), 0);
    EXPECT_EQ(helpWanted, 1) << testing::PrintToString(arguments);
    EXPECT_EQ(error, "");
  }
}

TEST_F(ParserCommandLine, CommandFilesAreSoughtWhereTheyStand) {
  qortest::writeFile("inc/only.lkr", "FILES only.o\n");
  qortest::writeFile("inc/t.lkr", "FILES wrong.o\n");
  // A "-k" directory serves the command files after it, and the current
  // directory is searched first.
  ASSERT_EQ(run({"-k", "inc", "only.lkr", "t.lkr", cDir.file("inc/t.lkr")}), 1) << cError;
  EXPECT_EQ(cParser.cLkrPath, (std::list<std::string>{"inc"}));
  EXPECT_EQ(cParser.cCommandFiles,
            (std::list<std::string>{"inc/only.lkr", "./t.lkr", cDir.file("inc/t.lkr")}));
  EXPECT_EQ(cLinker.cObjectFile, (std::list<std::string>{"only.o", "wrong.o"}));
}

TEST_F(ParserCommandLine, ASearchDirectoryNamedLaterDoesNotServe) {
  qortest::writeFile("inc/only.lkr", "");
  EXPECT_EQ(run({"only.lkr", "-k", "inc"}), 0);
  EXPECT_EQ(cError, "Could not find linker command file 'only.lkr'.");
}

TEST_F(ParserCommandLine, AnObjectInTheCommandFileAndOnTheLine) {
  qortest::writeFile("f.lkr", "FILES x.o\n");
  EXPECT_EQ(run({"x.o", "f.lkr"}), 0);
  EXPECT_EQ(cError, "mutliple inclusion of object file 'x.o' ");
}

TEST_F(ParserCommandLine, QuietSwitchesTakeEffectWhereTheyStand) {
  EXPECT_EQ(run({"-quiet"}), 0);
  EXPECT_EQ(cError, "linker command file required.");
  EXPECT_EQ(isQuiet(), 1);
}

TEST(ParserHelp, TheScreenWordForWord) {
  const std::string expected =
      "Syntax:   qorlan { cmdfile | [objfile] | [libfile] | [option] } ...  \n"
      "  'cmdfile' is the name of a linker command file.              \n"
      "       All linker command files must have the extension '.lkr' \n"
      "  'objfile' is the name of an assembler or compiler generated object file. \n"
      "       All object files must have the extension '.o'.          \n"
      "  'libfile' is the name of a librarian created library file.   \n"
      "       All library files must have the extension '.lib'.       \n"
      "  'option'  is a linker command line option described below.   \n"
      "\n"
      "Linker command line options:                                   \n"
      "   /o <filename>   : specify output file 'filename', default is 'a.out'  \n"
      "   /m <filename>   : create map file 'filename'                          \n"
      "   /l <pathlist>   : list of directories to search for library/object files\n"
      "   /k <pathlist>   : list of directories to search for linker command files\n"
      "   /n <length>     : number of lines per listing page (0 = no pagination)\n"
      "   /h, /?          : show this help screen                   \n"
      "   /a <hexformat>  : specify format of hex programming file  \n"
      "                     valid formats are INHX8M, INHX8S, INHX32\n"
      "   /d              : don't create listing file               \n"
      "   /q              : quiet mode operation                    \n";
  std::ostringstream out;
  Parser::writeHelp(out);
  EXPECT_EQ(out.str(), expected);
}

class ParserCommandLineDeathTest : public testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }

  static void parse(const std::vector<std::string>& arguments) {
    Arguments line(arguments);
    Parser parser;
    Linker linker;
    parser.parseCommandLine(line.count(), line.vector(), linker);
  }
};

TEST_F(ParserCommandLineDeathTest, ErrorsEndWithUsageAndCodeOne) {
  EXPECT_EXIT(parse({"-o"}), testing::ExitedWithCode(1),
              "^Error - -o switch requires <filename>\n$");
  EXPECT_EXIT(Parser::usage("some text"), testing::ExitedWithCode(1), "^Error - some text\n$");
  // Quiet mode hides the message, not the exit code.
  EXPECT_EXIT(parse({"-q", "x.o"}), testing::ExitedWithCode(1), "^$");
}

TEST_F(ParserCommandLineDeathTest, HelpEndsWithCode255) {
  EXPECT_EXIT(parse({}), testing::ExitedWithCode(255), "^Syntax:   qorlan .*/q .*operation +\n$");
  EXPECT_EXIT(parse({"-q", "-h"}), testing::ExitedWithCode(255), "^Syntax:   qorlan ");
}

}  // namespace
