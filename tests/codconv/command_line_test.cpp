// The converter's command line: switches in either form and case, the page
// length as read (refused when it does not fit an int), and the lines that
// earn the usage text.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "command_line.h"

namespace {

struct LineCase {
  std::vector<const char*> arguments;
  int ok;
  int pageLength;
  bool pageLengthGiven;
  bool noListing;
  const char* coffFile;
};

TEST(CodCommandLine, SwitchesPageLengthsAndUsageErrors) {
  const LineCase cases[] = {
      {{"prog.o"}, 1, 0, false, false, "prog.o"},
      {{"/N", "60", "-D", "/q", "Dir/Prog.O"}, 1, 60, true, true, "Dir/Prog.O"},
      {{"prog.o", "-n", "  +42lines"}, 1, 42, true, false, "prog.o"},
      {{"-n", "-7", "prog.o"}, 1, -7, true, false, "prog.o"},
      {{"-n", "none", "prog.o"}, 1, 0, true, false, "prog.o"},
      {{"-n", "2147483647", "prog.o"}, 1, INT_MAX, true, false, "prog.o"},
      {{"-n", " -2147483648x", "prog.o"}, 1, INT_MIN, true, false, "prog.o"},
      // A page length that does not fit an int is refused, never held at a limit.
      {{"-n", "2147483648", "prog.o"}, 0, 0, false, false, ""},
      {{"prog.o", "-n", "-2147483649"}, 0, 0, false, false, "prog.o"},
      {{"-n", "99999999999999999999999lines", "prog.o"}, 0, 0, false, false, ""},
      // Whatever is not one of the three switches names the file.
      {{"-x"}, 1, 0, false, false, "-x"},
      {{"-nn"}, 1, 0, false, false, "-nn"},
      {{""}, 1, 0, false, false, ""},
      {{}, 0, 0, false, false, ""},
      {{"/q", "-d"}, 0, 0, false, true, ""},
      {{"prog.o", "-n"}, 0, 0, false, false, "prog.o"},
      {{"a.o", "b.o"}, 0, 0, false, false, "a.o"},
      {{"a.o", "-x"}, 0, 0, false, false, "a.o"},
  };
  for (const LineCase& c : cases) {
    std::vector<const char*> argv = c.arguments;
    argv.insert(argv.begin(), "qortav");
    CodOptions options;
    std::string message;
    const std::string line = ::testing::PrintToString(c.arguments);
    EXPECT_EQ(parseCommandLine(static_cast<int>(argv.size()), argv.data(), options, message), c.ok)
        << line;
    EXPECT_EQ(message, c.ok ? "" : kCodUsageText) << line;
    EXPECT_EQ(options.pageLength, c.pageLength) << line;
    EXPECT_EQ(options.pageLengthGiven, c.pageLengthGiven) << line;
    EXPECT_EQ(options.noListing, c.noListing) << line;
    EXPECT_EQ(options.coffFile, c.coffFile) << line;
  }
}

}  // namespace
