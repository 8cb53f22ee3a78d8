#include "command_switch.h"

#include <gtest/gtest.h>

TEST(CommandSwitch, DashOrSlashStartsASwitchUnlessItIsAPath) {
  EXPECT_TRUE(isCommandSwitch("-c"));
  EXPECT_TRUE(isCommandSwitch("/c"));
  EXPECT_TRUE(isCommandSwitch("-"));
  EXPECT_TRUE(isCommandSwitch("/?"));
  EXPECT_FALSE(isCommandSwitch("/tmp/x.lib"));  // a further '/'
  EXPECT_FALSE(isCommandSwitch("/tmp"));        // names an existing file
  EXPECT_FALSE(isCommandSwitch("c"));
  EXPECT_FALSE(isCommandSwitch(""));
}

TEST(CommandSwitch, LowersOnlyTheAsciiLetterAfterTheSwitchCharacter) {
  std::string argument = "/C";
  lowerSwitchLetter(argument);
  EXPECT_EQ(argument, "/c");
  argument = "-XY";
  lowerSwitchLetter(argument);
  EXPECT_EQ(argument, "-xY");
  argument = "/?";
  lowerSwitchLetter(argument);
  EXPECT_EQ(argument, "/?");
  argument = "/\xc9";
  lowerSwitchLetter(argument);
  EXPECT_EQ(argument, "/\xc9");
}

TEST(CommandSwitch, SwitchLetterOnlyOfTwoCharacterSwitches) {
  const struct {
    const char* argument;
    char letter;
  } cases[] = {
      {"/N", 'n'}, {"-d", 'd'}, {"/?", '?'}, {"/\xc9", '\xc9'}, {"-", 0},
      {"-nn", 0},  {"n", 0},    {"", 0},     {"/tmp", 0},  // names an existing file
      {"/a/b", 0},                                         // a further '/'
  };
  for (const auto& c : cases) EXPECT_EQ(switchLetter(c.argument), c.letter) << c.argument;
}
