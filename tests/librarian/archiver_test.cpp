// The librarian's pieces that do not need a process: the command store,
// its debug print, switch recognition and the extraction name check.
#include <gtest/gtest.h>

#include <sstream>

#include "ar_parser.h"
#include "archiver.h"
#include "parser.h"
#include "safe_member_name.h"

namespace {

TEST(Archiver, TakesTheFirstCommandOnly) {
  Archiver archiver;
  EXPECT_EQ(archiver.cHasCmd, 0);
  EXPECT_EQ(archiver.setCommand(CMD_DELETE, "a.lib", {"x.o", "y.o"}), 1);
  EXPECT_EQ(archiver.setCommand(CMD_EXTRACT, "b.lib", {}), 0);
  EXPECT_EQ(archiver.cCmd, CMD_DELETE);
  EXPECT_EQ(archiver.cArchive, "a.lib");
  EXPECT_EQ(archiver.cMembers, (std::vector<std::string>{"x.o", "y.o"}));
  EXPECT_EQ(archiver.cHasCmd, 1);
}

TEST(Archiver, ExecuteWithoutACommandFails) {
  Archiver archiver;
  EXPECT_EQ(archiver.execute(), 0);
}

TEST(Archiver, PrintShowsEveryField) {
  Archiver archiver;
  archiver.setCommand(CMD_REPLACE, "lib/m.lib", {"a.o", "dir/b.o"});
  std::ostringstream out;
  archiver.print(out);
  EXPECT_EQ(out.str(),
            "Archiver:\n"
            "  cCmd=cmdReplace\n"
            "  cArchive=lib/m.lib\n"
            "  cMembers=\n"
            "    a.o\n"
            "    dir/b.o\n"
            "  cHasCmd=1\n");
}

TEST(Archiver, PrintNamesEveryCommandAndUnknownOnes) {
  const std::pair<uint8_t, const char*> names[] = {
      {CMD_CREATE, "cmdCreate"},   {CMD_LIST, "cmdList"},       {CMD_DELETE, "cmdDelete"},
      {CMD_REPLACE, "cmdReplace"}, {CMD_EXTRACT, "cmdExtract"}, {5, "undefined"},
      {255, "undefined"}};
  for (const auto& [command, name] : names) {
    Archiver archiver;
    archiver.cCmd = command;
    std::ostringstream out;
    archiver.print(out);
    EXPECT_NE(out.str().find(std::string("  cCmd=") + name + "\n"), std::string::npos) << name;
  }
}

TEST(Archiver, UnknownCommandCodeFails) {
  Archiver archiver;
  archiver.setCommand(7, "a.lib", {});
  EXPECT_EQ(archiver.execute(), 0);
}

TEST(SafeMemberName, PlainAndRelativeNamesAreSafe) {
  for (const char* name :
       {"a.o", "sub/a.o", "sub\\a.o", "a..o", "...", "..a/b.o", "a/..b", "./a.o"}) {
    EXPECT_TRUE(isSafeMemberName(name)) << name;
  }
}

TEST(SafeMemberName, AbsoluteNamesAreRefused) {
  for (const char* name : {"/a.o", "\\a.o", "/tmp/a.o", "c:a.o", "C:\\a.o", "z:"}) {
    EXPECT_FALSE(isSafeMemberName(name)) << name;
  }
}

TEST(SafeMemberName, ParentComponentsAreRefusedWhateverTheSeparator) {
  for (const char* name :
       {"..", "../a.o", "..\\a.o", "sub/../a.o", "sub\\..\\..\\a.o", "sub/..", "a/b\\../c.o"}) {
    EXPECT_FALSE(isSafeMemberName(name)) << name;
  }
}

TEST(ArParser, LibrarianAcceptsTheSameLibraryNamesAsTheLinker) {
  for (const char* name : {"a.lib", "X.LIB", ".lib", "a.li", "_a.lib", "d/b.lib", "b.lib/"}) {
    EXPECT_EQ(ArParser::isLibraryFile(name), Parser::isLibraryFile(name)) << name;
  }
}

}  // namespace
