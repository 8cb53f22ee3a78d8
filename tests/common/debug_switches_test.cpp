#include "debug_switches.h"

#include <gtest/gtest.h>

TEST(DebugSwitches, AskingInsertsZeroAndSettingKeepsTheLastValue) {
  initDebugSwitches();
  EXPECT_EQ(switchValue(declareSwitch("Coff::preWrite")), 0);
  EXPECT_EQ(debugSwitches->count("Coff::preWrite"), 1u);
  EXPECT_EQ(switchValue("never::set"), 0);
  EXPECT_EQ(debugSwitches->at("never::set"), 0);
  EXPECT_EQ(setSwitch("debug", 1), "debug");
  setSwitch("debug", 3);
  EXPECT_EQ(switchValue("debug"), 3);
  EXPECT_EQ(declareSwitch("debug"), "debug");
  EXPECT_EQ(switchValue("debug"), 3);  // declaring keeps a set value
  EXPECT_TRUE(traceOn("debug"));
  clearDebugSwitches();
  EXPECT_FALSE(traceOn("debug"));
}
