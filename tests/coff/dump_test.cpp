// The developer's dump of an object: every block under its label, each
// symbol table slot printed by its kind.
#include <gtest/gtest.h>

#include <sstream>

#include "coff_test_support.h"
#include "object_builder.h"

using qortest::ObjectBuilder;

namespace {

std::string dumpOf(const Coff& coff) {
  std::ostringstream out;
  coff.dump(out);
  return out.str();
}

TEST(CoffDump, SmallObjectExactly) {
  // Calendar text is local time; the tests run with TZ=UTC.
  auto coff = ObjectBuilder("d.o")
                  .processor(0x1234, 14, 8)
                  .code(".code")
                  .at(0x10)
                  .bytes({0xAB, 0xCD})
                  .reloc(0, 1, -1, 4)
                  .line(0, 7, 0x10, 2)
                  .fileSymbol("main_file.asm")
                  .symbol("long_function", 0x10, 1, C_EXT, DT_FCN << 4)
                  .aux(AuxFcn{0, 2, 0, 3})
                  .coff();
  const std::string expected =
      "CoffFile: d.o\n"
      "File Header: \n"
      "  f_magic=0x1234\n"
      "  f_nscns=1\n"
      "  f_timdat=0 (Thu Jan  1 00:00:00 1970)\n"
      "  f_symptr=0x0000006a\n"
      "  f_nsyms=4\n"
      "  f_opthdr=16\n"
      "  f_flags=0x0000\n"
      "Optional Header: \n"
      "  magic=0x0000\n"
      "  vstamp=0x0000\n"
      "  proc_type=0x00001234\n"
      "  rom_width_bits=14\n"
      "  ram_width_bits=8\n"
      "Section Header: \n"
      "  _s_name=.code\n"
      "  s_paddr=0x00000010\n"
      "  s_vaddr=0x00000000\n"
      "  s_size=2\n"
      "  s_scnptr=0x0000004c\n"
      "  s_relptr=0x0000004e\n"
      "  s_lnnoptr=0x0000005a\n"
      "  s_nreloc=1\n"
      "  s_nlnno=1\n"
      "  s_flags=0x00000020\n"
      "Line Number: l_srcndx=0, l_lnno=7, l_paddr=0x00000010, l_flags=0x0001, l_fcnndx=2\n"
      "Relocation: r_vaddr=0x00000000, r_symndx=1, r_offset=-1, r_type=4\n"
      "Raw Data: .code\n"
      "abcd\n"
      "Symbol Table: \n"
      "Index[0]= Symbol: _n_name=.file, n_value=0x00000000, n_scnum=-2, n_type=0x0000, "
      "n_sclass=103, n_numaux=1\n"
      "Index[1]= Aux File: x_offset=4, x_incline=0\n"
      "Index[2]= Symbol: _n_offset=18, n_value=0x00000010, n_scnum=1, n_type=0x0020, "
      "n_sclass=2, n_numaux=1\n"
      "Index[3]= Aux Fcn: x_tagndx=0 (unused?), x_size=2 (unused?), x_lnnoptr=0x0000005a, "
      "x_edndx=3\n"
      "String Table: \n"
      "Offset[4]= main_file.asm\n"
      "Offset[18]= long_function\n";
  EXPECT_EQ(dumpOf(*coff), expected);
}

TEST(CoffDump, EveryAuxKindHasItsLabel) {
  SymbolEntry slot;
  AuxArr{1, 2, 3, {4, 5, 6, 7}}.storeInto(slot);
  const std::pair<int, const char*> kinds[] = {
      {AUX_FILE, "Aux File: x_offset="}, {AUX_SCN, "Aux Scn: x_scnlen="},
      {AUX_TAG, "Aux Tag: x_size="},     {AUX_EOS, "Aux Eos: x_tagndx="},
      {AUX_FCN, "Aux Fcn: x_tagndx="},   {AUX_EOBF, "Aux Eobf: x_lnno="},
      {AUX_BOBF, "Aux Bobf: x_lnno="},   {AUX_VAR, "Aux Var: x_tagndx="}};
  for (const auto& [kind, label] : kinds) {
    std::ostringstream out;
    Coff::dumpSymbol(out, slot, kind);
    EXPECT_EQ(out.str().rfind(label, 0), 0u) << kind;
  }
  std::ostringstream out;
  Coff::dumpSymbol(out, slot, AUX_ARR);
  EXPECT_EQ(out.str(),
            "Aux Arr: x_tagndx=1 (unused?), x_lnno=2 (unused?), x_size=3, x_dimen[0]=4, "
            "x_dimen[1]=5, x_dimen[2]=6, x_dimen[3]=7\n");
}

TEST(CoffDump, OlderLineRecord) {
  std::ostringstream out;
  Coff::dumpGnuLineno(out, GnuLineno{0x30, 7});
  Coff::dumpGnuLineno(out, GnuLineno{3, 0});
  EXPECT_EQ(out.str(),
            "Gnu Line Number: l_paddr=0x00000030, l_lnno=7\n"
            "Gnu Line Number: l_symndx=3, l_lnno=0\n");
}

}  // namespace
