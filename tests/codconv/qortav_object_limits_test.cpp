// Objects the COD converter cannot turn into a sound COD file and listing:
// refused before either file is written, with the files already there left
// byte for byte; code whose line entries lie past the end of its source,
// listed and kept in the line table; and source lines past the last one a
// line record can number, listed without a record.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "codconv_fixture.h"
#include "mgproc.h"

namespace codtest {
namespace {

using qortest::ObjectBuilder;
using qortest::ProcessResult;
using qortest::ScratchDir;

// One NOP at word 0 under line 1 of `files` source files, main.asm first.
ObjectBuilder programWithSources(uint32_t romWidthBits, int files) {
  ObjectBuilder builder("prog.o");
  builder.processor(procCoffType(kWordDevice), romWidthBits, 8);
  builder.code(".code").at(0).bytes({0x00, 0x00}).line(0, 1, 0);
  for (int file = 0; file < files; ++file) {
    builder.fileSymbol(file == 0 ? "main.asm" : "f" + std::to_string(file) + ".inc");
    endOfFile(builder);
  }
  builder.symbol("_trail", 0, N_ABS, C_EXT);
  return builder;
}

struct LimitCase {
  const char* what;
  ObjectBuilder object;
  std::vector<std::string> arguments;
  std::string message;  // "" for a run that converts
};

std::string widthRefusal(uint32_t bits) {
  return "Error - Coff file 'prog.o' has an invalid program memory width of " +
         std::to_string(bits) + " bits.\n";
}

std::string sourceCountRefusal(int files) {
  return "Error - Coff file 'prog.o' names " + std::to_string(files) +
         " source files, more than the 256 a Cod file can number.\n";
}

TEST(QortavObjectLimits, RefusedObjectsLeaveEveryFileAsItWas) {
  const uint32_t wordBits = procRomWidthBits(kWordDevice);
  const std::vector<LimitCase> cases = {
      {"no width", programWithSources(0, 1), {"prog.o"}, widthRefusal(0)},
      {"17 bits", programWithSources(17, 1), {"prog.o"}, widthRefusal(17)},
      {"widest", programWithSources(0xFFFFFFFF, 1), {"-d", "prog.o"}, widthRefusal(0xFFFFFFFF)},
      {"257 files", programWithSources(wordBits, 257), {"prog.o"}, sourceCountRefusal(257)},
      {"300 files, no listing", programWithSources(wordBits, 300), {"/d", "prog.o"},
       sourceCountRefusal(300)},
      {"256 files", programWithSources(wordBits, 256), {"-d", "prog.o"}, ""},
      {"16 bits", programWithSources(16, 1), {"prog.o"}, ""},
  };
  for (const LimitCase& c : cases) {
    ScratchDir dir;
    c.object.writeFile(dir.file("prog.o"));
    qortest::writeFile(dir.file("main.asm"), "  nop\n");
    const std::vector<uint8_t> object = qortest::readFileBytes(dir.file("prog.o"));
    const std::string oldListing = "old listing\n";
    const std::string oldCod = "old cod file\n";
    qortest::writeFile(dir.file("prog.lst"), oldListing);
    qortest::writeFile(dir.file("prog.cod"), oldCod);

    const ProcessResult result = runQortav(c.arguments, dir.path());
    const bool refused = !c.message.empty();
    EXPECT_EQ(result.exitCode, refused ? 1 : 0) << c.what;
    EXPECT_EQ(result.output, banner() + c.message + summary(refused ? 1 : 0)) << c.what;
    EXPECT_EQ(qortest::readFileBytes(dir.file("prog.o")), object) << c.what;
    EXPECT_EQ(qortest::readFile(dir.file("prog.cod")) == oldCod, refused) << c.what;
    const bool listed = !refused && c.arguments[0] == "prog.o";
    EXPECT_EQ(qortest::readFile(dir.file("prog.lst")) == oldListing, !listed) << c.what;
  }
}

// A 2-line source whose line entries say 1, 60000 (two words) and 65535:
// the code of the last two lines follows the last source line, each line a
// code line without source text, and stays in the line table.
TEST(QortavObjectLimits, CodePastTheEndOfItsSourceIsListedWithoutSource) {
  ScratchDir dir;
  ObjectBuilder builder = objectFor(kWordDevice, "prog.o");
  builder.code(".code").at(0x10).bytes({0x01, 0x30, 0x00, 0x00, 0x00, 0x00, 0x23, 0x21});
  builder.line(0, 65535, 0x13).line(0, 1, 0x10).line(0, 60000, 0x11).line(0, 60000, 0x12);
  builder.fileSymbol("main.asm");
  endOfFile(builder).symbol("_trail", 0, N_ABS, C_EXT);
  builder.writeFile(dir.file("prog.o"));
  qortest::writeFile(dir.file("main.asm"), "  movlw 1\n; end\n");

  const ProcessResult result = runQortav({"-n", "4", "prog.o"}, dir.path());
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output, banner() +
                               "Warning - Source file 'main.asm' has 2 lines; the code of later "
                               "lines is listed without its source.\n" +
                               summary(0, 1));
  // Past-the-end rows count towards the page like any other.
  const std::string expected =
      pageHeader(true) + row("000010", "3001", "MOVLW     0x1", "  movlw 1", "main.asm") +
      row("", "", "", "; end", "main.asm") + row("000011", "0000", "NOP       ", "", "main.asm") +
      row("000012", "0000", "NOP       ", "", "") + pageHeader(false) +
      row("000013", "2123", "CALL      0x123", "", "main.asm");
  EXPECT_EQ(maskListTime(qortest::readFile(dir.file("prog.lst"))), expected);

