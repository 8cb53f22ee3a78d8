// The conversion steps on objects in memory: symbols, source names, windows,
// code blocks and memory map.
#include "coff2cod.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <sstream>

#include "codconv_fixture.h"
#include "debug_switches.h"
#include "diagnostics.h"
#include "mgproc.h"

namespace codtest {
namespace {

using qortest::ObjectBuilder;

class Coff2CodTest : public ::testing::Test {
 protected:
  void SetUp() override { resetDiagnostics(); }
  void TearDown() override { resetDiagnostics(); }

  // Converts without a listing; fails the test when the conversion fails.
  void convert(const ObjectBuilder& builder) {
    coff = builder.coff();
    ASSERT_TRUE(coff);
    ASSERT_EQ(cod.convert(*coff, 0, 1), &cod);
  }

  std::unique_ptr<Coff> coff;
  Coff2Cod cod;
};

TEST_F(Coff2CodTest, SymbolsAreCutInTheShortTableAndWholeInTheLongOne) {
  ObjectBuilder builder = objectFor(kWordDevice, "sym.o");
  builder.code(".code").at(0).bytes({0, 0});
  builder.romdata(".table").at(0x100).bytes({1, 2});
  builder.idata(".data").at(0x20).bytes({3});
  const std::string longName = "a_symbol_of_20_chars";
  const std::string veryLongName(300, 'v');
  builder.global(longName, 0x12345, 1);
  builder.symbol("tbl", 0x100, 2, C_STAT);
  builder.symbol("var", 0x20, 3, C_LABEL);
  builder.global(veryLongName, 7, 1);
  builder.externRef("ext");
  builder.symbol("abs", 1, N_ABS, C_EXT).symbol("dbg", 2, N_DEBUG, C_EXT);
  builder.symbol("fcn", 5, 1, C_FCN);
  convert(builder);

  const std::list<Symbol> expectedShort = {
      Symbol(longName.substr(0, 12), COD_SYMBOL_TYPE_ADDRESS, 0x2345),
      Symbol("tbl", COD_SYMBOL_TYPE_ADDRESS, 0x100), Symbol("var", COD_SYMBOL_TYPE_CONSTANT, 0x20),
      Symbol(veryLongName.substr(0, 12), COD_SYMBOL_TYPE_ADDRESS, 7)};
  EXPECT_EQ(cod.cSymbol, expectedShort);
  ASSERT_EQ(cod.cLongSymbol.size(), 4u);
  EXPECT_EQ(cod.cLongSymbol.front(), LongSymbol(longName, COD_SYMBOL_TYPE_ADDRESS, 0x12345));
  EXPECT_EQ(cod.cLongSymbol.back().Name, veryLongName.substr(0, 255));
  EXPECT_EQ(cod.cLongSymbol.back().NameLen, 255);
}

TEST_F(Coff2CodTest, AuxiliaryEntriesAreNeverTakenForSymbols) {
  ObjectBuilder builder = objectFor(kWordDevice, "aux.o");
  builder.code(".code").at(0).bytes({0, 0});
  // An auxiliary entry whose bytes read like a defined label.
  SymbolEntry lookalike;
  const char name[] = "bogus";
  std::copy(std::begin(name), std::end(name) - 1, lookalike._n_name.bytes);
  lookalike.n_scnum = 1;
  lookalike.n_sclass = C_LABEL;
  builder.symbol("func", 0, 1, C_EXT, DT_FCN << 4).auxSlot(lookalike);
  convert(builder);
  ASSERT_EQ(cod.cSymbol.size(), 1u);
  EXPECT_EQ(cod.cSymbol.front().name(), "func");
  EXPECT_EQ(cod.cLongSymbol.size(), 1u);
}

TEST_F(Coff2CodTest, SourceNamesNumberEveryFileSymbol) {
  const std::string longSource = std::string(70, 's') + ".asm";
  ObjectBuilder builder = objectFor(kWordDevice, "src.o");
  builder.code(".code").at(0).bytes({0, 0});
  builder.fileSymbol("a.asm").global("x", 0, 1).fileSymbol(longSource, 3).fileSymbol("a.asm");
  convert(builder);
  const std::list<SourceName> expected = {SourceName("a.asm"), SourceName(longSource.substr(0, 62)),
                                          SourceName("a.asm")};
  EXPECT_EQ(cod.cSourceName, expected);
  EXPECT_EQ(cod.cSourceName.back().FileNameLen, 5);
  const std::map<uint32_t, int> numbers = {{0, 0}, {3, 1}, {5, 2}};
  EXPECT_EQ(cod.cFileNum, numbers);
}

// A hand-made object may name a symbol with nothing (a first byte of 0 in a
// name kept inline) and a ".file" symbol without its auxiliary entry names no
// file. A long symbol record without a name would end its block on reading,
// and a source name record without a name would read as unused and move the
// names after it: such names are left out, and the file reads back whole.
TEST_F(Coff2CodTest, EmptyNamesAreLeftOutSoThatTheFileReadsBackWhole) {
  ObjectBuilder builder = objectFor(kWordDevice, "empty.o");
  builder.code(".code").at(0).bytes({0, 0});
  builder.fileSymbol("a.asm").symbol(".file", 0, N_DEBUG, C_FILE).fileSymbol("b.asm");
  builder.global("first_long_symbol", 1, 1).global("unnamed", 2, 1);
  builder.global("third_long_symbol", 3, 1).symbol("tbl", 4, 1, C_STAT);
  coff = builder.coff();
  for (SymbolEntry& entry : coff->cSymTbl) {
    if (Coff::getName(entry, coff->cStrTbl) != "unnamed") continue;
    entry._n_name = NameField();
    entry._n_name.bytes[1] = 'x';  // not all four first bytes 0: an inline name, and an empty one
  }
  ASSERT_EQ(cod.convert(*coff, 0, 1), &cod);

  const std::list<LongSymbol> longSymbols = {
      LongSymbol("first_long_symbol", COD_SYMBOL_TYPE_ADDRESS, 1),
      LongSymbol("third_long_symbol", COD_SYMBOL_TYPE_ADDRESS, 3),
      LongSymbol("tbl", COD_SYMBOL_TYPE_ADDRESS, 4)};
  EXPECT_EQ(cod.cLongSymbol, longSymbols);
  EXPECT_EQ(cod.cSymbol.size(), 3u);
  EXPECT_EQ(cod.cSourceName, (std::list<SourceName>{SourceName("a.asm"), SourceName("b.asm")}));
  const std::map<uint32_t, int> numbers = {{0, 0}, {3, 1}};
  EXPECT_EQ(cod.cFileNum, numbers);

  qortest::ScratchDir dir;
  cod.preWrite();
  ASSERT_EQ(cod.write(dir.file("empty.cod")), 1);
  const std::unique_ptr<Cod> read = Cod::make(dir.file("empty.cod"));
  ASSERT_TRUE(read);
  EXPECT_EQ(read->cLongSymbol, longSymbols);
  EXPECT_EQ(read->cSymbol, cod.cSymbol);
  EXPECT_EQ(read->cSourceName, cod.cSourceName);
}

TEST_F(Coff2CodTest, WordAddressesBecomeByteAddresses) {
  ObjectBuilder builder = objectFor(kWordDevice, "mem.o");
  builder.code("a").at(0x1000).bytes({1, 2, 3, 4});
  builder.romdata("b").at(0x80).bytes({5, 6, 7});  // 3 bytes at byte 0x100
  builder.code("c").at(0x82).bytes({8, 9});        // same 512-byte stretch as b
  builder.udata("d", 16).at(0x300);
  convert(builder);

  ASSERT_EQ(cod.cDirectory.size(), 1u);
  const std::list<MemoryMap> expectedMap = {MemoryMap(0x100, 0x103), MemoryMap(0x104, 0x105),
                                            MemoryMap(0x2000, 0x2003)};
  EXPECT_EQ(cod.cMemoryMap[0], expectedMap);
  ASSERT_EQ(cod.cCode[0].size(), 2u);
  const Block& shared = cod.cCode[0].at(0);
  EXPECT_EQ(shared.bytes[0x100], 5);
  EXPECT_EQ(shared.bytes[0x102], 7);
  EXPECT_EQ(shared.bytes[0x103], 0);
  EXPECT_EQ(shared.bytes[0x104], 8);
  EXPECT_EQ(shared.bytes[0x105], 9);
  EXPECT_EQ(cod.cCode[0].at(16).bytes[0], 1);
  EXPECT_EQ(cod.cCode[0].at(16).bytes[3], 4);
  EXPECT_EQ(cod.cDirectory[0].processor(), std::string(procName(kWordDevice)).substr(0, 8));
  EXPECT_EQ(cod.cFileName, "mem.cod");
}

TEST_F(Coff2CodTest, HigherWindowsGetTheirOwnDirectories) {
  ObjectBuilder builder = objectFor(kWordDevice, "win.o");
  builder.code("high").at(0x8000).bytes({1, 2});
  builder.code("low").at(0).bytes({3, 4});
  convert(builder);
  ASSERT_EQ(cod.cDirectory.size(), 2u);
  EXPECT_EQ(cod.cDirectory[1].HighAddr, 1);
  EXPECT_EQ(cod.cDirectory[1].source(), "");
  ASSERT_EQ(cod.cCode.size(), 2u);
  ASSERT_EQ(cod.cLineInfo.size(), 2u);
  EXPECT_EQ(cod.cCode[1].at(0).bytes[0], 1);
  EXPECT_EQ(cod.cMemoryMap[1], std::list<MemoryMap>{MemoryMap(0, 1)});
  EXPECT_EQ(cod.cMemoryMap[0], std::list<MemoryMap>{MemoryMap(0, 1)});
}

TEST_F(Coff2CodTest, ASectionAcrossAWindowBoundaryIsSplit) {
  ObjectBuilder builder = objectFor(kByteDevice, "split.o");
  std::vector<uint8_t> bytes(1024);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<uint8_t>(i + 1);
  }
  builder.code("big").at(0x2FE00).bytes(bytes);
  convert(builder);
  ASSERT_EQ(cod.cDirectory.size(), 4u);
  EXPECT_TRUE(cod.cCode[0].empty() && cod.cCode[1].empty());
  EXPECT_EQ(cod.cMemoryMap[2], std::list<MemoryMap>{MemoryMap(0xFE00, 0xFFFF)});
  EXPECT_EQ(cod.cMemoryMap[3], std::list<MemoryMap>{MemoryMap(0, 0x1FF)});
  ASSERT_EQ(cod.cCode[2].size(), 1u);
  EXPECT_EQ(cod.cCode[2].at(127).bytes[0], 1);
  EXPECT_EQ(cod.cCode[2].at(127).bytes[511], static_cast<uint8_t>(512));
  ASSERT_EQ(cod.cCode[3].size(), 1u);
  EXPECT_EQ(cod.cCode[3].at(0).bytes[0], static_cast<uint8_t>(513));
  EXPECT_EQ(cod.cCode[3].at(0).bytes[511], static_cast<uint8_t>(1024));
}

TEST_F(Coff2CodTest, MemoryMapEndsOnTheOddByteOfAWord) {
  ObjectBuilder builder = objectFor(kWordDevice, "odd.o");
  builder.code("c").at(0x10).bytes({1, 2, 3});
  convert(builder);
  EXPECT_EQ(cod.cMemoryMap[0], std::list<MemoryMap>{MemoryMap(0x20, 0x23)});
}

TEST_F(Coff2CodTest, SectionBeyondTheAddressRangeIsRefused) {
  ObjectBuilder builder = objectFor(kWordDevice, "far.o");
  builder.code("far").at(0x80000000).bytes({1, 2});
  coff = builder.coff();
  EXPECT_EQ(cod.convert(*coff, 0, 1), nullptr);
  EXPECT_EQ(errorCount(), 1u);
}

TEST_F(Coff2CodTest, EmptyCodeSectionsAreNoProgram) {
  ObjectBuilder builder = objectFor(kWordDevice, "empty.o");
  builder.code("c").romdata("r").idata("i").at(0).bytes({1, 2});
  coff = builder.coff();
  EXPECT_EQ(cod.convert(*coff, 0, 1), nullptr);
  EXPECT_EQ(errorCount(), 1u);
}

TEST_F(Coff2CodTest, OlderLayoutObjectWithoutProcessorIsRefused) {
  ObjectBuilder builder("old.o");
  builder.code("c").at(0).bytes({1, 2});
  coff = builder.coff();
  coff->cFileHdr.f_opthdr = 0;
  coff->cOptHdr = OptionalHeader();
  EXPECT_EQ(cod.convert(*coff, 0, 1), nullptr);
  EXPECT_EQ(errorCount(), 1u);
  EXPECT_TRUE(cod.cDirectory.empty());
}

TEST_F(Coff2CodTest, LineMapGroupsCodeLineEntriesByFileAndLine) {
  ObjectBuilder builder = objectFor(kWordDevice, "lines.o");
  builder.code("b").at(0x20).bytes({0, 0}).line(0, 4, 0x20);
  builder.code("a").at(0x10).bytes({0, 0, 0, 0}).line(0, 4, 0x11).line(0, 4, 0x10).line(2, 1, 0x11);
  builder.romdata("r").at(0x30).bytes({0, 0}).line(0, 4, 0x30);
  coff = builder.coff();
  cod.buildLineMap(*coff);
  ASSERT_EQ(cod.cLine.size(), 2u);
  const std::list<LstLine>& line4 = cod.cLine.at(0).at(4);
  ASSERT_EQ(line4.size(), 3u);
  auto entry = line4.begin();
  EXPECT_EQ(entry->secName, "a");
  EXPECT_EQ(entry->l_paddr, 0x11u);
  EXPECT_EQ((++entry)->l_paddr, 0x10u);
  EXPECT_EQ((++entry)->secName, "b");
  EXPECT_EQ(cod.cLine.at(2).at(1).front().l_lnno, 1);
}

// A name missing from the string table ends the run; the listing that was
// about to be written leaves no temporary file behind.
TEST_F(Coff2CodTest, MissingSymbolNameEndsTheListingWithoutLeftovers) {
  qortest::ScratchDir dir;
  ObjectBuilder builder = objectFor(kWordDevice, dir.file("bad.o"));
  builder.code(".code").at(0).bytes({0, 0});
  builder.fileSymbol("main.asm").symbol(".unnamed", 0, N_DEBUG, 0);
  endOfFile(builder).symbol("_trail", 0, N_ABS, C_EXT);
  coff = builder.coff();
  ASSERT_TRUE(coff);
  coff->cSymTbl[2]._n_name.setOffset(0x7FFF);
  cod.cPageLength = 0;
  EXPECT_EXIT(cod.createListFile(*coff), ::testing::ExitedWithCode(255), "");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// Captures standard output while a trace switch is on.
class TraceCapture {
 public:
  explicit TraceCapture(const std::string& name)
      : cName(name), cOld(std::cout.rdbuf(cText.rdbuf())) {
    setSwitch(cName, 1);
  }
  ~TraceCapture() {
    setSwitch(cName, 0);
    std::cout.rdbuf(cOld);
  }
  std::string text() const { return cText.str(); }

 private:
  std::string cName;
  std::ostringstream cText;
  std::streambuf* cOld;
};

TEST_F(Coff2CodTest, TracesOfTheLineMapAndTheSections) {
  ObjectBuilder builder = objectFor(kWordDevice, "trace.o");
  builder.code("main").at(0x1234).bytes({0, 0}).line(0, 7, 0x1234);
  coff = builder.coff();
  std::string lineMap;
  std::string sections;
  {
    TraceCapture capture("Coff2Cod::buildLineMap");
    cod.buildLineMap(*coff);
    lineMap = capture.text();
  }
  {
    TraceCapture capture("Coff2Cod::createRawDataAndMemoryMap");
    cod.convert(*coff, 0, 1);
    sections = capture.text();
  }
  EXPECT_EQ(lineMap,
            "Coff2Cod::buildLineMap() - Dumping contents of cLine: \n"
            "   srcndx=0,  linenum=7,  secName=main,  paddr=4660\n");
  EXPECT_EQ(sections, "Coff2Cod::createRawDataAndMemoryMap: \n  scnName=main, addr=0x00001234\n");
}

}  // namespace
}  // namespace codtest
