// One string table for the link: each string once, ascending from offset 4,
// and every section, symbol and file name of the inputs renumbered into it.
#include <gtest/gtest.h>

#include <string>

#include "symbols_fixture.h"

namespace {

using qortest::ObjectBuilder;
using symbols_test::SymbolLink;

class MergeStringsTest : public testing::Test {
 protected:
  void SetUp() override {
    link.add(ObjectBuilder("a.o")
                 .code(".text_long_name")
                 .global("common_long_name", 0, 1)     // slot 0
                 .global("zebra_long_name", 0, 1)      // slot 1
                 .fileSymbol("a_source.asm")           // slots 2, 3
                 .symbol(".file", 0, N_DEBUG, C_FILE)  // slot 4: no aux entry
                 .global("after_file_sym", 0, 1));     // slot 5
    link.add(ObjectBuilder("b.o")
                 .code(".text_long_name")
                 .externRef("common_long_name")    // slot 0
                 .global("alpha_long_name", 0, 1)  // slot 1
                 .fileSymbol("b_source.asm")       // slots 2, 3
                 .string("unused_string"));
    // Its aux count says two; the object holds one aux entry.
    link.input(1).cSymTbl[2].n_numaux = 2;
    link.linker.mergeStringTbls(error);
  }

  SymbolLink link;
  std::string error;
};

TEST_F(MergeStringsTest, OutputTableHoldsEachStringOnceInAscendingOrder) {
  const StringTable expected = {
      {4, ".text_long_name"},  {20, "a_source.asm"},     {33, "after_file_sym"},
      {48, "alpha_long_name"}, {64, "b_source.asm"},     {77, "common_long_name"},
      {94, "unused_string"},   {108, "zebra_long_name"},
  };
  EXPECT_EQ(link.linker.cOutput.cStrTbl, expected);
}

TEST_F(MergeStringsTest, NamesAreRenumberedIntoTheMergedTable) {
  enum Kind { SECTION, SYMBOL, FILE_AUX };
  struct Case {
    size_t input;
    Kind kind;
    size_t slot;  // symbol table slot; unused for the section
    uint32_t offset;
    const char* name;
  };
  const Case cases[] = {
      {0, SECTION, 0, 4, ".text_long_name"},
      {0, SYMBOL, 0, 77, "common_long_name"},
      {0, SYMBOL, 1, 108, "zebra_long_name"},
      {0, FILE_AUX, 3, 20, "a_source.asm"},
      // The symbol after a ".file" without aux keeps its name field.
      {0, SYMBOL, 5, 33, "after_file_sym"},
      {1, SECTION, 0, 4, ".text_long_name"},
      {1, SYMBOL, 0, 77, "common_long_name"},
      {1, SYMBOL, 1, 48, "alpha_long_name"},
      {1, FILE_AUX, 3, 64, "b_source.asm"},
  };
  const StringTable& merged = link.linker.cOutput.cStrTbl;
  for (const Case& c : cases) {
    const Coff& file = link.input(c.input);
    const std::string where = file.cName + " slot " + std::to_string(c.slot);
    if (c.kind == SECTION) {
      const SectionHeader& header = file.cScnHdr.at(".text_long_name");
      EXPECT_EQ(header._s_offset(), c.offset) << where;
      EXPECT_EQ(Coff::getName(header, merged), c.name) << where;
    } else if (c.kind == SYMBOL) {
      EXPECT_EQ(file.cSymTbl[c.slot]._n_offset(), c.offset) << where;
      EXPECT_EQ(Coff::getName(file.cSymTbl[c.slot], merged), c.name) << where;
    } else {
      const AuxFile aux = AuxFile::from(file.cSymTbl[c.slot]);
      EXPECT_EQ(aux.x_offset, c.offset) << where;
      EXPECT_EQ(Coff::getName(aux, merged), c.name) << where;
    }
  }
  EXPECT_EQ(Coff::getName(link.input(0).cSymTbl[4], merged), ".file");
}

// Each input keeps its own strings, under the offsets of the merged table.
TEST_F(MergeStringsTest, InputsHoldTheirOwnStringsAtMergedOffsets) {
  const StringTable expected[] = {
      {{4, ".text_long_name"},
       {20, "a_source.asm"},
       {33, "after_file_sym"},
       {77, "common_long_name"},
       {108, "zebra_long_name"}},
      {{4, ".text_long_name"},
       {48, "alpha_long_name"},
       {64, "b_source.asm"},
       {77, "common_long_name"},
       {94, "unused_string"}},
  };
  for (size_t input = 0; input < 2; ++input)
    EXPECT_EQ(link.input(input).cStrTbl, expected[input]) << input;
}

}  // namespace
