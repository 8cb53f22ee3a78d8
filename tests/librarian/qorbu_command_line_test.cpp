// The librarian's command line, run as a process: help screen, usage
// errors, quiet mode and exit codes.
#include "qorbu_fixture.h"

namespace qorbutest {
namespace {

using CommandLine = QorbuRun;

TEST_F(CommandLine, NoArgumentsShowsBannerAndHelp) {
  ProcessResult result = qorbu({});
  EXPECT_EQ(result.output, banner() + helpScreen());
  EXPECT_EQ(result.exitCode, 255);
}

TEST_F(CommandLine, QuietAloneIsASilentFailure) {
  for (const char* quiet : {"/q", "-q", "/Q", "-Q"}) {
    ProcessResult result = qorbu({quiet});
    EXPECT_EQ(result.output, "") << quiet;
    EXPECT_EQ(result.exitCode, 1) << quiet;
  }
}

TEST_F(CommandLine, QuietSwitchAsTheProgramNameSilencesTheRun) {
  // The start-up scan looks at every argument, the program name included.
  ProcessResult result = qortest::runProgram(
      "/bin/bash", {"-c", "exec -a -q \"$0\" \"$@\"", QORBU_PATH, "/t", "none.lib"}, cDir.path());
  EXPECT_EQ(result.output, "");
  EXPECT_EQ(result.exitCode, 1);
}

TEST_F(CommandLine, HelpSwitchesUnknownSwitchesAndStrayNamesShowTheHelp) {
  for (const char* argument :
       {"/h", "-h", "/H", "/?", "-?", "/z", "-quiet", "/cx", "x.lib", "a.o"}) {
    ProcessResult result = qorbu({argument, "x.lib"});
    EXPECT_EQ(result.output, banner() + helpScreen()) << argument;
    EXPECT_EQ(result.exitCode, 255) << argument;
  }
}

TEST_F(CommandLine, QuietModeDoesNotSilenceTheHelpScreen) {
  ProcessResult result = qorbu({"/q", "/h"});
  EXPECT_EQ(result.output, helpScreen());
  EXPECT_EQ(result.exitCode, 255);
}

TEST_F(CommandLine, LibraryNameMustBeALibraryFileName) {
  for (std::vector<std::string> arguments : {std::vector<std::string>{"/c"},
                                             {"/c", ""},
                                             {"/c", ".lib"},
                                             {"/c", "a.li"},
                                             {"/t", "_a.lib"},
                                             {"/x", "a.o"},
                                             {"/d", "dir/"}}) {
    ProcessResult result = qorbu(arguments);
    EXPECT_EQ(result.output, banner() + error("library filename is required") + summary(1))
        << testing::PrintToString(arguments);
    EXPECT_EQ(result.exitCode, 1);
  }
}

TEST_F(CommandLine, MemberNamesMustBeObjectFileNames) {
  put(alphaObject(), "alpha.o");
  for (const char* member : {"a.obj", "", "_a.o", ".o", "/c"}) {
    ProcessResult result = qorbu({"/c", "x.lib", "alpha.o", member});
    EXPECT_EQ(result.output, banner() + error("invalid object filename") + summary(1)) << member;
    EXPECT_EQ(result.exitCode, 1);
  }
  EXPECT_FALSE(exists("x.lib"));
}

TEST_F(CommandLine, QuietSwitchAfterTheLibraryIsAnInvalidMemberNameShownByNobody) {
  put(alphaObject(), "alpha.o");
  ProcessResult result = qorbu({"/c", "x.lib", "alpha.o", "/q"});
  EXPECT_EQ(result.output, "");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_FALSE(exists("x.lib"));
}

TEST_F(CommandLine, QuietUsageErrorPrintsNothing) {
  ProcessResult result = qorbu({"-q", "/c", ".lib"});
  EXPECT_EQ(result.output, "");
  EXPECT_EQ(result.exitCode, 1);
}

TEST_F(CommandLine, SwitchLetterIsCaseBlindAndNamesAreKeptAsTyped) {
  put(alphaObject(), "Alpha.O");
  ProcessResult result = qorbu({"/C", "Mixed.LIB", "Alpha.O"});
  EXPECT_EQ(result.output, banner() + summary(0));
  EXPECT_EQ(result.exitCode, 0);
  ASSERT_TRUE(exists("Mixed.LIB"));
  EXPECT_NE(contents("Mixed.LIB").find("Alpha.O/"), std::string::npos);
}

TEST_F(CommandLine, DashSwitchesWorkLikeSlashSwitches) {
  std::vector<uint8_t> image = put(alphaObject(), "alpha.o");
  ProcessResult result = qorbu({"-c", "x.lib", "alpha.o"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(contents("x.lib"), libraryMagic() + libraryMember("alpha.o", 1234567890, image));
}

TEST_F(CommandLine, TheCommandConsumesEveryLaterArgument) {
  // A second command switch after the library is just a bad member name.
  ProcessResult result = qorbu({"/c", "x.lib", "/t"});
  EXPECT_EQ(result.output, banner() + error("invalid object filename") + summary(1));
  EXPECT_EQ(result.exitCode, 1);
}

}  // namespace
}  // namespace qorbutest
