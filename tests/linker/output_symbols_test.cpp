// The output's symbols and line numbers: the inputs' tables one after
// another with section numbers and symbol indexes moved, the strip option,
// and the file and optional headers.
#include <gtest/gtest.h>

#include "output_fixture.h"

using outputtest::LinkState;
using qortest::ObjectBuilder;

namespace {

// a.o: 5 entries (a .file with its aux, a function with its aux, a label);
// b.o: a symbol of its own section and lines in a code and an idata section.
void twoInputs(LinkState& state) {
  Memory& page = state.codePage("page", 0, 0x3FF);
  Memory& bank = state.dataBank("bank", 0x20, 0x7F);
  state.input(ObjectBuilder("a.o")
                  .code(".one")
                  .bytes({1, 2})
                  .line(1, 10, 0x10, 2)
                  .fileSymbol("a.asm")
                  .symbol("main", 0x10, 1, C_EXT, DT_FCN << 4)
                  .aux(AuxFcn{0, 0, 0, 4})
                  .symbol("lbl", 0x11, 1, C_LABEL));
  state.input(ObjectBuilder("b.o")
                  .idata(".dat")
                  .bytes({7})
                  .line(0, 3, 0x20)
                  .code(".two")
                  .bytes({3, 4})
                  .line(0, 20, 0x20, 0)
                  .line(0, 21, 0x21)
                  .symbol("f", 0x20, 2, C_EXT, DT_FCN << 4)
                  .aux(AuxFcn{}));
  state.place(".one", page, 0x10);
  state.place(".dat", bank, 0x20);
  state.placeOwn(".dat_i", page, 0x30, 2);
  state.place(".two", page, 0x20);
  state.placeOwn(".cinit", page, 0x40, 2);
}

struct StripCase {
  int strip;
  uint16_t flags;
  size_t symbols;
  size_t oneLines, twoLines;
};

class Strip : public testing::TestWithParam<StripCase> {};

TEST_P(Strip, SymbolsLinesAndFlags) {
  const StripCase& row = GetParam();
  LinkState state(CORE_OSTRA);
  twoInputs(state);
  state.linker.cStrip = row.strip;
  ASSERT_EQ(state.build(), 1);
  const Coff& out = state.linker.cOutput;
  EXPECT_EQ(out.cFileHdr.f_flags, row.flags);
  EXPECT_EQ(out.cSymTbl.size(), row.symbols);
  EXPECT_EQ(out.cFileHdr.f_nsyms, row.symbols);
  EXPECT_EQ(out.cScnLineno.count(".one") ? out.cScnLineno.at(".one").size() : 0, row.oneLines);
  EXPECT_EQ(out.cScnLineno.count(".two") ? out.cScnLineno.at(".two").size() : 0, row.twoLines);
  EXPECT_EQ(out.cScnLineno.count(".dat"), 0u);  // data lines stay behind
  if (row.strip) {
    EXPECT_TRUE(state.linker.cSymBase.empty());
    return;
  }
  EXPECT_EQ(state.linker.cSymBase, (std::map<std::string, int>{{"0:a.o", 0}, {"1:b.o", 5}}));
  // b.o's function (its section 2, ".two") now names output section 4.
  EXPECT_EQ(out.cSymTbl[5].n_scnum, 4);
  EXPECT_EQ(out.cSymTbl[2].n_scnum, 1);
  EXPECT_EQ(out.cAuxType, (std::vector<int>{0, AUX_FILE, 0, AUX_FCN, 0, 0, AUX_FCN}));
  // Lines keep their addresses; their indexes move by b.o's base; only an
  // entry that names a function points x_lnnoptr at itself.
  const coff_lineno& first = out.cScnLineno.at(".two").front();
  EXPECT_EQ(first.l_srcndx, 5u);
  EXPECT_EQ(first.l_fcnndx, 5u);
  EXPECT_EQ(first.l_paddr, 0x20u);
  EXPECT_EQ(out.cScnLineno.at(".two").back().l_fcnndx, 5u);
  EXPECT_EQ(AuxFcn::from(out.cSymTbl[6]).x_lnnoptr, state.header(".two").s_lnnoptr);
}

INSTANTIATE_TEST_SUITE_P(Option, Strip,
                         testing::Values(StripCase{0, F_EXEC, 7, 1, 2},
                                         StripCase{1, F_EXEC | F_LNNO | F_DEBUG, 0, 0, 0}));

TEST(OutputHeader, FromTheFirstInputAndTheProcessor) {
  LinkState state(CORE_MIREL);
  twoInputs(state);
  state.linker.cCoff[0]->cOptHdr.magic = 0x5678;
  state.linker.cCoff[0]->cOptHdr.vstamp = 3;
  state.linker.cCoff[1]->cOptHdr.magic = 0x9999;
  ASSERT_EQ(state.build(), 1);
  const Coff& out = state.linker.cOutput;
  EXPECT_EQ(out.cName, "out.o");
  EXPECT_EQ(out.cFileHdr.f_magic, COFF_MAGIC);
  EXPECT_EQ(out.cFileHdr.f_opthdr, OptionalHeader::SIZE);
  EXPECT_EQ(out.cOptHdr.magic, 0x5678);
  EXPECT_EQ(out.cOptHdr.vstamp, 3);
  EXPECT_EQ(out.cOptHdr.proc_type, procCoffType(state.linker.cProcessor));
  EXPECT_EQ(out.cOptHdr.rom_width_bits, 16u);
  EXPECT_EQ(out.cOptHdr.ram_width_bits, 8u);
}

// An aux entry of each kind in the second input, whose first input had 40
// entries: the symbol indexes of its kind move by 40, nothing else does.
struct AuxCase {
  const char* name;
  const char* symbol;
  uint8_t storageClass;
  uint16_t type;
  int kind;
  uint32_t tagndx, endndx;  // expected, from 2 and 2
};

class AuxShift : public testing::TestWithParam<AuxCase> {};

TEST_P(AuxShift, ByTheFirstFilesEntryCount) {
  const AuxCase& row = GetParam();
  LinkState state(CORE_OSTRA);
  Memory& page = state.codePage("page", 0, 0x3FF);
  ObjectBuilder first("a.o");
  first.code(".one").bytes({1, 2});
  for (int i = 0; i < 40; ++i) first.symbol("s" + std::to_string(i), 0, N_ABS, C_STAT);
  state.input(first);
  // Slot bytes 0-3 hold x_tagndx and 12-15 x_endndx in every kind that
  // has them; other kinds carry the same bytes unchanged.
  AuxFcn slot{2, 0, 0, 2};
  state.input(ObjectBuilder("b.o")
                  .code(".two")
                  .bytes({3, 4})
                  .symbol(row.symbol, 0, 1, row.storageClass, row.type)
                  .aux(slot)
                  .symbol("end", 0, 1, C_LABEL));
  state.place(".one", page, 0);
  state.place(".two", page, 0x10);
  state.placeOwn(".cinit", page, 0x20, 2);
  ASSERT_EQ(state.build(), 1);
  const Coff& out = state.linker.cOutput;
  ASSERT_EQ(out.cSymTbl.size(), 43u);
  EXPECT_EQ(out.cAuxType[41], row.kind);
  EXPECT_EQ(out.cSymTbl[40].n_scnum, 2);
  const AuxFcn moved = AuxFcn::from(out.cSymTbl[41]);
  EXPECT_EQ(moved.x_tagndx, row.tagndx);
  EXPECT_EQ(moved.x_endndx, row.endndx);
}

INSTANTIATE_TEST_SUITE_P(Kinds, AuxShift,
                         testing::Values(AuxCase{"Tag", "tag", C_STRTAG, 0, AUX_TAG, 2, 42},
                                         AuxCase{"Eos", ".eos", C_EOS, 0, AUX_EOS, 42, 2},
                                         AuxCase{"Fcn", "f", C_EXT, DT_FCN << 4, AUX_FCN, 42, 42},
                                         AuxCase{"Arr", "a", C_EXT, DT_ARY << 4, AUX_ARR, 42, 2},
                                         AuxCase{"Bobf", ".bf", C_FCN, 0, AUX_BOBF, 2, 42},
                                         AuxCase{"Var", "v", C_EXT, T_STRUCT, AUX_VAR, 42, 2},
                                         AuxCase{"Eobf", ".ef", C_FCN, 0, AUX_EOBF, 2, 2},
                                         AuxCase{"Scn", ".two", C_STAT, 0, AUX_SCN, 2, 2}),
                         [](const testing::TestParamInfo<AuxCase>& info) {
                           return info.param.name;
                         });

}  // namespace
