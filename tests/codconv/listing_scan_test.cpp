// The symbol table walks that steer the listing.
#include <gtest/gtest.h>

#include <random>
#include <string>

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
    endOfFile(builder);                                                            // 6
    endOfFile(builder);                                                            // 7
    builder.symbol(".nolist", 7, N_DEBUG, C_STAT);                                 // 8
    builder.fileSymbol("c.inc", 6);                                                // 9
    builder.symbol(".list", 9, N_DEBUG, C_STAT);                                   // 11
    endOfFile(builder);                                                            // 12
    builder.symbol(".list", 8, N_DEBUG, C_STAT);                                   // 13
    endOfFile(builder);                                                            // 14
    builder.fileSymbol("last.asm");                                                // 15
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

namespace codtest {
namespace {

// The walks entry by entry, as the listing once made them for every line:
// the answers the index must give.
std::string nameAt(const Coff& coff, std::size_t index) {
  return coff.cAuxType[index] != AUX_NONE ? "" : Coff::getName(coff.cSymTbl[index], coff.cStrTbl);
}

int walkForInclude(const Coff& coff, std::size_t start, uint32_t line) {
  const std::size_t limit = coff.cSymTbl.size() - 1;
  int depth = 0;
  for (std::size_t index = start; index < limit; ++index) {
    const std::string name = nameAt(coff, index);
    if (name == ".eof") {
      if (depth == 0) return 0;
      depth -= 1;
    } else if (name == ".file") {
      if (depth == 0 && coff.cAuxType[index + 1] == AUX_FILE) {
        const uint32_t includeLine = AuxFile::from(coff.cSymTbl[index + 1]).x_incline;
        if (includeLine == line || (includeLine == 0 && index == start)) return 1;
      }
      depth += 1;
    }
  }
  return 0;
}

int walkForListing(const Coff& coff, std::size_t start, uint32_t line, int listing) {
  for (std::size_t index = start; index + 1 < coff.cSymTbl.size(); ++index) {
    const std::string name = nameAt(coff, index);
    if (name == ".eof" || name == ".file") return listing;
    if ((name == ".list" || name == ".nolist") && coff.cSymTbl[index].n_value == line) {
      return name == ".list" ? 1 : 0;
    }
  }
  return listing;
}

// Random tables of nested files (some without their aux entry, some never
// closed, some closed too often), switches and other symbols, asked about
// every start and line.
TEST(ListingScanIndex, AnswersAsTheWalksDoOnRandomTables) {
  std::mt19937 random(20261209);
  for (int table = 0; table < 150; ++table) {
    ObjectBuilder builder = objectFor(kWordDevice, "random.o");
    const int entries = 1 + static_cast<int>(random() % 40);
    for (int entry = 0; entry < entries; ++entry) {
      const uint32_t value = random() % 5;
      switch (random() % 7) {
        case 0:
        case 1: builder.fileSymbol("f" + std::to_string(entry) + ".inc", value); break;
        case 2: builder.symbol(".file", 0, N_DEBUG, C_FILE); break;
        case 3:
        case 4: endOfFile(builder); break;
        case 5: builder.symbol(random() % 2 ? ".list" : ".nolist", value, N_DEBUG, C_STAT); break;
        default: builder.symbol("label", value, 1, C_LABEL); break;
      }
    }
    const std::unique_ptr<Coff> coff = builder.coff();
    Coff2Cod cod;
    for (std::size_t start = 0; start <= coff->cSymTbl.size(); ++start) {
      for (uint32_t line = 0; line < 6; ++line) {
        ASSERT_EQ(cod.hasInclude(*coff, start, line), walkForInclude(*coff, start, line))
            << "table " << table << " start " << start << " line " << line;
        for (int listing : {0, 1}) {
          cod.cListing = listing;
          cod.updateListState(*coff, start, line);
          ASSERT_EQ(cod.cListing, walkForListing(*coff, start, line, listing))
              << "table " << table << " start " << start << " line " << line;
        }
      }
    }
  }
}

}  // namespace
}  // namespace codtest
