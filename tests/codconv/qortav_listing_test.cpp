// End-to-end runs of the built converter: the listing text and the COD file
// it writes for builder-made objects and their source files.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "banners.h"
#include "codconv_fixture.h"
#include "mgproc.h"
#include "unblocked_pipe.h"

namespace codtest {
namespace {

using qortest::ObjectBuilder;
using qortest::readFile;
using qortest::ScratchDir;
using qortest::writeFile;

// A program of 14-bit words at word address 0x10: MOVLW 1, an illegal word,
// CALL 0x123 and NOP under lines 2 to 5 of main.asm.
class WordDeviceProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    ObjectBuilder builder = objectFor(kWordDevice, dir.file("prog.o"));
    builder.code(".code").at(0x10).bytes({0x01, 0x30, 0x01, 0x00, 0x23, 0x21, 0x00, 0x00});
    builder.line(0, 2, 0x10).line(0, 3, 0x11).line(0, 4, 0x12).line(0, 5, 0x13);
    builder.fileSymbol("main.asm").global("start", 0x10, 1);
    endOfFile(builder).symbol("_trail", 0, N_ABS, C_EXT);
    builder.writeFile(dir.file("prog.o"));
    writeFile(
        dir.file("main.asm"),
        "; test program\nstart  movlw 1\n       dw 1\n       call 0x123\n       nop\n; end\n");
  }

  std::string rowOfLine(int line) const {
    switch (line) {
      case 1: return row("", "", "", "; test program", "main.asm");
      case 2: return row("000010", "3001", "MOVLW     0x1", "start  movlw 1", "main.asm");
      case 3: return row("000011", "0001", "??? Illegal Opcode", "       dw 1", "main.asm");
      case 4: return row("000012", "2123", "CALL      0x123", "       call 0x123", "main.asm");
      case 5: return row("000013", "0000", "NOP       ", "       nop", "main.asm");
      default: return row("", "", "", "; end", "main.asm");
    }
  }

  LineInfo lineInfoOf(int line) const {
    if (line == 1 || line == 6) {
      return LineInfo(0, COD_LINE_NO_CODE, static_cast<uint16_t>(line), 0);
    }
    return LineInfo(0, COD_LINE_FIRST_ADDRESS, static_cast<uint16_t>(line),
                    static_cast<uint16_t>(0x10 + line - 2));
  }

  // The tables without line information.
  Cod expectedTables() const {
    Cod cod = expectedCod("prog", kWordDevice);
    Block& block = cod.cCode[0][0];
    const uint8_t bytes[] = {0x01, 0x30, 0x01, 0x00, 0x23, 0x21, 0x00, 0x00};
    std::copy(std::begin(bytes), std::end(bytes), block.data() + 0x20);
    cod.cMemoryMap = {{MemoryMap(0x20, 0x27)}};
    cod.cSymbol = {Symbol("start", COD_SYMBOL_TYPE_ADDRESS, 0x10)};
    cod.cLongSymbol = {LongSymbol("start", COD_SYMBOL_TYPE_ADDRESS, 0x10)};
    cod.cSourceName = {SourceName("main.asm")};
    return cod;
  }

  ScratchDir dir;
};

TEST_F(WordDeviceProgram, OnePageListingAndCodFile) {
  const qortest::ProcessResult result = runQortav({"prog.o"}, dir.path());
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output, banner() + summary(0, 0));

  std::string expected = pageHeader(true);
  for (int line = 1; line <= 6; ++line) {
    expected += rowOfLine(line);
  }
  EXPECT_EQ(maskListTime(readFile(dir.file("prog.lst"))), expected);

  Cod tables = expectedTables();
  addPageHeaderLines(tables.cLineInfo[0]);
  for (int line = 1; line <= 6; ++line) {
    tables.cLineInfo[0].push_back(lineInfoOf(line));
  }
  expectCodFile(dir.file("prog.cod"), tables);
}

TEST_F(WordDeviceProgram, PagesOfThreeRowsEachStartWithAHeader) {
  const qortest::ProcessResult result = runQortav({"-n", "3", "prog.o"}, dir.path());
  EXPECT_EQ(result.exitCode, 0);

  Cod tables = expectedTables();
  std::string expected = pageHeader(true);
  addPageHeaderLines(tables.cLineInfo[0]);
  for (int line = 1; line <= 6; ++line) {
    expected += rowOfLine(line);
    tables.cLineInfo[0].push_back(lineInfoOf(line));
    if (line % 3 == 0) {  // also after the last row, which fills its page
      expected += pageHeader(false);
      addPageHeaderLines(tables.cLineInfo[0]);
    }
  }
  EXPECT_EQ(maskListTime(readFile(dir.file("prog.lst"))), expected);
  expectCodFile(dir.file("prog.cod"), tables);
}

