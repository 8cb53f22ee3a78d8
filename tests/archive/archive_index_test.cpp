// The symbol index: which symbols it holds, duplicate definitions, handing
// out members, copying, and the debug prints.
#include <gtest/gtest.h>

#include "archive_test_helpers.h"
#include "debug_switches.h"

using namespace archivetest;
using qortest::ObjectBuilder;
using qortest::ScratchDir;

namespace {

Archive archiveOf(std::vector<ObjectBuilder> builders) {
  Archive archive;
  archive.cName = "test.lib";
  for (const auto& builder : builders) archive.cMembers.push_back(builder.coff());
  return archive;
}

}  // namespace

TEST(ArchiveIndex, HoldsOnlyDefinedExternals) {
  ObjectBuilder mixed("mixed.o");
  mixed.code(".code").bytes({1, 2}).udata(".bss", 4);
  mixed.symbol("stat", 0, 1, C_STAT)
      .externRef("wanted")
      .global("absolute_external", 5, N_ABS)
      .symbol("label", 1, 1, C_LABEL)
      .global("in_bss", 0, 2)
      // An aux slot whose bytes would read as a defined external.
      .symbol("func", 0, 1, C_EXT, DT_FCN << 4);
  SymbolEntry ghost;
  ghost._n_name.bytes[0] = 'g';
  ghost.n_scnum = 1;
  ghost.n_sclass = C_EXT;
  mixed.auxSlot(ghost);
  mixed.global("very_last_entry", 1, 1);
  Archive archive = archiveOf({mixed, ObjectBuilder("empty.o")});

  CapturedOutput captured;
  EXPECT_EQ(archive.makeSymbols(), 1);
  EXPECT_EQ(indexOf(archive),
            (std::vector<std::pair<std::string, std::string>>{
                {"func", "mixed.o"}, {"in_bss", "mixed.o"}, {"very_last_entry", "mixed.o"}}));
  EXPECT_EQ(archive.hasSymbol("func"), 1);
  EXPECT_EQ(archive.hasSymbol("g"), 0);
  EXPECT_EQ(archive.hasSymbol("wanted"), 0);
  EXPECT_EQ(archive.hasSymbol("stat"), 0);
  EXPECT_EQ(captured.errors(), "");
}

TEST(ArchiveIndex, DuplicateExternalsKeepTheFirstAndReportEachRebuild) {
  Archive archive = archiveOf({objectDefining("one.o", {"shared", "only_one"}),
                               objectDefining("two.o", {"shared_long_name", "shared"}),
                               objectDefining("three.o", {"shared_long_name"})});
  CapturedOutput captured;
  EXPECT_EQ(archive.makeSymbols(), 0);
  const std::string messages =
      "Error - Symbol 'shared' has multiple external definitions.\n"
      "Error - Symbol 'shared_long_name' has multiple external definitions.\n";
  EXPECT_EQ(captured.errors(), messages);
  EXPECT_EQ(indexOf(archive),
            (std::vector<std::pair<std::string, std::string>>{
                {"only_one", "one.o"}, {"shared", "one.o"}, {"shared_long_name", "two.o"}}));
  EXPECT_EQ(archive.makeSymbols(), 0);
  EXPECT_EQ(captured.errors(), messages + messages);
}

TEST(ArchiveIndex, LibraryWithDuplicatesIsStillReadAndWritten) {
  ScratchDir dir;
  Archive archive = archiveOf({objectDefining("one.o", {"dup"}), objectDefining("two.o", {"dup"})});
  archive.cName = dir.file("dup.lib");
  CapturedOutput captured;
  EXPECT_EQ(archive.write(), 1);
  auto read = Archive::make(archive.cName);
  ASSERT_TRUE(read);
  EXPECT_EQ(memberNames(*read), (std::vector<std::string>{"one.o", "two.o"}));
  EXPECT_EQ(captured.errors(), "Error - Symbol 'dup' has multiple external definitions.\n");
  EXPECT_EQ(read->cSymbols.at("dup")->cName, "one.o");
}

