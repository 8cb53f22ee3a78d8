// The converter's command line: switches, values and the texts it refuses with.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_line.h"

namespace {

struct Parsed {
  int ok;
  HexOptions options;
  std::string message;
};

Parsed parse(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "qornip");
  Parsed parsed;
  parsed.ok = parseCommandLine(static_cast<int>(arguments.size()), arguments.data(), parsed.options,
                               parsed.message);
  return parsed;
}

TEST(HexCommandLine, DefaultsToInhx32WithoutRanges) {
  Parsed parsed = parse({"Dir/Prog.O"});
  ASSERT_EQ(parsed.ok, 1);
  EXPECT_EQ(parsed.options.format, HEX_INHX32);
  EXPECT_TRUE(parsed.options.ranges.empty());
  EXPECT_EQ(parsed.options.fileName, "Dir/Prog.O");
}

TEST(HexCommandLine, SwitchesInAnyCaseRangesInOrderAndTheLastFormatWins) {
  Parsed parsed = parse({"/A", "INHX8S", "-r", "0x200-0x300", "prog.o", "/R", "16-0x10", "-a",
                         "INHX8M", "/q", "/r", "0X0-4294967295"});
  ASSERT_EQ(parsed.ok, 1) << parsed.message;
  EXPECT_EQ(parsed.options.format, HEX_INHX8M);
  ASSERT_EQ(parsed.options.ranges.size(), 3u);
  EXPECT_EQ(parsed.options.ranges[2].cEnd, 0xFFFFFFFFu);
  EXPECT_EQ(parsed.options.ranges[0].cStart, 0x200u);
  EXPECT_EQ(parsed.options.ranges[0].cEnd, 0x300u);
  EXPECT_EQ(parsed.options.ranges[1].cStart, 16u);
  EXPECT_EQ(parsed.options.ranges[1].cEnd, 16u);
  EXPECT_EQ(parsed.options.fileName, "prog.o");
}

TEST(HexCommandLine, BadRangeValues) {
  // Each end must be a whole number of 32 bits: nothing is guessed or clamped.
  for (const char* value :
       {"0x200-0x100", "0x100", "0x100-", "1-2-3", "", "abc-def", "0x1G-0x20", "-0x20",
        "0-0x1FFFFFFFF", "0-4294967296", "0x-1", " 1-2", "1x1F-0x20"}) {
    Parsed parsed = parse({"/r", value, "prog.o"});
    EXPECT_EQ(parsed.ok, 0) << value;
    EXPECT_EQ(parsed.message, "/r requires 0xBBBB-0xEEEE where 0xEEEE >= 0xBBBB") << value;
  }
}

TEST(HexCommandLine, BadOrMissingFormat) {
  for (std::vector<const char*> arguments : {std::vector<const char*>{"/a", "inhx32", "prog.o"},
                                             std::vector<const char*>{"prog.o", "-a"}}) {
    Parsed parsed = parse(arguments);
    EXPECT_EQ(parsed.ok, 0);
    EXPECT_EQ(parsed.message, "-a switch requires {INHX32, INHX8S, INHX8M}");
  }
}

TEST(HexCommandLine, UsageForMissingRangeValueNoFileOrTwoFiles) {
  for (std::vector<const char*> arguments :
       {std::vector<const char*>{"prog.o", "/r"}, std::vector<const char*>{},
        std::vector<const char*>{"/q"}, std::vector<const char*>{"a.o", "b.o"},
        std::vector<const char*>{"a.o", "/x"}}) {
    Parsed parsed = parse(arguments);
    EXPECT_EQ(parsed.ok, 0);
    EXPECT_EQ(parsed.message, kHexUsageText);
  }
  EXPECT_EQ(std::string(kHexUsageText).substr(0, 68),
            "Usage: qornip [/a <hexformat>] [/r 0xBBBB-0xEEEE]... [/q] <coffFile>");
}

// An empty argument is a file name like any other: it takes the place of
// the first one.
TEST(HexCommandLine, EmptyArgumentIsTheFirstFileName) {
  Parsed empty = parse({""});
  ASSERT_EQ(empty.ok, 1) << empty.message;
  EXPECT_EQ(empty.options.fileName, "");
  Parsed two = parse({"", "prog.o"});
  EXPECT_EQ(two.ok, 0);
  EXPECT_EQ(two.message, kHexUsageText);
}

TEST(HexCommandLine, UnknownSwitchOrAbsolutePathIsTheFileNameAsTyped) {
  EXPECT_EQ(parse({"/X"}).options.fileName, "/X");
  EXPECT_EQ(parse({"/r/prog.o"}).options.fileName, "/r/prog.o");
}

}  // namespace