TEST_F(WordDeviceProgram, EveryPageShowsTheTimeOfTheFirst) {
  runQortav({"/N", "2", "prog.o"}, dir.path());
  const std::string listing = readFile(dir.file("prog.lst"));
  const std::string marker = "Listing File Generated: ";
  const std::size_t first = listing.find(marker);
  ASSERT_NE(first, std::string::npos);
  const std::string firstLine = listing.substr(first, listing.find('\n', first) - first);
  EXPECT_EQ(firstLine.size(), marker.size() + 24);
  int pages = 0;
  for (std::size_t at = listing.find(marker); at != std::string::npos;
       at = listing.find(marker, at + 1)) {
    EXPECT_EQ(listing.substr(at, firstLine.size()), firstLine);
    ++pages;
  }
  EXPECT_EQ(pages, 4);  // the first page and one after every second row
}

TEST_F(WordDeviceProgram, NoListingSwitchWritesOnlyTheCodFile) {
  const qortest::ProcessResult result = runQortav({"-D", "prog.o"}, dir.path());
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_FALSE(qortest::fileExists(dir.file("prog.lst")));
  expectCodFile(dir.file("prog.cod"), expectedTables());
}

// Byte-addressed program memory with two-word instructions.
TEST(QortavListing, TwoWordInstructionsBlankOnlyTheSecondWordsRow) {
  ScratchDir dir;
  ObjectBuilder builder = objectFor(kByteDevice, dir.file("two.o"));
  const std::vector<uint8_t> bytes = {
      0x12, 0xEC, 0x23, 0xF1,  // 0x100 CALL, second word under the next line
      0x00, 0x00,              // 0x104 NOP
      0x12, 0xEC, 0x23, 0xF1,  // 0x106 CALL, second word without a line entry
      0x00, 0x00,              // 0x10A NOP
      0x00, 0x00,              // 0x10C NOP
      0x03, 0x00,              // 0x10E SLEEP
      0x02, 0x00};             // 0x110 no instruction
  builder.code(".code").at(0x100).bytes(bytes);
  builder.line(0, 1, 0x100).line(0, 2, 0x102).line(0, 3, 0x104).line(0, 4, 0x106);
  builder.line(0, 5, 0x10A).line(0, 6, 0x10C).line(0, 6, 0x10E).line(0, 6, 0x110);
  builder.line(0, 7, 0x200);  // beyond the section's data
  builder.fileSymbol("two.asm");
  endOfFile(builder).symbol("_trail", 0, N_ABS, C_EXT);
  builder.writeFile(dir.file("two.o"));
  writeFile(dir.file("two.asm"), "s1\ns2\ns3\ns4\ns5\ns6\ns7\n");

  const qortest::ProcessResult result = runQortav({"two.o"}, dir.path());
  EXPECT_EQ(result.exitCode, 0);
  const std::string expected =
      pageHeader(true) + row("000100", "ec12", "CALL      0x24624,0x0", "s1", "two.asm") +
      row("000102", "f123", "", "s2", "two.asm") +
      row("000104", "0000", "NOP       ", "s3", "two.asm") +
      row("000106", "ec12", "CALL      0x24624,0x0", "s4", "two.asm") +
      row("00010a", "0000", "NOP       ", "s5", "two.asm") +
      row("00010c", "0000", "NOP       ", "s6", "two.asm") +
      row("00010e", "0003", "SLEEP     ", "", "") +
      row("000110", "0002", "??? Illegal Opcode", "", "") + row("000200", "", "", "s7", "two.asm");
  EXPECT_EQ(maskListTime(readFile(dir.file("two.lst"))), expected);

  Cod tables = expectedCod("two", kByteDevice);
  std::copy(bytes.begin(), bytes.end(), tables.cCode[0][0].data() + 0x100);
  tables.cMemoryMap = {{MemoryMap(0x100, 0x111)}};
  tables.cSourceName = {SourceName("two.asm")};
  std::list<LineInfo>& lines = tables.cLineInfo[0];
  addPageHeaderLines(lines);
  const uint16_t firstAddresses[] = {0x100, 0x102, 0x104, 0x106, 0x10A, 0x10C};
  for (uint16_t line = 1; line <= 6; ++line) {
    lines.push_back(LineInfo(0, COD_LINE_FIRST_ADDRESS, line, firstAddresses[line - 1]));
  }
  lines.push_back(LineInfo(0, COD_LINE_MORE_ADDRESS, 6, 0x10E));
  lines.push_back(LineInfo(0, COD_LINE_MORE_ADDRESS, 6, 0x110));
  lines.push_back(LineInfo(0, COD_LINE_FIRST_ADDRESS, 7, 0x200));
  expectCodFile(dir.file("two.cod"), tables);
}

