#include "listing_format.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

TEST(ListingFormat, RowColumnsStartAtFixedPositions) {
  const std::string row = formatListRow("000010", "3001", "MOVLW     0x1", "  movlw 1", "a.asm");
  EXPECT_EQ(row.substr(0, 9), "000010   ");
  EXPECT_EQ(row.substr(9, 9), "3001     ");
  EXPECT_EQ(row.substr(18, 25), "MOVLW     0x1            ");
  EXPECT_EQ(row.substr(43, 9), "  movlw 1");
  EXPECT_EQ(row.substr(124), "a.asm\n");
  EXPECT_EQ(row.size(), 130u);
}

TEST(ListingFormat, EmptyColumnsKeepTheirBlanks) {
  const std::string row = formatListRow("", "", "", "", "");
  EXPECT_EQ(row, std::string(124, ' ') + "\n");
}

TEST(ListingFormat, LongTextsPushTheRestRight) {
  const std::string longSource(90, 's');
  const std::string row = formatListRow("1234567", "v", "d", longSource, "f");
  EXPECT_EQ(row.substr(0, 10), "1234567   ");
  EXPECT_EQ(row.substr(44, 90), longSource);
  EXPECT_EQ(row.substr(134), " f\n");
}

TEST(ListingFormat, AddressAndValueAreZeroPaddedLowerCaseHex) {
  EXPECT_EQ(formatListAddress(0x1a), "00001a");
  EXPECT_EQ(formatListAddress(0x1234567), "1234567");
  EXPECT_EQ(formatListValue(0xbeef), "beef");
  EXPECT_EQ(formatListValue(0x5), "0005");
}

TEST(ListingFormat, TitleAndRuleLinesMatchTheColumns) {
  const std::string title = kListTitleLine;
  EXPECT_EQ(title.find("Value"), 9u);
  EXPECT_EQ(title.find("Disassembly"), 18u);
  EXPECT_EQ(title.find("Source"), 43u);
  EXPECT_EQ(title.find("File"), 124u);
  EXPECT_EQ(title.back(), '\n');
  EXPECT_EQ(std::string(kListRuleLine), std::string(7, '-') + "  " + std::string(7, '-') + "  " +
                                            std::string(23, '-') + "  " + std::string(79, '-') +
                                            "  " + std::string(5, '-') + "\n");
}

TEST(ListingFormat, CalendarTimeIsTheTwentyFourCharacterText) {
  // ctest runs with TZ=UTC.
  EXPECT_EQ(formatCalendarTime(0), "Thu Jan  1 00:00:00 1970\n");
  EXPECT_EQ(formatCalendarTime(1700000000), "Tue Nov 14 22:13:20 2023\n");
}

TEST(ListingFormat, SourceLinesOfAnyLengthWithoutLineEnds) {
  const std::string longLine(3000, 'x');
  std::istringstream in("first\r\n" + longLine + "\n\nno carriage\rinside\nlast");
  std::string line;
  ASSERT_TRUE(readSourceLine(in, line));
  EXPECT_EQ(line, "first");
  ASSERT_TRUE(readSourceLine(in, line));
  EXPECT_EQ(line, longLine);
  ASSERT_TRUE(readSourceLine(in, line));
  EXPECT_EQ(line, "");
  ASSERT_TRUE(readSourceLine(in, line));
  EXPECT_EQ(line, "no carriage\rinside");
  ASSERT_TRUE(readSourceLine(in, line));
  EXPECT_EQ(line, "last");
  EXPECT_FALSE(readSourceLine(in, line));
}

}  // namespace