  const std::unique_ptr<Cod> cod = Cod::make(dir.file("prog.cod"));
  ASSERT_TRUE(cod);
  std::list<LineInfo> lines;
  addPageHeaderLines(lines);
  lines.push_back(LineInfo(0, COD_LINE_FIRST_ADDRESS, 1, 0x10));
  lines.push_back(LineInfo(0, COD_LINE_NO_CODE, 2, 0));
  lines.push_back(LineInfo(0, COD_LINE_FIRST_ADDRESS, 60000, 0x11));
  lines.push_back(LineInfo(0, COD_LINE_MORE_ADDRESS, 60000, 0x12));
  addPageHeaderLines(lines);
  lines.push_back(LineInfo(0, COD_LINE_FIRST_ADDRESS, 65535, 0x13));
  ASSERT_EQ(cod->cLineInfo.size(), 1u);
  EXPECT_TRUE(cod->cLineInfo[0] == lines);
}

// A 70,000-line source with code at line 65535: every line is listed, line
// records stop at 65535 (none wraps onto an earlier line), with one warning.
TEST(QortavObjectLimits, LinesPastTheLastRecordedOneAreListedWithoutRecord) {
  ScratchDir dir;
  ObjectBuilder builder = objectFor(kWordDevice, "prog.o");
  builder.code(".code").at(0).bytes({0x00, 0x00}).line(0, 65535, 0).fileSymbol("main.asm");
  endOfFile(builder).symbol("_trail", 0, N_ABS, C_EXT);
  builder.writeFile(dir.file("prog.o"));
  std::string source;
  std::string expected = pageHeader(true);
  std::list<LineInfo> lines;
  addPageHeaderLines(lines);
  for (uint32_t line = 1; line <= 70000; ++line) {
    const std::string text = "; " + std::to_string(line);
    source += text + "\n";
    const bool code = line == 65535;
    expected +=
        row(code ? "000000" : "", code ? "0000" : "", code ? "NOP       " : "", text, "main.asm");
    if (line <= 65535) {
      lines.push_back(LineInfo(0, code ? COD_LINE_FIRST_ADDRESS : COD_LINE_NO_CODE,
                               static_cast<uint16_t>(line), 0));
    }
  }
  qortest::writeFile(dir.file("main.asm"), source);

  const ProcessResult result = runQortav({"prog.o"}, dir.path());
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output, banner() +
                               "Warning - Source file 'main.asm' has 70000 lines; the Cod file "
                               "records none past line 65535.\n" +
                               summary(0, 1));
  EXPECT_TRUE(maskListTime(qortest::readFile(dir.file("prog.lst"))) == expected);
  const std::unique_ptr<Cod> cod = Cod::make(dir.file("prog.cod"));
  ASSERT_TRUE(cod);
  EXPECT_TRUE(cod->cLineInfo == std::vector<std::list<LineInfo>>{lines});
}

}  // namespace
}  // namespace codtest