TEST(ArchiveIndex, GetMemberHandsOutAnIndependentCopy) {
  auto archive = std::make_unique<Archive>(
      archiveOf({objectDefining("a.o", {"alpha"}), objectDefining("b.o", {"beta", "gamma"})}));
  archive->makeSymbols();
  EXPECT_FALSE(archive->getMember("delta"));
  auto copy = archive->getMember("gamma");
  ASSERT_TRUE(copy);
  EXPECT_NE(copy.get(), archive->cSymbols.at("gamma"));
  auto expected = objectDefining("b.o", {"beta", "gamma"}).coff();
  archive.reset();
  expectSameObject(*expected, *copy);
}

TEST(ArchiveIndex, CopiesAreDeep) {
  Archive original = archiveOf({objectDefining("a.o", {"alpha"}), objectDefining("b.o", {"beta"})});
  original.cName = "orig.lib";
  original.makeSymbols();

  Archive copy(original);
  EXPECT_EQ(copy.cName, "orig.lib");
  ASSERT_EQ(memberNames(copy), memberNames(original));
  for (size_t i = 0; i < copy.cMembers.size(); ++i) {
    EXPECT_NE(copy.cMembers[i].get(), original.cMembers[i].get());
    expectSameObject(*original.cMembers[i], *copy.cMembers[i]);
  }
  // The copy's index points into its own members.
  EXPECT_EQ(copy.cSymbols.at("beta"), copy.cMembers[1].get());

  Archive assigned = archiveOf({objectDefining("c.o", {"gamma"})});
  assigned.makeSymbols();
  assigned = original;
  EXPECT_EQ(memberNames(assigned), memberNames(original));
  EXPECT_EQ(assigned.hasSymbol("gamma"), 0);
  EXPECT_EQ(assigned.cSymbols.at("alpha"), assigned.cMembers[0].get());

  Archive& self = assigned;
  assigned = self;
  EXPECT_EQ(memberNames(assigned), memberNames(original));
  EXPECT_EQ(assigned.cSymbols.at("alpha"), assigned.cMembers[0].get());

  original.cMembers.clear();
  original.cSymbols.clear();
  expectSameObject(*objectDefining("a.o", {"alpha"}).coff(), *copy.cMembers[0]);
}

TEST(ArchiveIndex, Dump) {
  Archive archive = archiveOf({objectDefining("a.o", {"alpha", "aleph"}), ObjectBuilder("b.o")});
  archive.makeSymbols();
  std::ostringstream memberA, memberB, out;
  archive.cMembers[0]->dump(memberA);
  archive.cMembers[1]->dump(memberB);
  archive.dump(out);
  EXPECT_EQ(out.str(),
            "Archive: \n"
            "  Symbols: \n"
            "    'aleph' -> a.o\n"
            "    'alpha' -> a.o\n"
            "\n"
            "  Members: \n"
            "    Member[0] = \n" +
                memberA.str() + "\n" + "    Member[1] = \n" + memberB.str() + "\n");
}

TEST(ArchiveIndex, TraceOfTheRebuiltIndex) {
  Archive archive = archiveOf({objectDefining("a.o", {"alpha", "a_name_longer_than_15"})});
  CapturedOutput captured;
  archive.makeSymbols();
  EXPECT_EQ(captured.output(), "");
  setSwitch("Archive::makeSymbols", 1);
  archive.makeSymbols();
  setSwitch("Archive::makeSymbols", 0);
  EXPECT_EQ(captured.output(),
            "  Symbols: \n"
            "    a_name_longer_than_15 -> a.o\n"
            "    alpha           -> a.o\n");
}

TEST(ArchiveIndexDeathTest, SymbolNameMissingFromStringTableIsFatal) {
  ScratchDir dir;
  auto member = objectDefining("a.o", {"a_long_symbol_name"}).coff();
  // Point the name at an offset the string table does not have.
  member->cSymTbl[0]._n_name.setOffset(9999);
  Archive archive;
  archive.cName = dir.file("fatal.lib");
  archive.cMembers.push_back(std::move(member));
  EXPECT_EXIT(archive.makeSymbols(), testing::ExitedWithCode(255),
              "Error - Unable to find symbol name in string table.");
}
