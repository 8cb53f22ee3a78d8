// The built qornip on absolute objects made with the object builder: files
// byte for byte, console output, exit codes, and srecord's reading of
// every hex file produced.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "banners.h"
#include "folder_snapshot.h"
#include "object_builder.h"
#include "process_runner.h"
#include "program_text.h"
#include "srecord_check.h"

namespace {

namespace fs = std::filesystem;
using hexcheck::ByteMap;

const uint32_t kWordMemory = 14;  // program word width in bits: 2 bytes per address
const uint32_t kByteMemory = 8;   // 1 byte per address

struct RomPiece {
  std::string name;
  uint32_t flags;
  uint32_t paddr;
  std::vector<uint8_t> bytes;
};

std::vector<uint8_t> counting(uint8_t first, size_t count) {
  std::vector<uint8_t> bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(first + i);
  return bytes;
}

qortest::ObjectBuilder objectOf(const std::string& name, uint32_t romWidthBits,
                                const std::vector<RomPiece>& pieces) {
  qortest::ObjectBuilder builder(name);
  builder.processor(0, romWidthBits, 8);
  for (const RomPiece& piece : pieces)
    builder.section(piece.name, piece.flags).at(piece.paddr).bytes(piece.bytes);
  // The reader wants a symbol table and a string table.
  builder.global("program_entry", 0, N_ABS);
  return builder;
}

// The bytes each piece puts into program memory, at K x its address.
ByteMap imageOf(uint32_t bytesPerAddress, const std::vector<RomPiece>& pieces) {
  ByteMap image;
  for (const RomPiece& piece : pieces)
    hexcheck::addBytes(image, bytesPerAddress * piece.paddr, piece.bytes);
  return image;
}

using qortest::summary;

std::string banner() { return qortest::startupLines(hexBanner()); }

const std::string kUsage =
    "Usage: qornip [/a <hexformat>] [/r 0xBBBB-0xEEEE]... [/q] <coffFile>\n"
    "   where, <hexformat> is {INHX32, INHX8S, INHX8M} \n"
    "          0xBBBB is the beginning program memory address of a range to include\n"
    "          0xEEEE is the ending program memory address of a range to include\n"
    "   If no /r option is present, all rom sections will be included.\n\n";

class QornipTest : public ::testing::Test {
 protected:
  qortest::ProcessResult run(const std::vector<std::string>& arguments) {
    qortest::ProcessResult result = qortest::runProgram(QORNIP_PATH, arguments, cDir.path());
    EXPECT_FALSE(result.signalled) << result.errorOutput;
    EXPECT_EQ(result.errorOutput, "");
    return result;
  }
  // Runs qornip on an object and expects success and the quiet-free console.
  void convert(const std::vector<std::string>& arguments) {
    qortest::ProcessResult result = run(arguments);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, banner() + summary(0));
  }
  std::string write(const qortest::ObjectBuilder& builder, const std::string& name = "prog.o") {
    return builder.writeFile(cDir.file(name));
  }
  std::string contents(const std::string& name) { return qortest::readFile(cDir.file(name)); }
  bool exists(const std::string& name) { return qortest::fileExists(cDir.file(name)); }
  // Every hex file a test produces is also read by srecord.
  void expectSrecordReads(const std::string& name, const ByteMap& image) {
    EXPECT_TRUE(hexcheck::srecordAgrees(cDir.file(name), image));
  }
  void expectSplitFilesRead(const ByteMap& image) {
    expectSrecordReads("prog.hxl", hexcheck::lowBytes(image));
    expectSrecordReads("prog.hxh", hexcheck::highBytes(image));
  }

  qortest::ScratchDir cDir;
};

const std::vector<RomPiece> kSixWords = {{".code", STYP_CODE, 0x0008, counting(0x10, 12)}};
const std::string kSixWordsRecord = ":0C001000101112131415161718191A1BE2\n";

