// Block counts and block numbering: the directories first, then code,
// symbols, source names, line information, local groups, memory map, long
// symbols and debug messages.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <ctime>

#include "cod_test_support.h"
#include "debug_switches.h"

using codtest::codWithWindows;
using codtest::nameOf;

namespace {

void addSymbols(Cod& cod, int count) {
  for (int i = 0; i < count; ++i)
    cod.cSymbol.emplace_back("s" + std::to_string(i), COD_SYMBOL_TYPE_ADDRESS, i);
}

void addLines(Cod& cod, std::size_t window, int count) {
  for (int i = 0; i < count; ++i) cod.cLineInfo[window].emplace_back(0, 0x80, i + 1, i);
}

}  // namespace

TEST(CodPreWrite, EmptyTablesTakeNoBlocks) {
  Cod cod = codWithWindows(1);
  cod.preWrite();
  const Directory& d = cod.cDirectory[0];
  EXPECT_EQ(d.NextDir, 0);
  for (uint16_t field :
       {d.SymTab, d.SymEnd, d.NamTab, d.NamEnd, d.LineTab, d.LineEnd, d.MemMapOfs, d.MemMapEnd,
        d.LocalVars, d.LocalEnd, d.LSymTab, d.LSymEnd, d.MessTab, d.MessEnd}) {
    EXPECT_EQ(field, 0);
  }
  EXPECT_EQ(cod.blockCounts().total(), 1u);
}

TEST(CodPreWrite, ACodWithoutDirectoryGetsOne) {
  Cod cod;
  cod.preWrite();
  ASSERT_EQ(cod.cDirectory.size(), 1u);
  EXPECT_EQ(cod.cLineInfo.size(), 1u);
  EXPECT_EQ(cod.cCode.size(), 1u);
  EXPECT_EQ(cod.cMemoryMap.size(), 1u);
}

TEST(CodPreWrite, SymbolBlocksAt0And32And33Symbols) {
  for (auto [symbols, blocks] :
       {std::pair{0, 0u}, {1, 1u}, {32, 1u}, {33, 2u}, {64, 2u}, {65, 3u}}) {
    Cod cod = codWithWindows(1);
    cod.cCode[0][0] = Block();
    addSymbols(cod, symbols);
    cod.cSourceName.emplace_back("a.asm");
    cod.preWrite();
    const Directory& d = cod.cDirectory[0];
    EXPECT_EQ(cod.blockCounts().symbol, blocks) << symbols;
    EXPECT_EQ(d.Index[0], 1) << symbols;
    if (blocks == 0) {
      EXPECT_EQ(d.SymTab, 0);
      EXPECT_EQ(d.SymEnd, 0);
      // The source names start at the block the symbols would have taken.
      EXPECT_EQ(d.NamTab, 2);
    } else {
      EXPECT_EQ(d.SymTab, 2) << symbols;
      EXPECT_EQ(d.SymEnd, 2 + blocks - 1) << symbols;
      EXPECT_EQ(d.NamTab, 2 + blocks) << symbols;
    }
    EXPECT_EQ(d.NamEnd, d.NamTab);
  }
}

TEST(CodPreWrite, LineInfoBlocksAt85And86Records) {
  for (auto [lines, blocks] : {std::pair{85, 1u}, {86, 2u}, {170, 2u}, {171, 3u}}) {
    Cod cod = codWithWindows(1);
    addLines(cod, 0, lines);
    cod.preWrite();
    EXPECT_EQ(cod.blockCounts().lineInfo, blocks) << lines;
    EXPECT_EQ(cod.cDirectory[0].LineTab, 1) << lines;
    EXPECT_EQ(cod.cDirectory[0].LineEnd, blocks) << lines;
  }
}

