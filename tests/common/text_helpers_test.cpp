#include "text_helpers.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(ParseNumber, DecimalAndHexadecimal) {
  EXPECT_EQ(parseNumber("0X10"), 16u);
  EXPECT_EQ(parseNumber("0x1F"), 31u);
  EXPECT_EQ(parseNumber("1x1F"), 31u);  // the first character is not examined
  EXPECT_EQ(parseNumber("10"), 10u);
  EXPECT_EQ(parseNumber("0x"), 0u);
  EXPECT_EQ(parseNumber("abc"), 0u);
  EXPECT_EQ(parseNumber(""), 0u);
  EXPECT_EQ(parseNumber("  42z"), 42u);
  EXPECT_EQ(parseNumber("0xffffffff"), 0xFFFFFFFFu);
}

// The result is 32 bits wide on every host: a value beyond it gives the
// largest value rather than wrapping round to a small one.
TEST(ParseNumber, TooLargeGivesTheLargestValue) {
  EXPECT_EQ(parseNumber("4294967295"), 0xFFFFFFFFu);
  EXPECT_EQ(parseNumber("4294967296"), 0xFFFFFFFFu);
  EXPECT_EQ(parseNumber("0x100000000"), 0xFFFFFFFFu);
  EXPECT_EQ(parseNumber("0x1000000000000000F"), 0xFFFFFFFFu);
  EXPECT_EQ(parseNumber("99999999999999999999999"), 0xFFFFFFFFu);
  // A minus sign negates in unsigned arithmetic, as the standard conversion does.
  EXPECT_EQ(parseNumber("-1"), 0xFFFFFFFFu);
  EXPECT_EQ(parseNumber("-4294967295"), 1u);
  EXPECT_EQ(parseNumber("-4294967296"), 0xFFFFFFFFu);
  EXPECT_EQ(parseNumber("+12"), 12u);
  EXPECT_EQ(parseNumber("--12"), 0u);
}

// What a user typed is read as the number it spells or not at all.
TEST(ReadWholeNumber, AcceptsOnlyWholeNumbersThatFit32Bits) {
  const struct {
    const char* text;
    bool whole;
    uint32_t value;
  } cases[] = {
      {"0", true, 0},           {"4294967295", true, 0xFFFFFFFFu}, {"0xFFFFFFFF", true, 0xFFFFFFFFu},
      {"0X1f", true, 31},       {"0x00000000000010", true, 16},    {"007", true, 7},
      {"4294967296", false, 0}, {"0x100000000", false, 0},         {"99999999999999999999", false, 0},
      {"", false, 0},           {"0x", false, 0},                  {"abc", false, 0},
      {"1x1F", false, 0},       {"0x1G", false, 0},                {"-1", false, 0},
      {"+1", false, 0},         {" 1", false, 0},                  {"12 ", false, 0},
      {"1F", false, 0},
  };
  for (const auto& c : cases) {
    uint32_t value = 12345;
    EXPECT_EQ(readWholeNumber(c.text, value), c.whole) << c.text;
    if (c.whole) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

TEST(SplitList, KeepsInnerEmptyPiecesAndDropsAnEmptyLast) {
  using Pieces = std::vector<std::string>;
  EXPECT_EQ(splitList("a;;b", ';'), (Pieces{"a", "", "b"}));
  EXPECT_EQ(splitList("a;", ';'), (Pieces{"a"}));
  EXPECT_EQ(splitList("a,b,", ','), (Pieces{"a", "b"}));
  EXPECT_EQ(splitList("", ','), Pieces{});
  EXPECT_EQ(splitList(",", ','), (Pieces{""}));
}

TEST(ReadToken, QuotingAndWhiteSpace) {
  std::string token;
  std::istringstream quoted("  \"x y\"z next");
  EXPECT_TRUE(readToken(quoted, token));
  EXPECT_EQ(token, "x yz");
  EXPECT_TRUE(readToken(quoted, token));
  EXPECT_EQ(token, "next");
  EXPECT_FALSE(readToken(quoted, token));
  EXPECT_EQ(token, "");

  std::istringstream open("\"abc");
  EXPECT_FALSE(readToken(open, token));
  std::istringstream emptyPair(" \"\" ");
  EXPECT_FALSE(readToken(emptyPair, token));
  std::istringstream tabs("\t\r\n\v\fword\tafter");
  EXPECT_TRUE(readToken(tabs, token));
  EXPECT_EQ(token, "word");
}

TEST(FormatHex, WidthsAndMasking) {
  EXPECT_EQ(formatHex(0x1A, 2), "0x001a");
  EXPECT_EQ(formatHex(0x12345, 2), "0x2345");
  EXPECT_EQ(formatHex(0xFFFFFFFF, 4), "0xffffffff");
  EXPECT_EQ(formatHex(0xABCDEF, 3), "0xabcdef");
  EXPECT_EQ(formatHex(0x1FF, 1), "0xff");
  EXPECT_EQ(formatHex(5, 0), "<NaN>");
  EXPECT_EQ(formatHex(5, 5), "<NaN>");
  EXPECT_EQ(formatHex(5, -1), "<NaN>");
}

TEST(TextHelpers, QuoteUnquoteAndSwap) {
  EXPECT_EQ(quote("a b"), "\"a b\"");
  EXPECT_EQ(unquote("\"a\"b\""), "ab");
  EXPECT_EQ(swapBytes32(0x11223344u), 0x44332211u);
}
