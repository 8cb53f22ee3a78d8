// The map file's text: the section table, the usage blocks and the two
// symbol tables of one output, read back whole; the header's time; the
// codes' texts; the trace.
#include <gtest/gtest.h>

#include <ctime>
#include <regex>

#include "captured_output.h"
#include "debug_switches.h"
#include "map_file_fixture.h"
#include "map_file_parts.h"

namespace {

using maptest::mapOf;
using maptest::outputOf;

// A 14-bit core (two bytes a word) with program sections out of address
// order, one of them empty, data sections of both data types, and symbols
// of every listed class inside nested source files; absolute, undefined
// and member symbols are not listed. (Kept one section a line, as the map
// text below is kept one line of the map a line.)
// clang-format off
std::unique_ptr<Coff> richOutput() {
  return outputOf(CORE_VESK)
      .code("main_code").at(0x20).bytes({1, 2, 3, 4, 5, 6})                  // 1
      .code("vectors").at(0x0).absolute().bytes({1, 2, 3, 4})                // 2
      .udata("vars", 5).at(0x20)                                             // 3
      .romdata("tables").at(0x23).bytes({1, 2, 3})                           // 4
      .udata("shared_vars", 2).at(0x70).shared()                             // 5
      .idata("init_values").at(0x10).access().bytes({1, 2})                  // 6
      .code("empty").at(0x40)                                                // 7
      .code("a_very_long_section_name_beyond_25").at(0x100).bytes({1, 2})    // 8
      .global("early", 0x21, 1)
      .fileSymbol("main.asm")
      .symbol("main", 0x20, 1, C_EXT, DT_FCN << 4).aux(AuxFcn{})
      .symbol("counter", 0x20, 3, C_STAT)
      .fileSymbol("defs.inc")
      .symbol("LOOP", 0x22, 1, C_LABEL)
      .global("flags", 0x10, 6)
      .symbol(".eof", 0, N_DEBUG, 0)
      .symbol("reset", 0x0, 2, C_STAT)
      .symbol("absolute_sym", 0x5, N_ABS, C_EXT)
      .externRef("undefined")
      .symbol("member", 0x2, 1, 8)
      .global("symbol_longer_than_25_chars", 0x100, 8)
      .symbol(".eof", 0, N_DEBUG, 0)
      .symbol(".eof", 0, N_DEBUG, 0)  // no file left open: closes nothing
      .global("after", 0x23, 4)
      .symbol("shared_flag", 0x70, 5, C_STAT)
      .global("zero_eq", 0x20, 3)
      .global("alias_main", 0x20, 1)
      .coff();
}

TEST(MapFile, WritesTheWholeMapOfAnOutput) {
  const std::string expected =
      "QORLAN v2.10.01, Linker\n"
      "Linker Map File - Created <time>\n"
      "\n"
      "                                 Section Info\n"
      "                  Section       Type    Address   Location Size(Bytes)\n"
      "                ---------  ---------  ---------  ---------  ---------\n"
      "                  vectors       code   0x000000    program   0x000004\n"
      "                main_code       code   0x000020    program   0x000006\n"
      "                   tables    romdata   0x000023    program   0x000003\n"
      "                    empty       code   0x000040    program   0x000000\n"
      "a_very_long_section_name_beyond_25       code   0x000100    program   0x000002\n"
      "              init_values      idata   0x000010       data   0x000002\n"
      "                     vars      udata   0x000020       data   0x000005\n"
      "              shared_vars      udata   0x000070       data   0x000002\n"
      "\n"
      "\n"
      "\n"
      "                              Program Memory Usage \n"
      "                               Start         End      \n"
      "                           ---------   ---------      \n"
      "                            0x000000    0x000001      \n"
      "                            0x000020    0x000024      \n"
      "                            0x000100    0x000100      \n"
      "            8 out of 64 program addresses used, program memory utilization is 12%\n"
      "\n"
      "\n"
      "\n"
      "                              Symbols - Sorted by Name\n"
      "                     Name    Address   Location    Storage File                     \n"
      "                ---------  ---------  ---------  --------- ---------                \n"
      "                     LOOP   0x000022    program     static defs.inc                 \n"
      "                    after   0x000023    program     extern                          \n"
      "               alias_main   0x000020    program     extern                          \n"
      "                    early   0x000021    program     extern                          \n"
      "                     main   0x000020    program     extern main.asm                 \n"
      "                    reset   0x000000    program     static main.asm                 \n"
      "symbol_longer_than_25_chars   0x000100    program     extern main.asm                 \n"
      "                  counter   0x000020       data     static main.asm                 \n"
      "                    flags   0x000010       data     extern defs.inc                 \n"
      "              shared_flag   0x000070       data     static                          \n"
      "                  zero_eq   0x000020       data     extern                          \n"
      "\n"
      "\n"
      "\n"
      "                              Symbols - Sorted by Address\n"
      "                     Name    Address   Location    Storage File                     \n"
      "                ---------  ---------  ---------  --------- ---------                \n"
      "                    reset   0x000000    program     static main.asm                 \n"
      "               alias_main   0x000020    program     extern                          \n"
      "                     main   0x000020    program     extern main.asm                 \n"
      "                    early   0x000021    program     extern                          \n"
      "                     LOOP   0x000022    program     static defs.inc                 \n"
      "                    after   0x000023    program     extern                          \n"
      "symbol_longer_than_25_chars   0x000100    program     extern main.asm                 \n"
      "                    flags   0x000010       data     extern defs.inc                 \n"
      "                  counter   0x000020       data     static main.asm                 \n"
      "                  zero_eq   0x000020       data     extern                          \n"
      "              shared_flag   0x000070       data     static                          \n"
      "\n"
      "\n";
  EXPECT_EQ(mapOf(*richOutput(), 64), expected);
}
// clang-format on

TEST(MapFile, HeaderCarriesTheTimeOfTheRunAsCtimePrintsIt) {
  qortest::ScratchDir dir;
  const std::string path = dir.file("prog.map");
  const std::time_t before = std::time(nullptr);
  ASSERT_EQ(MapFile().write(path, *outputOf(CORE_MIREL).coff(), 0), 1);
  const std::string text = qortest::readFile(path);
  const std::regex header(
      "QORLAN v2\\.10\\.01, Linker\nLinker Map File - Created "
      "([A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4})\n\n");
  std::smatch match;
  ASSERT_TRUE(std::regex_search(text, match, header, std::regex_constants::match_continuous))
      << text;
  // The run took at most a few seconds: the stamp is one of them.
  bool found = false;
  for (std::time_t t = before; t <= std::time(nullptr) && !found; ++t) {
    found = std::string(std::ctime(&t)) == match[1].str() + "\n";
  }
  EXPECT_TRUE(found) << match[1];
}

// The reader marks the slot after a symbol whose aux count and aux kind
// disagree as a symbol of its own; the map lists it rather than skipping it.
TEST(MapFile, AuxSlotsAreTheOnesTheObjectMarks) {
  SymbolEntry second;
  Coff::setName(second, {}, "second");
  second.n_value = 0x4;
  second.n_scnum = 1;
  second.n_sclass = C_EXT;
  const auto output = outputOf(CORE_VESK)
                          .code(".code")
                          .at(0)
                          .bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10})
                          .global("first", 0x2, 1)
                          .auxSlot(second)
                          .coff();
  ASSERT_EQ(output->cSymTbl[0].n_numaux, 1);
  const std::string map = mapOf(*output, 0x100);
  EXPECT_NE(map.find("    first   0x000002    program     extern"), std::string::npos) << map;
  EXPECT_NE(map.find("   second   0x000004    program     extern"), std::string::npos) << map;
}