TEST(CodPreWrite, SourceNamesEightToABlock) {
  Cod cod = codWithWindows(1);
  for (int i = 0; i < 9; ++i) cod.cSourceName.emplace_back("f" + std::to_string(i));
  cod.preWrite();
  EXPECT_EQ(cod.cDirectory[0].NamTab, 1);
  EXPECT_EQ(cod.cDirectory[0].NamEnd, 2);
}

TEST(CodPreWrite, SeveralWindowsAreNumberedInOrder) {
  Cod cod = codWithWindows(3);
  cod.cCode[0][5] = Block();
  cod.cCode[0][1] = Block();
  cod.cCode[2][127] = Block();
  addSymbols(cod, 1);
  cod.cSourceName.emplace_back("main.asm");
  addLines(cod, 0, 86);  // 2 blocks
  addLines(cod, 2, 1);   // window 1 has none
  cod.cLocalGroup.push_back(LocalGroup());
  cod.cMemoryMap[0].emplace_back(0, 0x10);
  cod.cMemoryMap[2].emplace_back(0, 0x20);
  cod.cLongSymbol.emplace_back("s0", COD_SYMBOL_TYPE_ADDRESS, 0);
  cod.cDebugMsg.emplace_back(0, 'a', "m");
  cod.preWrite();

  const auto& d = cod.cDirectory;
  EXPECT_EQ(d[0].NextDir, 1);
  EXPECT_EQ(d[1].NextDir, 2);
  EXPECT_EQ(d[2].NextDir, 0);
  // Directories 0-2, code 3-5 (keys in ascending order).
  EXPECT_EQ(d[0].Index[1], 3);
  EXPECT_EQ(d[0].Index[5], 4);
  EXPECT_EQ(d[2].Index[127], 5);
  EXPECT_EQ(d[0].Index[0], 0);
  EXPECT_EQ(d[0].SymTab, 6);
  EXPECT_EQ(d[0].NamTab, 7);
  EXPECT_EQ(d[0].LineTab, 8);
  EXPECT_EQ(d[0].LineEnd, 9);
  EXPECT_EQ(d[1].LineTab, 0);
  EXPECT_EQ(d[1].LineEnd, 0);
  EXPECT_EQ(d[2].LineTab, 10);
  EXPECT_EQ(d[2].LineEnd, 10);
  EXPECT_EQ(d[0].LocalVars, 11);
  EXPECT_EQ(d[0].MemMapOfs, 12);
  EXPECT_EQ(d[1].MemMapOfs, 0);
  EXPECT_EQ(d[2].MemMapOfs, 13);
  EXPECT_EQ(d[2].MemMapEnd, 13);
  EXPECT_EQ(d[0].LSymTab, 14);
  EXPECT_EQ(d[0].MessTab, 15);
  EXPECT_EQ(d[0].MessEnd, 15);
  // File-wide tables live in directory 0 only.
  for (std::size_t k = 1; k < 3; ++k) {
    EXPECT_EQ(d[k].SymTab, 0);
    EXPECT_EQ(d[k].NamTab, 0);
    EXPECT_EQ(d[k].LocalVars, 0);
    EXPECT_EQ(d[k].LSymTab, 0);
    EXPECT_EQ(d[k].MessTab, 0);
  }
  EXPECT_EQ(cod.blockCounts().total(), 16u);
}

TEST(CodPreWrite, LineInfoWithoutMemoryMap) {
  Cod cod = codWithWindows(1);
  addLines(cod, 0, 3);
  cod.preWrite();
  EXPECT_EQ(cod.cDirectory[0].LineTab, 1);
  EXPECT_EQ(cod.cDirectory[0].LineEnd, 1);
  EXPECT_EQ(cod.cDirectory[0].MemMapOfs, 0);
  EXPECT_EQ(cod.cDirectory[0].MemMapEnd, 0);
}