TEST_F(QornipTest, SixWordsAtWordEightAsInhx32ByDefault) {
  write(objectOf("prog.o", kWordMemory, kSixWords));
  convert({"prog.o"});
  EXPECT_EQ(contents("prog.hex"), ":020000040000FA\n" + kSixWordsRecord + ":00000001FF\n");
  expectSrecordReads("prog.hex", imageOf(2, kSixWords));
}

TEST_F(QornipTest, SixWordsAtWordEightAsInhx8m) {
  write(objectOf("prog.o", kWordMemory, kSixWords));
  convert({"/a", "INHX8M", "prog.o"});
  EXPECT_EQ(contents("prog.hex"), kSixWordsRecord + ":00000001FF\n");
  expectSrecordReads("prog.hex", imageOf(2, kSixWords));
}

TEST_F(QornipTest, TwentyWordsAtWordFiveAsInhx8s) {
  const std::vector<RomPiece> pieces = {{".code", STYP_CODE, 0x0005, counting(0x20, 40)}};
  write(objectOf("prog.o", kWordMemory, pieces));
  convert({"-A", "INHX8S", "prog.o"});
  EXPECT_EQ(contents("prog.hxl"),
            ":0B00050020222426282A2C2E30323422\n:0900100036383A3C3E40424446B9\n:00000001FF\n");
  EXPECT_EQ(contents("prog.hxh"),
            ":0B00050021232527292B2D2F31333517\n:0900100037393B3D3F41434547B0\n:00000001FF\n");
  EXPECT_FALSE(exists("prog.hex"));
  expectSplitFilesRead(imageOf(2, pieces));
}

TEST_F(QornipTest, ElevenSixteenAndThirteenByteRecords) {
  const std::vector<RomPiece> pieces = {{".data", STYP_ROMDATA, 0x0005, counting(0x80, 40)}};
  write(objectOf("prog.o", kByteMemory, pieces));
  convert({"/a", "INHX8M", "prog.o"});
  EXPECT_EQ(contents("prog.hex"),
            ":0B000500808182838485868788898A39\n"
            ":100010008B8C8D8E8F909192939495969798999AB8\n"
            ":0D0020009B9C9D9E9FA0A1A2A3A4A5A6A7A6\n"
            ":00000001FF\n");
  expectSrecordReads("prog.hex", imageOf(1, pieces));
}

TEST_F(QornipTest, OddByteCountOnWordMemoryGetsATrailingZero) {
  const std::vector<RomPiece> pieces = {{".code", STYP_CODE, 0x0010, {0x01, 0x02, 0x03}}};
  write(objectOf("prog.o", kWordMemory, pieces));
  convert({"prog.o"});
  EXPECT_EQ(contents("prog.hex"), ":020000040000FA\n:0400200001020300D6\n:00000001FF\n");
  ByteMap image = imageOf(2, pieces);
  image[0x23] = 0x00;
  expectSrecordReads("prog.hex", image);
}

TEST_F(QornipTest, OddSectionsOnByteMemoryDoNotOverlapTheirNeighbours) {
  const std::vector<RomPiece> pieces = {{".a", STYP_CODE, 0x0100, {0x01, 0x02, 0x03}},
                                        {".b", STYP_ROMDATA, 0x0103, {0x04}}};
  write(objectOf("prog.o", kByteMemory, pieces));
  convert({"prog.o"});
  EXPECT_EQ(contents("prog.hex"),
            ":020000040000FA\n:03010000010203F6\n:0101030004F7\n:00000001FF\n");
  expectSrecordReads("prog.hex", imageOf(1, pieces));
}