TEST(MapFile, CodesHaveTheirTextsAndOtherCodesNone) {
  struct Case {
    const char* (*text)(uint8_t);
    std::vector<std::string> texts;  // for the codes 0, 1, ...; the next has none
  };
  const Case cases[] = {
      {sectionTypeText, {"unknown", "code", "idata", "udata", "romdata"}},
      {locationText, {"program", "data"}},
      {storageText, {"extern", "static"}},
      {symbolKindText, {"function", "variable"}},
  };
  for (const Case& c : cases) {
    for (size_t code = 0; code < c.texts.size(); ++code) {
      EXPECT_EQ(c.text(static_cast<uint8_t>(code)), c.texts[code]);
    }
    EXPECT_STREQ(c.text(static_cast<uint8_t>(c.texts.size())), "");
    EXPECT_STREQ(c.text(255), "");
  }
}

// Under the trace switch the sorted rows are dumped, sections first and
// symbols in name order, program rows before data rows.
TEST(MapFile, TraceDumpsTheSortedRows) {
  const auto output = outputOf(CORE_VESK)
                          .udata("ram", 2)
                          .at(0x30)
                          .code("rom")
                          .at(0x10)
                          .bytes({1, 2})
                          .global("zed", 0x30, 1)
                          .global("abc", 0x10, 2)
                          .coff();
  qortest::CapturedOutput captured;
  setSwitch("MapFile::write", 1);
  const std::string map = mapOf(*output, 0x100);
  setSwitch("MapFile::write", 0);
  const std::string out = captured.output();
  const size_t rom = out.find("SectionInfo:\ncName=rom\n");
  const size_t ram = out.find("SectionInfo:\ncName=ram\n");
  const size_t abc = out.find("SymbolInfo: \ncName=abc\n");
  const size_t zed = out.find("SymbolInfo: \ncName=zed\n");
  EXPECT_LT(rom, ram) << out;
  EXPECT_LT(ram, abc) << out;
  EXPECT_LT(abc, zed) << out;
  EXPECT_NE(zed, std::string::npos) << out;
  EXPECT_NE(map.find("Symbols - Sorted by Address"), std::string::npos);
}

}  // namespace
