// The converter's command line, messages, exit codes and where its files go.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "codconv_fixture.h"
#include "folder_snapshot.h"
#include "mgproc.h"

namespace codtest {
namespace {

using qortest::ObjectBuilder;
using qortest::ProcessResult;
using qortest::ScratchDir;

const std::string kUsageLine =
    "Usage: qortav [-n, /n <listingPageLength>] [-d, /d] [-q, /q] <coffFile>\n";

// A small program with one source file, written as `path`.
void writeProgram(const ScratchDir& dir, const std::string& path) {
  ObjectBuilder builder = objectFor(kWordDevice, path);
  builder.code(".code").at(0).bytes({0x00, 0x00}).line(0, 1, 0);
  builder.fileSymbol("main.asm");
  endOfFile(builder).symbol("_trail", 0, N_ABS, C_EXT);
  builder.writeFile(path);
  qortest::writeFile(dir.file("main.asm"), "  nop\n");
}

TEST(QortavProgram, WithoutArgumentsPrintsTheUsageWithoutSummary) {
  ScratchDir dir;
  const ProcessResult result = runQortav({}, dir.path());
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output, banner() + kUsageLine);
}

TEST(QortavProgram, QuietUsageErrorPrintsNothing) {
  ScratchDir dir;
  const ProcessResult result = runQortav({"-q"}, dir.path());
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output, "");
}

TEST(QortavProgram, UsageErrors) {
  ScratchDir dir;
  writeProgram(dir, dir.file("prog.o"));
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"prog.o", "other.o"}, {"prog.o", "-n"}, {"/N"}, {"-d"}}) {
    const ProcessResult result = runQortav(arguments, dir.path());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.output, banner() + kUsageLine);
  }
  EXPECT_FALSE(qortest::fileExists(dir.file("prog.cod")));
}

TEST(QortavProgram, PageLengthWithNoListingWarns) {
  ScratchDir dir;
  writeProgram(dir, dir.file("prog.o"));
  const ProcessResult result = runQortav({"-d", "-n", "40", "prog.o"}, dir.path());
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output,
            banner() + "Warning - no listing file generated: /n switch ignored\n" + summary(0, 1));
  EXPECT_TRUE(qortest::fileExists(dir.file("prog.cod")));
  EXPECT_FALSE(qortest::fileExists(dir.file("prog.lst")));
}

TEST(QortavProgram, QuietRunPrintsNothing) {
  ScratchDir dir;
  writeProgram(dir, dir.file("prog.o"));
  const ProcessResult result = runQortav({"prog.o", "/Q"}, dir.path());
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output, "");
  EXPECT_TRUE(qortest::fileExists(dir.file("prog.lst")));
}

TEST(QortavProgram, ListingBesideTheObjectAndCodFileHere) {
  ScratchDir dir;
  ASSERT_EQ(mkdir(dir.file("obj").c_str(), 0755), 0);
  writeProgram(dir, dir.file("obj/prog.o"));
  const ProcessResult result = runQortav({"obj/prog.o"}, dir.path());
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(qortest::fileExists(dir.file("obj/prog.lst")));
  EXPECT_TRUE(qortest::fileExists(dir.file("prog.cod")));
  EXPECT_FALSE(qortest::fileExists(dir.file("obj/prog.cod")));
  EXPECT_FALSE(qortest::fileExists(dir.file("prog.lst")));
}

TEST(QortavProgram, LongBaseNameKeepsItsCodExtension) {
  ScratchDir dir;
  const std::string base(70, 'b');
  writeProgram(dir, dir.file(base + ".o"));
  const ProcessResult result = runQortav({base + ".o", "-d"}, dir.path());
  EXPECT_EQ(result.exitCode, 0);
  const std::string codPath = dir.file(base + ".cod");
  ASSERT_TRUE(qortest::fileExists(codPath));
  EXPECT_FALSE(qortest::fileExists(dir.file(base.substr(0, 63))));
  const std::unique_ptr<Cod> cod = Cod::make(codPath);
  ASSERT_TRUE(cod);
  EXPECT_EQ(cod->cDirectory[0].source(), (base + ".cod").substr(0, 63));
}