// Each byte lies in the word its byte address names; two sections that
// meet inside a word give it once, with both bytes; the half of a word that
// no section gives is 0x00, at either end.
TEST_F(QornipTest, SplitLayoutOnByteMemoryKeepsEveryByteInItsWord) {
  const std::vector<RomPiece> pieces = {{".a", STYP_ROMDATA, 0x0011, {0xAA, 0xBB, 0xCC}},
                                        {".b", STYP_CODE, 0x0020, {0x01, 0x02, 0x03}},
                                        {".c", STYP_ROMDATA, 0x0023, {0x04}},
                                        {".d", STYP_CODE, 0x0100, {0x01, 0x02, 0x03}}};
  write(objectOf("prog.o", kByteMemory, pieces));
  convert({"/a", "INHX8S", "prog.o"});
  EXPECT_EQ(contents("prog.hxl"),
            ":0200080000BB3B\n:020010000103EA\n:0200800001037A\n:00000001FF\n");
  EXPECT_EQ(contents("prog.hxh"),
            ":02000800AACC80\n:020010000204E8\n:0200800002007C\n:00000001FF\n");
  ByteMap image = imageOf(1, pieces);
  image[0x10] = 0x00;
  image[0x103] = 0x00;
  expectSplitFilesRead(image);
}

TEST_F(QornipTest, OnlyCodeAndRomdataSectionsAreConverted) {
  qortest::ObjectBuilder builder =
      objectOf("prog.o", kWordMemory, {{".code", STYP_CODE, 0x0, {0xAA, 0xBB}}});
  builder.idata(".idata")
      .at(0x20)
      .bytes({1, 2})
      .udata(".udata", 4)
      .at(0x30)
      .section(".none", 0)
      .at(0x40)
      .bytes({3, 4});
  write(builder);
  convert({"/a", "INHX8M", "prog.o"});
  EXPECT_EQ(contents("prog.hex"), ":02000000AABB99\n:00000001FF\n");
  expectSrecordReads("prog.hex", {{0x00, 0xAA}, {0x01, 0xBB}});
}

TEST_F(QornipTest, TwoRangesCutOneSectionIntoTwoBlocks) {
  const std::vector<RomPiece> pieces = {{".code", STYP_CODE, 0x0010, counting(0x00, 16)}};
  write(objectOf("prog.o", kWordMemory, pieces));
  convert({"/r", "0x10-0x11", "/r", "0x15-0x16", "/a", "INHX8M", "prog.o"});
  EXPECT_EQ(contents("prog.hex"), ":0400200000010203D6\n:04002A000A0B0C0DA4\n:00000001FF\n");
  ByteMap image;
  hexcheck::addBytes(image, 0x20, {0x00, 0x01, 0x02, 0x03});
  hexcheck::addBytes(image, 0x2A, {0x0A, 0x0B, 0x0C, 0x0D});
  expectSrecordReads("prog.hex", image);
}

TEST_F(QornipTest, RangesOnByteMemorySelectByteAddresses) {
  const std::vector<RomPiece> pieces = {{".code", STYP_CODE, 0x0100, counting(0x00, 16)}};
  write(objectOf("prog.o", kByteMemory, pieces));
  convert({"/r", "0x104-0x107", "prog.o"});
  EXPECT_EQ(contents("prog.hex"), ":020000040000FA\n:0401040004050607E1\n:00000001FF\n");
  ByteMap image;
  hexcheck::addBytes(image, 0x104, {0x04, 0x05, 0x06, 0x07});
  expectSrecordReads("prog.hex", image);
}

TEST_F(QornipTest, Inhx32CrossingSixtyFourK) {
  const std::vector<RomPiece> pieces = {{".code", STYP_CODE, 0x7FFC, counting(0x01, 16)}};
  write(objectOf("prog.o", kWordMemory, pieces));
  convert({"prog.o"});
  EXPECT_EQ(contents("prog.hex"),
            ":020000040000FA\n:08FFF8000102030405060708DD\n"
            ":020000040001F9\n:08000000090A0B0C0D0E0F1094\n:00000001FF\n");
  expectSrecordReads("prog.hex", imageOf(2, pieces));
}

