// The symbol table walks that steer the listing.
#include <gtest/gtest.h>

#include "codconv_fixture.h"
#include "coff2cod.h"

namespace codtest {
namespace {

using qortest::ObjectBuilder;

// main.asm (index 0) includes a.inc (2) at its line 4, which includes b.inc
// (4) at its line 1; main.asm then includes c.inc (9) at line 6. Listing
// switches of main.asm lie after a.inc's run and after c.inc's.
class ListingScan : public ::testing::Test {
 protected:
  void SetUp() override {
    ObjectBuilder builder = objectFor(kWordDevice, "scan.o");
    builder.code(".code").at(0).bytes({0, 0});
    builder.fileSymbol("main.asm").fileSymbol("a.inc", 4).fileSymbol("b.inc", 1);  // 0 2 4
    endOfFile(builder);                                                          // 6
    endOfFile(builder);                                                          // 7
    builder.symbol(".nolist", 7, N_DEBUG, C_STAT);                               // 8
    builder.fileSymbol("c.inc", 6);                                              // 9
    builder.symbol(".list", 9, N_DEBUG, C_STAT);                                 // 11
    endOfFile(builder);                                                          // 12
    builder.symbol(".list", 8, N_DEBUG, C_STAT);                                 // 13
    endOfFile(builder);                                                          // 14
    builder.fileSymbol("last.asm");                                              // 15
    coff = builder.coff();
  }

  std::unique_ptr<Coff> coff;
  Coff2Cod cod;
};

TEST_F(ListingScan, FileAndEofSearchesStopBeforeTheLastEntry) {
  std::size_t position = 1;
  EXPECT_EQ(cod.nextSourceFile(*coff, position), 1);
  EXPECT_EQ(position, 2u);
  EXPECT_EQ(cod.nextSourceFile(*coff, position), 1);
  EXPECT_EQ(position, 2u);
  EXPECT_EQ(cod.skipToEof(*coff, position), 1);
  EXPECT_EQ(position, 6u);
  position = 13;
  EXPECT_EQ(cod.nextSourceFile(*coff, position), 1);
  EXPECT_EQ(position, 15u);
  // The ".file" at 15 has its aux entry last; an ".eof" there is not found.
  position = 15;
  EXPECT_EQ(cod.skipToEof(*coff, position), 0);
  EXPECT_EQ(position, 16u);
}

TEST_F(ListingScan, IncludesOfNestedFilesAreNotTheIncludersOwn) {
  // Line 1 of main.asm: b.inc is included at line 1 of a.inc, not here.
  EXPECT_EQ(cod.hasInclude(*coff, 1, 1), 0);
  EXPECT_EQ(cod.hasInclude(*coff, 1, 4), 1);
  EXPECT_EQ(cod.hasInclude(*coff, 3, 1), 1);
  // After a.inc's run, c.inc at line 6; the search ends at main's ".eof".
  EXPECT_EQ(cod.hasInclude(*coff, 8, 6), 1);
  EXPECT_EQ(cod.hasInclude(*coff, 8, 4), 0);
  EXPECT_EQ(cod.hasInclude(*coff, 13, 6), 0);
}

TEST_F(ListingScan, FileWithoutIncludeLineMatchesAtTheStartOnly) {
  EXPECT_EQ(cod.hasInclude(*coff, 15, 123), 1);
  EXPECT_EQ(cod.hasInclude(*coff, 0, 77), 1);
  EXPECT_EQ(cod.hasInclude(*coff, 16, 123), 0);  // the scan limit
}

TEST_F(ListingScan, ListSwitchesApplyAtTheirLineUntilTheNextFile) {
  cod.updateListState(*coff, 8, 8);
  EXPECT_EQ(cod.cListing, 1);  // the scan ends at c.inc before ".list" 8
  cod.updateListState(*coff, 8, 7);
  EXPECT_EQ(cod.cListing, 0);
  cod.updateListState(*coff, 13, 8);
  EXPECT_EQ(cod.cListing, 1);
  cod.updateListState(*coff, 1, 7);  // stops at a.inc's ".file"
  EXPECT_EQ(cod.cListing, 1);
}

}  // namespace
}  // namespace codtest
