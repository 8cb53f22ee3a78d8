// The program memory width an object states decides where its words land in
// the hex file: a width the converter cannot use is refused before any file
// is written, and the hex files already there stay as they were.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "banners.h"
#include "object_builder.h"
#include "process_runner.h"
#include "program_text.h"

namespace {

using qortest::summary;

struct WidthCase {
  uint32_t romWidthBits;
  std::vector<std::string> arguments;
  int exitCode;
  std::string message;  // the diagnostic between banner and summary
  std::string hexFile;
  std::string hexText;          // expected contents; "" when the old file must stay
  uint32_t lowAddress = 0x100;  // where the first of the two sections lies
};

std::string nothingIn(const std::string& ranges) {
  return "Error - Coff file 'prog.o' has no program memory in the ranges " + ranges + ".\n";
}

std::string refusal(uint32_t bits) {
  return "Error - Coff file 'prog.o' has an invalid program memory width of " +
         std::to_string(bits) + " bits.\n";
}

TEST(QornipProgramWidth, WidthsOfNoneOrAboveSixteenBitsAreRefused) {
  const std::string old = "old hex file\n";
  const std::vector<WidthCase> cases = {
      {0, {"prog.o"}, 1, refusal(0), "prog.hex", ""},
      {0, {"/a", "INHX8S", "prog.o"}, 1, refusal(0), "prog.hxl", ""},
      {17, {"/a", "INHX8M", "prog.o"}, 1, refusal(17), "prog.hex", ""},
      {0xFFFFFFFF, {"/r", "0-0xFFFF", "prog.o"}, 1, refusal(0xFFFFFFFF), "prog.hex", ""},
      // The widest and the narrowest program words are converted.
      {16, {"/a", "INHX8M", "prog.o"}, 0, "", "prog.hex",
       ":020200000102F9\n:02040000030AED\n:00000001FF\n"},
      {1, {"/a", "INHX8M", "prog.o"}, 0, "", "prog.hex",
       ":020100000102FA\n:02020000030AEF\n:00000001FF\n"},
      // A word address brings both bytes of its word; a byte address only its byte.
      {16, {"/r", "0x100-0x100", "/a", "INHX8M", "prog.o"}, 0, "", "prog.hex",
       ":020200000102F9\n:00000001FF\n"},
      {8, {"/r", "0x100-0x100", "prog.o"}, 0, "", "prog.hex",
       ":020000040000FA\n:0101000001FD\n:00000001FF\n"},
      {8, {"/r", "0x101-0x101", "/a", "INHX8M", "prog.o"}, 0, "", "prog.hex",
       ":0101010002FB\n:00000001FF\n"},
      {8, {"/r", "0x100-0x101", "/a", "INHX8M", "prog.o"}, 0, "", "prog.hex",
       ":0101010001FC\n:00000001FF\n", 0x101},
      {8, {"/r", "0x102-0x1FF", "prog.o"}, 1, nothingIn("0x00000102-0x000001ff"), "prog.hex", ""},
      // The split layout: a half of a word that no selected byte gives is 0x00.
      {8, {"/r", "0x101-0x200", "/a", "INHX8S", "prog.o"}, 0, "", "prog.hxl",
       ":01008000007F\n:0101000003FB\n:00000001FF\n"},
      {8, {"/r", "0x101-0x200", "/a", "INHX8S", "prog.o"}, 0, "", "prog.hxh",
       ":01008000027D\n:0101000000FE\n:00000001FF\n"},
  };
  for (const WidthCase& c : cases) {
    qortest::ScratchDir dir;
    qortest::ObjectBuilder builder("prog.o");
    builder.processor(0, c.romWidthBits, 8);
    builder.code(".low").at(c.lowAddress).bytes({1, 2}).code(".high").at(0x200).bytes({3, 10});
    builder.global("program_entry", 0, N_ABS);
    builder.writeFile(dir.file("prog.o"));
    const std::vector<uint8_t> object = qortest::readFileBytes(dir.file("prog.o"));
    qortest::writeFile(dir.file(c.hexFile), old);

    const qortest::ProcessResult result = qortest::runProgram(QORNIP_PATH, c.arguments, dir.path());
    std::string what = std::to_string(c.romWidthBits) + " bits,";
    for (const std::string& argument : c.arguments) what += " " + argument;
    EXPECT_EQ(result.exitCode, c.exitCode) << what;
    EXPECT_EQ(result.output, qortest::startupLines(hexBanner()) + c.message +
                                 summary(c.exitCode == 0 ? 0 : 1))
        << what;
    EXPECT_EQ(qortest::readFile(dir.file(c.hexFile)), c.hexText.empty() ? old : c.hexText) << what;
    EXPECT_EQ(qortest::readFileBytes(dir.file("prog.o")), object) << what;
    if (c.exitCode != 0) {
      EXPECT_FALSE(qortest::fileExists(dir.file("prog.hxh"))) << what;
    }
  }
}

}  // namespace