TEST_F(QornipTest, SixteenBitLayoutsStopAboveSixtyFourKWithoutWritingAFile) {
  write(objectOf("prog.o", kWordMemory, {{".code", STYP_CODE, 0x7FFC, counting(0x01, 16)}}));
  qortest::writeFile(cDir.file("prog.hex"), "an older hex file\n");
  qortest::ProcessResult result = run({"/a", "INHX8M", "prog.o"});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_EQ(result.output,
            banner() +
                "Error - Selected hex format does not support byte addresses above 64kb; use "
                "INHX32 format!\n" +
                summary(1));
  EXPECT_EQ(contents("prog.hex"), "an older hex file\n");

  write(objectOf("prog.o", kWordMemory, {{".code", STYP_CODE, 0x10000, {0x01, 0x02}}}));
  result = run({"/a", "INHX8S", "prog.o"});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_FALSE(exists("prog.hxl"));
  EXPECT_FALSE(exists("prog.hxh"));
}

// Byte addresses past 32 bits would wrap around onto address 0, over the
// reset vector: such a section is refused in every layout, with ranges too,
// and no hex file is written. A last byte at 0xFFFFFFFF still fits.
TEST_F(QornipTest, SectionBeyondTheHexAddressesIsRefused) {
  struct Case {
    uint32_t romWidthBits;
    RomPiece piece;
    std::vector<std::string> switches;
  };
  const std::vector<Case> refused = {
      {kWordMemory, {".far", STYP_CODE, 0x80000000, {0x01, 0x02}}, {}},
      // The pad byte that completes the last word lies beyond.
      {kWordMemory, {".far", STYP_CODE, 0x7FFFFFFF, {0x01, 0x02, 0x03}}, {"/a", "INHX8M"}},
      {kByteMemory, {".far", STYP_ROMDATA, 0xFFFFFFFF, {1, 2, 3, 4}}, {"/r", "0x0-0x1"}},
      {kWordMemory, {".far", STYP_CODE, 0xFFFFFFFF, {0x01, 0x02}}, {"/a", "INHX8S"}},
  };
  const std::string kBeyond =
      "Error - Coff file 'prog.o', section '.far' lies beyond the addresses a hex file can hold.\n";
  for (const Case& c : refused) {
    write(objectOf("prog.o", c.romWidthBits, {c.piece}));
    qortest::writeFile(cDir.file("prog.hex"), "an older hex file\n");
    std::vector<std::string> arguments = c.switches;
    arguments.push_back("prog.o");
    qortest::ProcessResult result = run(arguments);
    EXPECT_EQ(result.exitCode, 1) << c.piece.paddr;
    EXPECT_EQ(result.output, banner() + kBeyond + summary(1));
    EXPECT_EQ(contents("prog.hex"), "an older hex file\n");
    EXPECT_FALSE(exists("prog.hxl"));
  }

  write(objectOf("prog.o", kWordMemory, {{".top", STYP_CODE, 0x7FFFFFFF, {0x01, 0x02}}}));
  convert({"prog.o"});
  EXPECT_EQ(contents("prog.hex"), ":02000004FFFFFC\n:02FFFE000102FE\n:00000001FF\n");
  write(objectOf("prog.o", kByteMemory, {{".top", STYP_ROMDATA, 0xFFFFFFFF, {0x01}}}));
  convert({"prog.o"});
  EXPECT_EQ(contents("prog.hex"), ":02000004FFFFFC\n:01FFFF000100\n:00000001FF\n");
}

TEST_F(QornipTest, InputInAnotherDirectoryWritesIntoTheCurrentOne) {
  fs::create_directory(cDir.file("sub"));
  write(objectOf("sub/Prog.Obj.o", kWordMemory, kSixWords), "sub/Prog.Obj.o");
  convert({"sub/Prog.Obj.o"});
  EXPECT_EQ(contents("Prog.Obj.hex"), ":020000040000FA\n" + kSixWordsRecord + ":00000001FF\n");
  EXPECT_FALSE(exists("sub/Prog.Obj.hex"));
  expectSrecordReads("Prog.Obj.hex", imageOf(2, kSixWords));
}