TEST(QortavProgram, MissingObjectFile) {
  ScratchDir dir;
  const ProcessResult result = runQortav({"absent.o"}, dir.path());
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output, banner() + "Error - Could not open Coff file 'absent.o' for reading.\n" +
                               summary(1, 0));
}

TEST(QortavProgram, UnknownProcessorTypeIsAnError) {
  uint32_t unknown = 0;
  while (procIsCoffType(static_cast<uint16_t>(unknown))) {
    ++unknown;
  }
  for (const uint32_t procType : {unknown, uint32_t{0x10000} + procCoffType(kWordDevice)}) {
    ScratchDir dir;
    ObjectBuilder builder("prog.o");
    builder.processor(procType, 14, 8);
    builder.code(".code").at(0).bytes({0x00, 0x00}).fileSymbol("main.asm");
    endOfFile(builder).symbol("_trail", 0, N_ABS, C_EXT);
    builder.writeFile(dir.file("prog.o"));
    const ProcessResult result = runQortav({"prog.o"}, dir.path());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.output,
              banner() + "Error - Unsupported processor type in file 'prog.o'\n" + summary(1, 0));
    EXPECT_FALSE(qortest::fileExists(dir.file("prog.cod")));
    EXPECT_FALSE(qortest::fileExists(dir.file("prog.lst")));
  }
}

TEST(QortavProgram, ObjectWithoutCodeOrRomdataIsAnError) {
  ScratchDir dir;
  ObjectBuilder builder = objectFor(kWordDevice, "prog.o");
  builder.code(".empty").idata(".data").at(0x20).bytes({1, 2}).fileSymbol("main.asm");
  endOfFile(builder).symbol("_trail", 0, N_ABS, C_EXT);
  builder.writeFile(dir.file("prog.o"));
  const ProcessResult result = runQortav({"prog.o"}, dir.path());
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(
      result.output,
      banner() +
          "Error - Coff file 'prog.o' must contain at least one 'code' or 'romdata' section.\n" +
          summary(1, 0));
  EXPECT_FALSE(qortest::fileExists(dir.file("prog.cod")));
}

TEST(QortavProgram, ListingThatCannotBeWrittenLeavesNoCodFile) {
  ScratchDir dir;
  writeProgram(dir, dir.file("prog.o"));
  ASSERT_EQ(mkdir(dir.file("prog.lst").c_str(), 0755), 0);
  const ProcessResult result = runQortav({"prog.o"}, dir.path());
  EXPECT_EQ(result.exitCode, 1);
  // Nothing is listed: the source file is never opened.
  EXPECT_EQ(result.output, banner() + "Error - Could not open list file 'prog.lst' for writing.\n" +
                               summary(1, 0));
  // No COD file and no temporary.
  EXPECT_EQ(qortest::folderSnapshot(dir.path()).size(), 2u);
}

TEST(QortavProgram, ExistingListingIsReplaced) {
  ScratchDir dir;
  writeProgram(dir, dir.file("prog.o"));
  qortest::writeFile(dir.file("prog.lst"), "old listing\n");
  EXPECT_EQ(runQortav({"prog.o"}, dir.path()).exitCode, 0);
  const std::string listing = qortest::readFile(dir.file("prog.lst"));
  EXPECT_EQ(listing.find("old listing"), std::string::npos);
  EXPECT_NE(listing.find("  nop"), std::string::npos);
}

}  // namespace
}  // namespace codtest

