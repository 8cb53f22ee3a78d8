// Symbols and line entries moved by the start of their input's part of each
// section.
#include <gtest/gtest.h>

#include <string>

#include "captured_output.h"
#include "debug_switches.h"
#include "symbols_fixture.h"

namespace {

using qortest::ObjectBuilder;
using symbols_test::primarySlot;
using symbols_test::SymbolLink;

// Two inputs that both contribute to ".text" (code, 16-bit words) and ".data"
// (udata): a.o's parts come first. Placed: ".text" at 0x100 (a.o 0x100-0x101,
// b.o from 0x102), ".data" at 0x30 (a.o 0x30-0x37, b.o from 0x38), ".idata"
// at 0x80 and ".rom" at 0x200.
class RelocateTest : public testing::Test {
 protected:
  void SetUp() override {
    // clang-format off
    link.add(ObjectBuilder("a.o")
        .code(".text").bytes({1, 2, 3, 4}).line(0, 10, 0x0).line(0, 11, 0x1)
        .udata(".data", 8)
        .idata(".idata").at(0x5).bytes({5, 6}).line(0, 12, 0x5)
        .romdata(".rom").at(0x6).bytes({7, 8}).line(0, 13, 0x6)
        .global("a_start", 1, 1).symbol("a_var", 2, 2, C_STAT).symbol("a_abs", 5, N_ABS, C_EXT)
        .symbol("a_tag", 3, 1, C_STRTAG).symbol("a_ro", 7, 4, C_STAT)
        // An aux count of 1 on a symbol that has no aux kind: the slot after
        // it is a symbol of its own.
        .global("lead", 3, 1).auxSlot(primarySlot("hidden", 4, 1, C_LABEL))
        .fileSymbol("a.asm"));
    link.add(ObjectBuilder("b.o")
        .udata(".data", 4).at(0x40).line(0, 22, 0x40)
        .code(".text").at(0x20).bytes({1, 2, 3, 4, 5, 6}).line(0, 20, 0x20).line(0, 21, 0x23)
        .symbol("b_var", 0x42, 1, C_FCN).symbol("b_code", 0x21, 2, C_LABEL)
        .symbol("b_block", 0x22, 2, C_BLOCK).externRef("b_ref")
        .symbol("b_debug", 9, N_DEBUG, C_STAT));
    // clang-format on
    // a.o's ".file" claims two aux entries; its one aux entry holds bytes
    // that would read as a relocatable symbol of section 1 with value 7.
    Coff& a = link.input(0);
    const size_t fileAux = a.cSymTbl.size() - 1;
    a.cSymTbl[fileAux - 1].n_numaux = 2;
    a.cSymTbl[fileAux].n_scnum = 1;
    a.cSymTbl[fileAux].n_sclass = C_EXT;
    a.cSymTbl[fileAux].n_value = 7;
    link.place(".text", link.code(), 0x100);
    link.place(".data", link.data(), 0x30);
    link.place(".idata", link.data(), 0x80);
    link.place(".rom", link.code(), 0x200);
  }

  SymbolLink link;
  std::string error;
};

TEST_F(RelocateTest, SymbolsMoveByTheStartOfTheirInputsPart) {
  ASSERT_EQ(link.linker.relocateSymbols(error), 1);
  struct Case {
    const char* why;
    size_t input;
    const char* name;
    uint32_t value;
  };
  const Case cases[] = {
      {"external of the first part", 0, "a_start", 0x101},
      {"static in data memory", 0, "a_var", 0x32},
      {"romdata section", 0, "a_ro", 0x201},
      {"absolute", 0, "a_abs", 5},
      {"tag class is not relocatable", 0, "a_tag", 3},
      {"aux count without aux kind", 0, "lead", 0x103},
      {"symbol in the slot after it", 0, "hidden", 0x104},
      {"second part, moved down (delta wraps)", 1, "b_var", 0x3A},
      {"label of section 2, second part", 1, "b_code", 0x103},
      {"block of section 2, second part", 1, "b_block", 0x104},
      {"external reference", 1, "b_ref", 0},
      {"debug section", 1, "b_debug", 9},
  };
  for (const Case& c : cases) EXPECT_EQ(link.symbol(c.input, c.name).n_value, c.value) << c.why;
  // An aux entry is never taken for a symbol, whatever its primary's count.
  EXPECT_EQ(link.input(0).cSymTbl.back().n_value, 7u);
}

TEST_F(RelocateTest, LineEntriesMoveOnlyInCode) {
  ASSERT_EQ(link.linker.relocateLineInfo(error), 1);
  struct Case {
    size_t input;
    const char* section;
    std::vector<uint32_t> addresses;
  };
  const Case cases[] = {
      {0, ".text", {0x100, 0x101}}, {0, ".idata", {0x5}}, {0, ".rom", {0x6}},
      {1, ".text", {0x102, 0x105}}, {1, ".data", {0x40}},
  };
  for (const Case& c : cases) {
    std::vector<uint32_t> addresses;
    for (const coff_lineno& line : link.input(c.input).cScnLineno.at(c.section))
      addresses.push_back(line.l_paddr);
    EXPECT_EQ(addresses, c.addresses) << c.input << " " << c.section;
  }
}

TEST_F(RelocateTest, TracesEachMovedSymbol) {
  qortest::CapturedOutput captured;
  setSwitch("Linker::relocateSymbols", 1);
  link.linker.relocateSymbols(error);
  setSwitch("Linker::relocateSymbols", 0);
  EXPECT_NE(captured.output().find("Linker::relocateSymbols() - symbol 'b_code' in section "
                                   "'.text'  from 0x00000021 to 0x00000103\n"),
            std::string::npos)
      << captured.output();
}

}  // namespace