TEST_F(QornipTest, SwitchMessagesAndUsageEndWithoutSummary) {
  struct Case {
    std::vector<std::string> arguments;
    std::string text;
  };
  const std::vector<Case> cases = {
      {{"/r", "0x200-0x100", "prog.o"}, "/r requires 0xBBBB-0xEEEE where 0xEEEE >= 0xBBBB\n"},
      {{"/r", "0x1G-0x20", "prog.o"}, "/r requires 0xBBBB-0xEEEE where 0xEEEE >= 0xBBBB\n"},
      {{"/a", "inhx32", "prog.o"}, "-a switch requires {INHX32, INHX8S, INHX8M}\n"},
      {{}, kUsage},
      {{"a.o", "b.o"}, kUsage},
      {{"prog.o", "/r"}, kUsage},
  };
  for (const Case& c : cases) {
    qortest::ProcessResult result = run(c.arguments);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.output, banner() + c.text);
  }
  for (std::vector<std::string> arguments :
       {std::vector<std::string>{"/q"}, std::vector<std::string>{"/Q", "/a", "hex", "prog.o"}}) {
    qortest::ProcessResult quiet = run(arguments);
    EXPECT_EQ(quiet.exitCode, 1);
    EXPECT_EQ(quiet.output, "");
  }
}

TEST_F(QornipTest, QuietRunPrintsNothing) {
  write(objectOf("prog.o", kWordMemory, kSixWords));
  qortest::ProcessResult result = run({"prog.o", "-Q"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output, "");
  expectSrecordReads("prog.hex", imageOf(2, kSixWords));
}

// The quiet scan looks at the program's own name too.
TEST_F(QornipTest, ProgramCalledByAQuietSwitchNameIsQuiet) {
  write(objectOf("prog.o", kWordMemory, kSixWords));
  fs::create_symlink(QORNIP_PATH, cDir.file("-q"));
  qortest::ProcessResult result = qortest::runProgram("-q", {"prog.o"}, cDir.path());
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output, "");
  expectSrecordReads("prog.hex", imageOf(2, kSixWords));
}

