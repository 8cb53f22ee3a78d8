// The bundled example: its object file is the one described here, shaped
// like the linker's output, and the converter turns it into a COD file and
// a listing without a message.
#include <gtest/gtest.h>

#include <random>

#include "codconv_fixture.h"

namespace codtest {
namespace {

using qortest::ObjectBuilder;

const std::string kExampleDir = std::string(QOR_SOURCE_DIR) + "/examples/codconv/";

// blink.asm (including ports.inc) linked for the 14-bit device: a reset
// vector, the main code, a romdata word, the ".file"/".eof" runs with the
// listing switches of ports.inc, labels and section symbols.
ObjectBuilder exampleObject() {
  ObjectBuilder builder = objectFor(kWordDevice, "blink.o");
  builder.fileFlags(F_EXEC);
  builder.code("reset").at(0).absolute().bytes({0x10, 0x28}).line(0, 5, 0);
  const std::vector<uint16_t> mainWords = {0x3000, 0x0086, 0x1406, 0x2017, 0x1006, 0x2017,
                                           0x2812, 0x30FF, 0x00A0, 0x0BA0, 0x2819, 0x0008};
  const uint16_t mainLines[] = {8, 9, 10, 11, 12, 13, 14, 16, 17, 18, 19, 20};
  std::vector<uint8_t> mainBytes;
  for (const uint16_t word : mainWords) {
    mainBytes.push_back(static_cast<uint8_t>(word));
    mainBytes.push_back(static_cast<uint8_t>(word >> 8));
  }
  builder.code("main").at(0x10).absolute().bytes(mainBytes);
  for (std::size_t i = 0; i < mainWords.size(); ++i) {
    builder.line(0, mainLines[i], static_cast<uint32_t>(0x10 + i));
  }
  builder.romdata("version").at(0x1F0).absolute().bytes({0x01, 0x02});

  builder.fileSymbol("blink.asm").fileSymbol("ports.inc", 2);
  builder.symbol(".nolist", 2, N_DEBUG, C_STAT).symbol(".list", 5, N_DEBUG, C_STAT);
  builder.symbol("SCRATCH", 0x21, N_ABS, C_STAT).symbol("PORTB", 0x06, N_ABS, C_STAT);
  builder.symbol("TRISB", 0x86, N_ABS, C_STAT).symbol("COUNT", 0x20, N_ABS, C_STAT);
  endOfFile(builder);
  builder.global("start", 0x10, 2).symbol("loop", 0x12, 2, C_LABEL);
  builder.symbol("delay", 0x17, 2, C_LABEL).symbol("wait", 0x19, 2, C_LABEL);
  builder.symbol("version", 0x1F0, 3, C_LABEL);
  endOfFile(builder);
  builder.symbol("reset", 0, 1, C_SECTION).aux(AuxScn{2, 0, 1});
  builder.symbol("main", 0x10, 2, C_SECTION).aux(AuxScn{24, 0, 12});
  builder.symbol("version", 0x1F0, 3, C_SECTION).aux(AuxScn{2, 0, 0});
  return builder;
}

TEST(Example, ObjectFileIsTheDescribedOne) {
  EXPECT_EQ(qortest::readFileBytes(kExampleDir + "blink.o"), exampleObject().image());
}

TEST(Example, ConvertsWithoutMessages) {
  qortest::ScratchDir dir;
  for (const char* name : {"blink.o", "blink.asm", "ports.inc"}) {
    qortest::writeFile(dir.file(name), qortest::readFile(kExampleDir + name));
  }
  const qortest::ProcessResult result = runQortav({"blink.o"}, dir.path());
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output, banner() + summary(0, 0));
  const std::string listing = qortest::readFile(dir.file("blink.lst"));
  EXPECT_NE(
      listing.find(row("000000", "2810", "GOTO      0x10", "        goto    start", "blink.asm")),
      std::string::npos);
  EXPECT_NE(listing.find(row("", "", "", "PORTB   equ     0x06", "ports.inc")), std::string::npos);
  EXPECT_EQ(listing.find("SCRATCH"), std::string::npos);
  EXPECT_TRUE(Cod::make(dir.file("blink.cod")));
}

// Damaged copies of the example: every run ends with a message and one of
// the program's exit codes, never with a signal or a sanitizer report.
TEST(Example, DamagedObjectsNeverCrashTheConverter) {
  const std::vector<uint8_t> good = qortest::readFileBytes(kExampleDir + "blink.o");
  ASSERT_FALSE(good.empty());
  qortest::ScratchDir dir;
  for (const char* name : {"blink.asm", "ports.inc"}) {
    qortest::writeFile(dir.file(name), qortest::readFile(kExampleDir + name));
  }
  std::mt19937 random(2026);
  for (int round = 0; round < 300; ++round) {
    std::vector<uint8_t> bytes = good;
    const int changes = 1 + static_cast<int>(random() % 8);
    for (int change = 0; change < changes; ++change) {
      bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
    }
    ASSERT_TRUE(qortest::writeFileBytes(dir.file("blink.o"), bytes));
    const qortest::ProcessResult result = runQortav({"-q", "-n", "7", "blink.o"}, dir.path());
    ASSERT_FALSE(result.signalled) << "round " << round;
    ASSERT_TRUE(result.exitCode == 0 || result.exitCode == 1 || result.exitCode == 255)
        << "round " << round << ": " << result.exitCode;
    ASSERT_EQ(result.errorOutput, "") << "round " << round;
  }
}

}  // namespace
}  // namespace codtest