namespace codtest {
namespace {

namespace fs = std::filesystem;

// The roads on which qortav must leave every file as it was: an output that
// would be the object, a source the object names (with or without a listing)
// or the other output, a COD file refused after the listing was written, and
// a file size limit.
struct CodSafetyRoad {
  std::string name;
  std::string object;  // the object's file name; its source is `source`
  std::string source;
  size_t codeBytes;
  std::vector<std::string> oldFiles;  // there before the run, besides object and source
  std::string message;
  uint64_t sizeLimit = 0;
  std::vector<std::pair<std::string, std::string>> links = {};  // link, its target
  std::vector<std::string> switches = {};                       // given before the object
};

std::ostream& operator<<(std::ostream& out, const CodSafetyRoad& road) { return out << road.name; }

// Code past 65536 blocks of 512 bytes once the 512 directories are added.
constexpr size_t kTooManyBlocks = (size_t{65536} - 256) * 512;

const CodSafetyRoad kCodSafetyRoads[] = {
    {"ObjectNamedLikeItsListing",
     "x.lst",
     "main.asm",
     2,
     {"x.cod"},
     "the output file 'x.lst' is the same file as the input 'x.lst'."},
    {"ObjectNamedLikeItsCodFile",
     "y.cod",
     "main.asm",
     2,
     {"y.lst"},
     "the output file 'y.cod' is the same file as the input 'y.cod'."},
    {"SourceNamedLikeTheListing",
     "x.o",
     "x.lst",
     2,
     {"x.cod"},
     "the output file 'x.lst' is the same file as the input 'x.lst'."},
    {"SourceNamedLikeTheCodFile",
     "x.o",
     "x.cod",
     2,
     {"x.lst"},
     "the output file 'x.cod' is the same file as the input 'x.cod'."},
    {"SourceNamedLikeTheCodFileWithoutListing",
     "x.o",
     "x.cod",
     2,
     {},
     "the output file 'x.cod' is the same file as the input 'x.cod'.",
     0,
     {},
     {"/d"}},
    {"TooManyCodBlocksKeepTheOldListing",
     "x.o",
     "main.asm",
     kTooManyBlocks,
     {"x.lst", "x.cod"},
     "Cod file 'x.cod' would need more than 65536 blocks."},
    {"SizeLimitKeepsBothOldFiles",
     "x.o",
     "main.asm",
     16384,
     {"x.lst", "x.cod", "x.cod.tmp", ".qor000000"},
     "Could not write code block in Cod file 'x.cod'.",
     8192},
    {"ListingLinkedToTheCodFile",
     "x.o",
     "main.asm",
     2,
     {"x.cod"},
     "the output file 'x.lst' is the same file as 'x.cod'.",
     0,
     {{"x.lst", "x.cod"}}},
    {"CodFileLinkedToAListingNotYetThere",
     "x.o",
     "main.asm",
     2,
     {},
     "the output file 'x.lst' is the same file as 'x.cod'.",
     0,
     {{"x.cod", "x.lst"}}},
};

class CodSafetyTest : public ::testing::TestWithParam<CodSafetyRoad> {};

TEST_P(CodSafetyTest, LeavesEveryOldFileWhole) {
  const CodSafetyRoad& road = GetParam();
  ScratchDir dir;
  ObjectBuilder builder = objectFor(kWordDevice, road.object);
  builder.code(".code").at(0).bytes(std::vector<uint8_t>(road.codeBytes, 0)).line(0, 1, 0);
  builder.fileSymbol(road.source);
  endOfFile(builder).symbol("_trail", 0, N_ABS, C_EXT);
  builder.writeFile(dir.file(road.object));
  qortest::writeFile(dir.file(road.source), "  nop\n");
  for (const std::string& name : road.oldFiles) qortest::writeFile(dir.file(name), "old\n");
  for (const auto& [link, target] : road.links) fs::create_symlink(target, dir.file(link));
  const auto before = qortest::folderSnapshot(dir.path());
  std::vector<std::string> arguments = road.switches;
  arguments.push_back(road.object);
  const ProcessResult result =
      qortest::runProgramWithFileLimit(QORTAV_PATH, arguments, dir.path(), road.sizeLimit);
  EXPECT_FALSE(result.signalled);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output, banner() + "Error - " + road.message + "\n" + summary(1, 0));
  EXPECT_EQ(qortest::folderSnapshot(dir.path()), before);
  for (const auto& [link, target] : road.links) EXPECT_EQ(fs::read_symlink(dir.file(link)), target);
}

INSTANTIATE_TEST_SUITE_P(Roads, CodSafetyTest, ::testing::ValuesIn(kCodSafetyRoads),
                         [](const ::testing::TestParamInfo<CodSafetyRoad>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace codtest