TEST_F(QornipTest, UnreadableObjectFails) {
  qortest::ProcessResult result = run({"missing.o"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output,
            banner() + "Error - Could not open Coff file 'missing.o' for reading.\n" + summary(1));
  qortest::writeFile(cDir.file("junk.o"), "not an object file at all");
  result = run({"junk.o"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_FALSE(exists("junk.hex"));
  // Every cut of a real object is refused cleanly, never converted from
  // bytes that are not there.
  std::vector<uint8_t> image = objectOf("cut.o", kWordMemory, kSixWords).image();
  for (size_t length = 0; length < image.size(); ++length) {
    const std::vector<uint8_t> cut(image.begin(), image.begin() + static_cast<long>(length));
    ASSERT_TRUE(qortest::writeFileBytes(cDir.file("cut.o"), cut));
    result = run({"/q", "cut.o"});
    EXPECT_EQ(result.exitCode, 1) << length;
  }
  EXPECT_FALSE(exists("cut.hex"));
}

// The older layout has no optional header, so the program word width is unknown.
TEST_F(QornipTest, ObjectWithoutOptionalHeaderIsNotConverted) {
  std::vector<uint8_t> image = objectOf("prog.o", kWordMemory, kSixWords).image();
  ASSERT_GE(image.size(), 36u);
  const uint16_t sections = readLe16(image.data() + 2);
  image.erase(image.begin() + 20, image.begin() + 36);
  writeLe16(image.data() + 16, 0);
  auto moveBack = [&](size_t at) {
    if (readLe32(image.data() + at) != 0)
      writeLe32(image.data() + at, readLe32(image.data() + at) - 16);
  };
  moveBack(8);
  for (uint16_t j = 0; j < sections; ++j) {
    for (size_t field : {20u, 24u, 28u}) moveBack(20 + 40 * j + field);
  }
  ASSERT_TRUE(qortest::writeFileBytes(cDir.file("prog.o"), image));
  qortest::ProcessResult result = run({"prog.o"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output,
            banner() + "Error - Coff file 'prog.o' missing optional file header.\n" + summary(1));
  EXPECT_FALSE(exists("prog.hex"));
}

TEST_F(QornipTest, HexFileThatCannotBeOpened) {
  write(objectOf("prog.o", kWordMemory, kSixWords));
  fs::create_directory(cDir.file("prog.hex"));
  qortest::ProcessResult result = run({"prog.o"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output,
            banner() + "Error - Could not open hex file 'prog.hex' for writing.\n" + summary(1));
}

// A hex file name that is a link to a file not there yet: the file is
// created where the link points and the link stays. A link into a folder
// that does not exist is refused, as a plain open would refuse it.
TEST_F(QornipTest, HexFileNamedByADanglingLink) {
  write(objectOf("prog.o", kWordMemory, kSixWords));
  fs::create_directory(cDir.file("out"));
  fs::create_symlink("out/new.hex", cDir.file("prog.hex"));
  convert({"prog.o"});
  EXPECT_TRUE(fs::is_symlink(cDir.file("prog.hex")));
  EXPECT_EQ(contents("out/new.hex"), ":020000040000FA\n" + kSixWordsRecord + ":00000001FF\n");

  fs::remove(cDir.file("prog.hex"));
  fs::create_symlink("missing/new.hex", cDir.file("prog.hex"));
  qortest::ProcessResult result = run({"prog.o"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output,
            banner() + "Error - Could not open hex file 'prog.hex' for writing.\n" + summary(1));
  EXPECT_TRUE(fs::is_symlink(cDir.file("prog.hex")));
  EXPECT_FALSE(fs::exists(cDir.file("missing")));
}

// The independent reader is only worth something if it rejects bad files.
TEST_F(QornipTest, SrecordCheckRejectsWrongFiles) {
  if (!hexcheck::srecordAvailable()) GTEST_SKIP() << "srecord is not installed";
  qortest::writeFile(cDir.file("bad.hex"), ":0100100001EF\n:00000001FF\n");
  EXPECT_FALSE(hexcheck::srecordAgrees(cDir.file("bad.hex"), {{0x10, 0x01}}));
  qortest::writeFile(cDir.file("good.hex"), ":0100100001EE\n:00000001FF\n");
  EXPECT_TRUE(hexcheck::srecordAgrees(cDir.file("good.hex"), {{0x10, 0x01}}));
  EXPECT_FALSE(hexcheck::srecordAgrees(cDir.file("good.hex"), {{0x10, 0x02}}));
  qortest::writeFile(cDir.file("twice.hex"), ":0100100001EE\n:0100100002ED\n:00000001FF\n");
  EXPECT_FALSE(hexcheck::srecordAgrees(cDir.file("twice.hex"), {{0x10, 0x01}}));
}

}  // namespace

namespace {

// The roads on which qornip must leave every file as it was: a hex file
// that would be the object itself, and a file size limit met with a long
// name or with stale temporaries beside the hex file.
struct HexSafetyRoad {
  std::string name;
  std::string object;  // the object's file name
  std::vector<std::string> arguments;
  std::vector<std::string> oldFiles;  // there before the run, besides the object
  std::string message;
  uint64_t sizeLimit = 0;
  std::string link = {};        // a link made before the run...
  std::string linkTarget = {};  // ...to this file, or to the object when empty
};

std::ostream& operator<<(std::ostream& out, const HexSafetyRoad& road) { return out << road.name; }

std::vector<std::string> staleTemporaries(const std::string& target) {
  std::vector<std::string> names = {target + ".tmp", ".qor000000", ".qorzzzzzz"};
  for (int k = 1; k < 100; ++k) names.push_back(target + ".tmp" + std::to_string(k));
  return names;
}

const std::string kLongBase(248, 'p');  // its hex file's name: 252 characters

const HexSafetyRoad kHexSafetyRoads[] = {
    {"ObjectNamedLikeItsHexFile",
     "x.hex",
     {"x.hex"},
     {},
     "the output file 'x.hex' is the same file as the input 'x.hex'."},
    {"ObjectNamedLikeItsLowBytes",
     "x.hxl",
     {"/a", "INHX8S", "x.hxl"},
     {"x.hxh"},
     "the output file 'x.hxl' is the same file as the input 'x.hxl'."},
    {"ObjectNamedLikeItsHighBytes",
     "x.hxh",
     {"/a", "INHX8S", "x.hxh"},
     {"x.hxl"},
     "the output file 'x.hxh' is the same file as the input 'x.hxh'."},
    {"HexFileLinkedToTheObject",
     "prog.o",
     {"prog.o"},
     {},
     "the output file 'prog.hex' is the same file as the input 'prog.o'.",
     0,
     "prog.hex"},
    {"SplitFilesLinkedToOneFile",
     "prog.o",
     {"/a", "INHX8S", "prog.o"},
     {"prog.hxh"},
     "the output file 'prog.hxl' is the same file as 'prog.hxh'.",
     0,
     "prog.hxl",
     "prog.hxh"},
    {"SplitFilesLinkedToOneNewFile",
     "prog.o",
     {"/a", "INHX8S", "prog.o"},
     {},
     "the output file 'prog.hxl' is the same file as 'prog.hxh'.",
     0,
     "prog.hxh",
     "prog.hxl"},
    // The object's words end at 0x7CF.
    {"RangesThatSelectNothing",
     "prog.o",
     {"/r", "0x800-0x900", "/r", "4096-4096", "prog.o"},
     {"prog.hex"},
     "Coff file 'prog.o' has no program memory in the ranges 0x00000800-0x00000900, "
     "0x00001000-0x00001000."},
    {"SizeLimitKeepsBothSplitFiles",
     "prog.o",
     {"/a", "INHX8S", "prog.o"},
     {"prog.hxl", "prog.hxh"},
     "Could not write hex file 'prog.hxl'.",
     4096},
    {"LongNameUnderASizeLimit",
     kLongBase + ".o",
     {kLongBase + ".o"},
     {kLongBase + ".hex"},
     "Could not write hex file '" + kLongBase + ".hex'.",
     4096},
    {"StaleTemporariesUnderASizeLimit",
     "prog.o",
     {"prog.o"},
     staleTemporaries("prog.hex"),
     "Could not write hex file 'prog.hex'.",
     4096},
};

class HexSafetyTest : public QornipTest, public ::testing::WithParamInterface<HexSafetyRoad> {};

TEST_P(HexSafetyTest, LeavesEveryOldFileWhole) {
  const HexSafetyRoad& road = GetParam();
  // Some 12 KB of hex text in each layout: far past the size limit.
  write(objectOf(road.object, kWordMemory, {{".code", STYP_CODE, 0, counting(0, 4000)}}),
        road.object);
  for (const std::string& name : road.oldFiles) qortest::writeFile(cDir.file(name), "old\n");
  if (!road.link.empty())
    fs::create_symlink(road.linkTarget.empty() ? road.object : road.linkTarget,
                       cDir.file(road.link));
  const auto before = qortest::folderSnapshot(cDir.path());
  const qortest::ProcessResult result =
      qortest::runProgramWithFileLimit(QORNIP_PATH, road.arguments, cDir.path(), road.sizeLimit);
  EXPECT_FALSE(result.signalled);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output, banner() + "Error - " + road.message + "\n" + summary(1));
  EXPECT_EQ(qortest::folderSnapshot(cDir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Roads, HexSafetyTest, ::testing::ValuesIn(kHexSafetyRoads),
                         [](const ::testing::TestParamInfo<HexSafetyRoad>& info) {
                           return info.param.name;
                         });

}  // namespace