// The same source layout serves the include tests: every file holds lines
// named after it, and the code section has no line entries.
void writeSources(const ScratchDir& dir, const std::vector<std::string>& names, int lines) {
  for (const std::string& name : names) {
    std::string text;
    for (int line = 1; line <= lines; ++line) {
      text += name + " line " + std::to_string(line) + "\r\n";
    }
    writeFile(dir.file(name), text);
  }
}

std::string noCodeRow(const std::string& file, int line) {
  return row("", "", "", file + " line " + std::to_string(line), file);
}

TEST(QortavListing, IncludedFileIsListedAtItsLine) {
  ScratchDir dir;
  ObjectBuilder builder = objectFor(kWordDevice, dir.file("inc.o"));
  builder.code(".code").at(0x10).bytes({0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
  builder.line(0, 1, 0x10).line(2, 1, 0x11).line(0, 3, 0x12);
  builder.fileSymbol("main.asm").fileSymbol("defs.inc", 2);
  endOfFile(builder);
  endOfFile(builder).symbol("_trail", 0, N_ABS, C_EXT);
  builder.writeFile(dir.file("inc.o"));
  writeSources(dir, {"main.asm", "defs.inc"}, 3);

  const qortest::ProcessResult result = runQortav({"inc.o"}, dir.path());
  EXPECT_EQ(result.exitCode, 0);
  const std::string expected = pageHeader(true) +
                               row("000010", "0000", "NOP       ", "main.asm line 1", "main.asm") +
                               noCodeRow("main.asm", 2) +
                               row("000011", "0000", "NOP       ", "defs.inc line 1", "defs.inc") +
                               noCodeRow("defs.inc", 2) + noCodeRow("defs.inc", 3) +
                               row("000012", "0000", "NOP       ", "main.asm line 3", "main.asm");
  EXPECT_EQ(maskListTime(readFile(dir.file("inc.lst"))), expected);

  Cod tables = expectedCod("inc", kWordDevice);
  tables.cCode[0][0];
  tables.cMemoryMap = {{MemoryMap(0x20, 0x25)}};
  tables.cSourceName = {SourceName("main.asm"), SourceName("defs.inc")};
  setListedLines(
      tables, {LineInfo(0, COD_LINE_FIRST_ADDRESS, 1, 0x10), LineInfo(0, COD_LINE_NO_CODE, 2, 0),
               LineInfo(1, COD_LINE_FIRST_ADDRESS, 1, 0x11), LineInfo(1, COD_LINE_NO_CODE, 2, 0),
               LineInfo(1, COD_LINE_NO_CODE, 3, 0), LineInfo(0, COD_LINE_FIRST_ADDRESS, 3, 0x12)});
  expectCodFile(dir.file("inc.cod"), tables);
}

TEST(QortavListing, AFileIncludedAfterANestedIncludeStaysInPlace) {
  ScratchDir dir;
  ObjectBuilder builder = objectFor(kWordDevice, dir.file("nest.o"));
  builder.code(".code").at(0).bytes({0x00, 0x00});
  builder.fileSymbol("main.asm").fileSymbol("a.inc", 2).fileSymbol("b.inc", 1);
  endOfFile(builder);
  endOfFile(builder);
  builder.fileSymbol("c.inc", 3);
  endOfFile(builder);
  endOfFile(builder).symbol("_trail", 0, N_ABS, C_EXT);
  builder.writeFile(dir.file("nest.o"));
  writeSources(dir, {"main.asm", "a.inc", "b.inc", "c.inc"}, 2);
  writeSources(dir, {"main.asm"}, 4);

  EXPECT_EQ(runQortav({"nest.o"}, dir.path()).exitCode, 0);
  const std::string expected =
      pageHeader(true) + noCodeRow("main.asm", 1) + noCodeRow("main.asm", 2) +
      noCodeRow("a.inc", 1) + noCodeRow("b.inc", 1) + noCodeRow("b.inc", 2) +
      noCodeRow("a.inc", 2) + noCodeRow("main.asm", 3) + noCodeRow("c.inc", 1) +
      noCodeRow("c.inc", 2) + noCodeRow("main.asm", 4);
  EXPECT_EQ(maskListTime(readFile(dir.file("nest.lst"))), expected);
}

TEST(QortavListing, DeeplyNestedIncludesEndWithoutCrash) {
  ScratchDir dir;
  ObjectBuilder builder = objectFor(kWordDevice, dir.file("deep.o"));
  builder.code(".code").at(0).bytes({0x00, 0x00});
  // As many files as a COD file can number, each included by the one before:
  // far deeper than the listing follows.
  const int files = 256;
  builder.fileSymbol("a.inc");
  for (int i = 1; i < files; ++i) {
    builder.fileSymbol("a.inc", 1);
  }
  for (int i = 0; i < files; ++i) {
    endOfFile(builder);
  }
  builder.symbol("_trail", 0, N_ABS, C_EXT);
  builder.writeFile(dir.file("deep.o"));
  writeSources(dir, {"a.inc"}, 1);

  const qortest::ProcessResult result = runQortav({"-q", "deep.o"}, dir.path());
  EXPECT_FALSE(result.signalled);
  EXPECT_EQ(result.exitCode, 0);
  const std::string listing = maskListTime(readFile(dir.file("deep.lst")));
  std::string expected = pageHeader(true);
  for (int level = 0; level <= 100; ++level) {
    expected += noCodeRow("a.inc", 1);
  }
  EXPECT_EQ(listing, expected);
}

// Every source line scans the file's symbols: a long file with many labels
// must still be listed in moments (the scans once took minutes here).
TEST(QortavListing, LongFileWithManyLabelsIsListedQuickly) {
  ScratchDir dir;
  ObjectBuilder builder = objectFor(kWordDevice, dir.file("big.o"));
  builder.code(".code").at(0).bytes({0x00, 0x00}).line(0, 1, 0);
  builder.fileSymbol("big.asm");
  const int count = 4000;
  for (int i = 0; i < count; ++i) {
    builder.symbol("a_long_label_name_" + std::to_string(i), 0, 1, C_LABEL);
  }
  endOfFile(builder).symbol("_trail", 0, N_ABS, C_EXT);
  builder.writeFile(dir.file("big.o"));
  writeSources(dir, {"big.asm"}, count);

  const auto started = std::chrono::steady_clock::now();
  const qortest::ProcessResult result = runQortav({"-q", "big.o"}, dir.path());
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started)
          .count();
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_LT(seconds, 15);
  const std::string listing = readFile(dir.file("big.lst"));
  EXPECT_NE(listing.find(noCodeRow("big.asm", count)), std::string::npos);
}

// One symbol block holds 32 symbols and one line block 85 records: a
// program with one more of each needs a second block of each.
TEST(QortavListing, SymbolAndLineBlocksFillUpAndOverflow) {
  for (const int extra : {0, 1}) {
    ScratchDir dir;
    ObjectBuilder builder = objectFor(kWordDevice, dir.file("blk.o"));
    builder.code(".code").at(0).bytes({0x00, 0x00}).line(0, 1, 0);
    builder.fileSymbol("blk.asm");
    for (int i = 0; i < 32 + extra; ++i) {
      builder.symbol("l" + std::to_string(i), static_cast<uint32_t>(i), 1, C_LABEL);
    }
    endOfFile(builder).symbol("_trail", 0, N_ABS, C_EXT);
    builder.writeFile(dir.file("blk.o"));
    writeSources(dir, {"blk.asm"}, 77 + extra);  // 8 header records + 1 a row

    ASSERT_EQ(runQortav({"blk.o"}, dir.path()).exitCode, 0);
    const std::unique_ptr<Cod> cod = Cod::make(dir.file("blk.cod"));
    ASSERT_TRUE(cod);
    EXPECT_EQ(cod->cSymbol.size(), 32u + extra);
    EXPECT_EQ(cod->cLongSymbol.size(), 32u + extra);
    ASSERT_EQ(cod->cLineInfo.size(), 1u);
    EXPECT_EQ(cod->cLineInfo[0].size(), 85u + extra);
    const Directory& directory = cod->cDirectory[0];
    EXPECT_EQ(directory.SymEnd - directory.SymTab, extra);
    EXPECT_EQ(directory.LineEnd - directory.LineTab, extra);
  }
}

TEST(QortavListing, NolistAndListLeaveTheirLinesOut) {
  ScratchDir dir;
  ObjectBuilder builder = objectFor(kWordDevice, dir.file("nl.o"));
  builder.code(".code").at(0x10).bytes({0x00, 0x00, 0x00, 0x00});
  builder.line(0, 3, 0x10).line(0, 5, 0x11);
  builder.fileSymbol("main.asm");
  builder.symbol(".nolist", 2, N_DEBUG, C_STAT).symbol(".list", 4, N_DEBUG, C_STAT);
  endOfFile(builder).symbol("_trail", 0, N_ABS, C_EXT);
  builder.writeFile(dir.file("nl.o"));
  writeSources(dir, {"main.asm"}, 6);

  EXPECT_EQ(runQortav({"nl.o"}, dir.path()).exitCode, 0);
  const std::string expected =
      pageHeader(true) + noCodeRow("main.asm", 1) + noCodeRow("main.asm", 4) +
      row("000011", "0000", "NOP       ", "main.asm line 5", "main.asm") + noCodeRow("main.asm", 6);
  EXPECT_EQ(maskListTime(readFile(dir.file("nl.lst"))), expected);

  Cod tables = expectedCod("nl", kWordDevice);
  tables.cCode[0][0];
  tables.cMemoryMap = {{MemoryMap(0x20, 0x23)}};
  tables.cSourceName = {SourceName("main.asm")};
  setListedLines(
      tables, {LineInfo(0, COD_LINE_NO_CODE, 1, 0), LineInfo(0, COD_LINE_NO_CODE, 4, 0),
               LineInfo(0, COD_LINE_FIRST_ADDRESS, 5, 0x11), LineInfo(0, COD_LINE_NO_CODE, 6, 0)});
  expectCodFile(dir.file("nl.cod"), tables);
}

TEST(QortavListing, AnUnopenableSourceFileLeavesAWarningAndTheRest) {
  ScratchDir dir;
  ObjectBuilder builder = objectFor(kWordDevice, dir.file("miss.o"));
  builder.code(".code").at(0x10).bytes({0x00, 0x00});
  builder.line(3, 1, 0x10);
  builder.fileSymbol("missing.asm");
  endOfFile(builder).fileSymbol("main.asm");
  endOfFile(builder).symbol("_trail", 0, N_ABS, C_EXT);
  builder.writeFile(dir.file("miss.o"));
  writeSources(dir, {"main.asm"}, 1);

  const qortest::ProcessResult result = runQortav({"miss.o"}, dir.path());
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output, banner() +
                               "Warning - Could not open source file 'missing.asm'.\n"
                               "This file will not be present in the list file.\n" +
                               summary(0, 1));
  EXPECT_EQ(maskListTime(readFile(dir.file("miss.lst"))),
            pageHeader(true) + row("000010", "0000", "NOP       ", "main.asm line 1", "main.asm"));

  Cod tables = expectedCod("miss", kWordDevice);
  tables.cCode[0][0];
  tables.cMemoryMap = {{MemoryMap(0x20, 0x21)}};
  tables.cSourceName = {SourceName("missing.asm"), SourceName("main.asm")};
  addPageHeaderLines(tables.cLineInfo[0]);
  tables.cLineInfo[0].push_back(LineInfo(1, COD_LINE_FIRST_ADDRESS, 1, 0x10));
  expectCodFile(dir.file("miss.cod"), tables);
}

