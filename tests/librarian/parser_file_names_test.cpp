// The file-name tests that the linker's parser and the librarian share.
#include <gtest/gtest.h>

#include "parser.h"

namespace {

TEST(ParserFileNames, ValidPathIsAnyNonEmptyText) {
  EXPECT_EQ(Parser::isValidPath("a"), 1);
  EXPECT_EQ(Parser::isValidPath(" "), 1);
  EXPECT_EQ(Parser::isValidPath("/"), 1);
  EXPECT_EQ(Parser::isValidPath(""), 0);
}

TEST(ParserFileNames, ValidFileNameLooksAtTheNamePartOnly) {
  EXPECT_EQ(Parser::isValidFileName("out.hex"), 1);
  EXPECT_EQ(Parser::isValidFileName("9lives"), 1);
  EXPECT_EQ(Parser::isValidFileName("_dir/out.hex"), 1);  // directory part not judged
  EXPECT_EQ(Parser::isValidFileName("dir\\Z"), 1);
  EXPECT_EQ(Parser::isValidFileName("-m"), 0);
  EXPECT_EQ(Parser::isValidFileName("dir/_out.hex"), 0);
  EXPECT_EQ(Parser::isValidFileName("dir/"), 0);  // no name at all
  EXPECT_EQ(Parser::isValidFileName(".hidden"), 0);
  EXPECT_EQ(Parser::isValidFileName(""), 0);
}

TEST(ParserFileNames, LetterOrDigitMeansAsciiOnly) {
  EXPECT_EQ(Parser::isValidFileName("\xc3\xa9t\xc3\xa9.o"), 0);
  EXPECT_EQ(Parser::isObjectFile("\xe9.o"), 0);
  EXPECT_EQ(Parser::isValidFileName("\x80"), 0);
}

TEST(ParserFileNames, NumberIsDecimalDigitsOnly) {
  EXPECT_EQ(Parser::isNumber("0"), 1);
  EXPECT_EQ(Parser::isNumber("0123456789"), 1);
  EXPECT_EQ(Parser::isNumber(""), 0);
  EXPECT_EQ(Parser::isNumber("12a"), 0);
  EXPECT_EQ(Parser::isNumber("-1"), 0);
  EXPECT_EQ(Parser::isNumber("+1"), 0);
  EXPECT_EQ(Parser::isNumber("0x10"), 0);
  EXPECT_EQ(Parser::isNumber(" 1"), 0);
}

TEST(ParserFileNames, ObjectFileNeedsThreeCharactersLeadingLetterOrDigitAndDotO) {
  EXPECT_EQ(Parser::isObjectFile("a.o"), 1);
  EXPECT_EQ(Parser::isObjectFile("x.O"), 1);
  EXPECT_EQ(Parser::isObjectFile("7.o"), 1);
  EXPECT_EQ(Parser::isObjectFile("dir/sub/a.o"), 1);
  EXPECT_EQ(Parser::isObjectFile("..\\a.o"), 1);
  EXPECT_EQ(Parser::isObjectFile("c:a.o"), 1);
  EXPECT_EQ(Parser::isObjectFile(".o"), 0);
  EXPECT_EQ(Parser::isObjectFile("_x.o"), 0);
  EXPECT_EQ(Parser::isObjectFile("a.obj"), 0);
  EXPECT_EQ(Parser::isObjectFile("a.o.lib"), 0);
  EXPECT_EQ(Parser::isObjectFile("ao"), 0);
  EXPECT_EQ(Parser::isObjectFile("dir.o/"), 0);
  EXPECT_EQ(Parser::isObjectFile("/q"), 0);
  EXPECT_EQ(Parser::isObjectFile(""), 0);
}

TEST(ParserFileNames, LibraryFileNeedsFiveCharactersAndDotLib) {
  EXPECT_EQ(Parser::isLibraryFile("a.lib"), 1);
  EXPECT_EQ(Parser::isLibraryFile("A.LiB"), 1);
  EXPECT_EQ(Parser::isLibraryFile("libs/math.lib"), 1);
  EXPECT_EQ(Parser::isLibraryFile(".lib"), 0);
  EXPECT_EQ(Parser::isLibraryFile("libs/.lib"), 0);
  EXPECT_EQ(Parser::isLibraryFile("a.li"), 0);
  EXPECT_EQ(Parser::isLibraryFile("ab.lib2"), 0);
  EXPECT_EQ(Parser::isLibraryFile("-a.lib"), 0);
  EXPECT_EQ(Parser::isLibraryFile("a.o"), 0);
}

TEST(ParserFileNames, CommandFileNeedsFiveCharactersAndDotLkr) {
  EXPECT_EQ(Parser::isCommandFile("a.lkr"), 1);
  EXPECT_EQ(Parser::isCommandFile("dev/18f.LKR"), 1);
  EXPECT_EQ(Parser::isCommandFile(".lkr"), 0);
  EXPECT_EQ(Parser::isCommandFile("_a.lkr"), 0);
  EXPECT_EQ(Parser::isCommandFile("a.lk"), 0);
  EXPECT_EQ(Parser::isCommandFile("a.lib"), 0);
}

}  // namespace