TEST(CodPreWrite, LongSymbolEndingAtTheBlockEndStaysInIt) {
  // 2 records of 256 bytes fill a block exactly (name 249 + 7).
  Cod cod = codWithWindows(1);
  cod.cLongSymbol.emplace_back(nameOf('a', 249), 46, 0);
  cod.cLongSymbol.emplace_back(nameOf('b', 249), 46, 0);
  EXPECT_EQ(cod.blockCounts().longSymbol, 1u);
  // One byte more starts a second block.
  cod.cLongSymbol.emplace_back("c", 46, 0);
  EXPECT_EQ(cod.blockCounts().longSymbol, 2u);
  Cod overflow = codWithWindows(1);
  overflow.cLongSymbol.emplace_back(nameOf('a', 249), 46, 0);
  overflow.cLongSymbol.emplace_back(nameOf('b', 250), 46, 0);
  EXPECT_EQ(overflow.blockCounts().longSymbol, 2u);
}

TEST(CodPreWrite, LocalGroupRecordsCount32ToABlock) {
  Cod cod = codWithWindows(1);
  LocalGroup group;
  for (int i = 0; i < 31; ++i) group.Symbols.emplace_back("l" + std::to_string(i), 46, i);
  cod.cLocalGroup.push_back(group);
  EXPECT_EQ(cod.blockCounts().localGroup, 1u);
  cod.cLocalGroup.push_back(LocalGroup());
  EXPECT_EQ(cod.blockCounts().localGroup, 2u);
}

TEST(CodPreWrite, StampsDateAndTime) {
  Cod cod = codWithWindows(2);
  cod.preWrite();
  const Directory& d = cod.cDirectory[0];
  EXPECT_EQ(d.DateLen, 7);  // e.g. "09Dec26"
  EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(d.Date[0])));
  EXPECT_LT(d.Time, 2400);
  EXPECT_LT(d.Time % 100, 60);
  EXPECT_EQ(cod.cDirectory[1].DateLen, 0);
}

TEST(CodPreWrite, DateAndTimeAreTheLocalTime) {
  // A zone five and a half hours east of UTC tells local from universal time.
  std::string oldZone = std::getenv("TZ") != nullptr ? std::getenv("TZ") : "";
  setenv("TZ", "ZZZ-5:30", 1);
  tzset();
  auto stamp = [] {
    std::time_t now = std::time(nullptr);
    char date[16] = {};
    char time[16] = {};
    std::strftime(date, sizeof(date), "%d%b%y", std::localtime(&now));
    std::strftime(time, sizeof(time), "%H%M", std::localtime(&now));
    return std::string(date) + " " + std::to_string(std::atoi(time));
  };
  std::string before = stamp();
  Cod cod = codWithWindows(1);
  cod.preWrite();
  std::string after = stamp();
  setenv("TZ", oldZone.c_str(), 1);
  tzset();
  std::string written = cod.cDirectory[0].date() + " " + std::to_string(cod.cDirectory[0].Time);
  EXPECT_TRUE(written == before || written == after) << written << " / " << before;
}

TEST(CodPreWrite, TraceShowsTheBlockCounts) {
  Cod cod = codWithWindows(1);
  cod.cCode[0][3] = Block();
  addSymbols(cod, 33);
  addLines(cod, 0, 86);
  {
    codtest::CapturedOutput captured;
    setSwitch("Cod::preWrite", 1);
    cod.preWrite();
    setSwitch("Cod::preWrite", 0);
    EXPECT_EQ(captured.output(),
              "Cod::preWrite()- dump of block mappings:\n"
              "  numDirectoryBlock=1\n"
              "  numRawDataBlock=1\n"
              "  numSymbolBlock=2\n"
              "  numSourceNameBlock=0\n"
              "  numLineInfoBlock=2\n"
              "  numLocalGroupBlock=0\n"
              "  numMemMapBlock=0\n"
              "  numLongBlock=0\n"
              "  numDebugBlock=0\n");
  }
  codtest::CapturedOutput quiet;
  cod.preWrite();
  EXPECT_EQ(quiet.output(), "");
}