// Names in the object that are no plain file: a directory would list as an
// empty file without a word, and a device or a pipe could block the run or
// never end (a pipe without a writer, an endless device).
TEST(QortavListing, SourceNamesThatAreNoPlainFileAreWarnedAbout) {
  ScratchDir dir;
  ObjectBuilder builder = objectFor(kWordDevice, dir.file("odd.o"));
  builder.code(".code").at(0x10).bytes({0x00, 0x00});
  builder.line(9, 1, 0x10);  // main.asm's ".file": three files of three entries go first
  builder.fileSymbol("sub");
  endOfFile(builder).fileSymbol("/dev/null");
  endOfFile(builder).fileSymbol("pipe.asm");
  endOfFile(builder).fileSymbol("main.asm");
  endOfFile(builder).symbol("_trail", 0, N_ABS, C_EXT);
  builder.writeFile(dir.file("odd.o"));
  writeSources(dir, {"main.asm"}, 1);
  std::filesystem::create_directory(dir.file("sub"));
  qortest::UnblockedPipe pipe(dir.file("pipe.asm"));

  const qortest::ProcessResult result = runQortav({"odd.o"}, dir.path());
  EXPECT_EQ(result.exitCode, 0);
  std::string warnings;
  for (const char* name : {"sub", "/dev/null", "pipe.asm"}) {
    warnings += std::string("Warning - Could not open source file '") + name +
                "'.\nThis file will not be present in the list file.\n";
  }
  EXPECT_EQ(result.output, banner() + warnings + summary(0, 3));
  EXPECT_EQ(maskListTime(readFile(dir.file("odd.lst"))),
            pageHeader(true) + row("000010", "0000", "NOP       ", "main.asm line 1", "main.asm"));
}

TEST(QortavListing, SectionsInSeveralWindowsAndOneAcrossABoundary) {
  ScratchDir dir;
  ObjectBuilder builder = objectFor(kByteDevice, dir.file("win.o"));
  builder.code("a").at(0x100).bytes({0x00, 0x00}).line(0, 1, 0x100);
  builder.code("b").at(0x10000).bytes({0x03, 0x00}).line(0, 2, 0x10000);
  builder.romdata("c").at(0x1FFFE).bytes({0x04, 0x00, 0x12, 0x00});
  builder.code("d").at(0x1FFFE).bytes({0x04, 0x00, 0x12, 0x00});
  builder.line(0, 3, 0x1FFFE).line(0, 4, 0x20000);
  builder.fileSymbol("win.asm").global("far", 0x20000, 4);
  endOfFile(builder).symbol("_trail", 0, N_ABS, C_EXT);
  builder.writeFile(dir.file("win.o"));
  writeSources(dir, {"win.asm"}, 4);

  EXPECT_EQ(runQortav({"win.o"}, dir.path()).exitCode, 0);
  const std::string expected = pageHeader(true) +
                               row("000100", "0000", "NOP       ", "win.asm line 1", "win.asm") +
                               row("010000", "0003", "SLEEP     ", "win.asm line 2", "win.asm") +
                               row("01fffe", "0004", "CLRWDT    ", "win.asm line 3", "win.asm") +
                               row("020000", "0012", "RETURN    0x0", "win.asm line 4", "win.asm");
  EXPECT_EQ(maskListTime(readFile(dir.file("win.lst"))), expected);

  Cod tables = expectedCod("win", kByteDevice, 3);
  tables.cCode[0][0].bytes[0x100] = 0x00;
  tables.cCode[1][0].bytes[0] = 0x03;
  tables.cCode[1][127].bytes[510] = 0x04;
  tables.cCode[2][0].bytes[0] = 0x12;
  // Both sections at 0x1FFFE are split the same way.
  tables.cMemoryMap = {{MemoryMap(0x100, 0x101)},
                       {MemoryMap(0, 1), MemoryMap(0xFFFE, 0xFFFF), MemoryMap(0xFFFE, 0xFFFF)},
                       {MemoryMap(0, 1), MemoryMap(0, 1)}};
  tables.cSourceName = {SourceName("win.asm")};
  tables.cSymbol = {Symbol("far", COD_SYMBOL_TYPE_ADDRESS, 0)};
  tables.cLongSymbol = {LongSymbol("far", COD_SYMBOL_TYPE_ADDRESS, 0x20000)};
  addPageHeaderLines(tables.cLineInfo[0]);
  tables.cLineInfo[0].push_back(LineInfo(0, COD_LINE_FIRST_ADDRESS, 1, 0x100));
  tables.cLineInfo[1].push_back(LineInfo(0, COD_LINE_FIRST_ADDRESS, 2, 0));
  tables.cLineInfo[1].push_back(LineInfo(0, COD_LINE_FIRST_ADDRESS, 3, 0xFFFE));
  tables.cLineInfo[2].push_back(LineInfo(0, COD_LINE_FIRST_ADDRESS, 4, 0));
  expectCodFile(dir.file("win.cod"), tables);
}

}  // namespace
}  // namespace codtest
