// What the switches and the command file change about a link's files: the
// partial map of a failed allocation, no map without "-m", the default
// output name, the fill of unused program memory, and the stripped output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "family_inputs.h"

namespace qorlantest {
namespace {

constexpr uint8_t kVesk = 52;
constexpr uint8_t kOstra = 128;

// Allocation runs out of page0 at .text, after the vector, the stack, a
// shared and an absolute access section and the largest code section have
// been placed; the data section after it is never reached.
const char* const kCrowdedTarget =
    "CODEPAGE   NAME=vectors START=0x0   END=0x3   PROTECTED\n"
    "CODEPAGE   NAME=page0   START=0x4   END=0x1F\n"
    "SHAREBANK  NAME=shr     START=0x70  END=0x7F\n"
    "SHAREBANK  NAME=shr     START=0xF0  END=0xFF\n"
    "DATABANK   NAME=gpr0    START=0x20  END=0x6F\n"
    "ACCESSBANK NAME=acc     START=0x120 END=0x12F\n"
    "SECTION    NAME=reset   ROM=vectors\n"
    "SECTION    NAME=flags   RAM=shr\n"
    "STACK      SIZE=0x8     RAM=gpr0\n";

void putCrowdedLink(const Workspace& work) {
  ObjectBuilder main = objectFor(kVesk, "main.o");
  main.code("reset").bytes(wordBytes({0x2800}));
  main.code(".text").bytes(std::vector<uint8_t>(20, 0));
  main.code("big").bytes(std::vector<uint8_t>(40, 0));
  main.udata("vars", 4);
  main.udata("flags", 1).shared();
  main.udata("hwregs", 4).at(0x120).absolute().access();
  main.global("entry", 0, 2);
  work.putText("link.lkr", kCrowdedTarget);
  work.put(main, "main.o");
}

const std::string kCrowdedFailure =
    "section '.text' can not fit the section. Section '.text' length=0x00000014";

TEST_F(QorlanRun, AllocationFailureLeavesThePartialMap) {
  putCrowdedLink(cWork);
  const ProcessResult result = qorlan({"link.lkr", "main.o", "-m", "crowded.map"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output, banner() + error(kCrowdedFailure) + summary(1));
  expectExpectedFile(maskMapTime(cWork.contents("crowded.map")), "partial.map");
  EXPECT_FALSE(cWork.exists("a.out"));
}

std::vector<std::string> filesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Without "-m" neither a failed nor a successful link writes a map, and
// without "-o" the output is "a.out".
TEST_F(QorlanRun, NoMapWithoutTheSwitch) {
  putCrowdedLink(cWork);
  EXPECT_EQ(qorlan({"link.lkr", "main.o"}).output, banner() + error(kCrowdedFailure) + summary(1));
  EXPECT_EQ(filesIn(cWork.path()), (std::vector<std::string>{"link.lkr", "main.o"}));

  cWork.putText("link.lkr",
                "CODEPAGE NAME=page0 START=0x0 END=0x7FF\n"
                "DATABANK NAME=gpr0 START=0x20 END=0x6F\n"
                "SHAREBANK NAME=shr START=0x70 END=0x7F\n"
                "ACCESSBANK NAME=acc START=0x120 END=0x12F\n");
  const ProcessResult linked = qorlan({"link.lkr", "main.o"});
  EXPECT_EQ(linked.exitCode, 0);
  EXPECT_EQ(linked.output, banner() + summary(0));
  EXPECT_EQ(filesIn(cWork.path()), (std::vector<std::string>{"a.out", "link.lkr", "main.o"}));
  cWork.readBack("a.out");
}

// main.o holds one code section of 4 bytes and, for some cases, absolute
// code sections of one word that split pages into two holes; the init table
// of a link without idata (2 bytes; 2 locations on a 14-bit core) is the
// only other section. The fill covers what the pages keep free.
struct FillCase {
  std::string name;
  uint8_t device;
  std::vector<uint32_t> fixed;  // addresses of the absolute sections
  std::string target;
  std::string warning;  // the memory the fill warning names, or none
  std::string fills;    // the fill sections: number, name, address, flags, bytes
};

std::ostream& operator<<(std::ostream& out, const FillCase& fill) { return out << fill.name; }

std::string fillWarning(const std::string& memory) {
  return warning("Fill pattern for memory '" + memory +
                 "' doesn't divide evenly into\n          unused program locations.  Last value "
                 "was truncated.");
}

// Each ".fill_" section of the object as a line "number name address
// flags: bytes".
std::string fillSections(const Coff& object) {
  std::string text;
  for (const auto& [number, name] : object.cScnNum) {
    if (name.rfind(".fill_", 0) != 0) continue;
    const SectionHeader& header = object.cScnHdr.at(name);
    char line[64];
    std::snprintf(line, sizeof line, "%d %s 0x%04x flags 0x%04x:", number, name.c_str(),
                  header.s_paddr, header.s_flags);
    text += line;
    const auto data = object.cRawData.find(name);
    for (uint32_t at = 0; data != object.cRawData.end() && at < data->second.size(); ++at) {
      std::snprintf(line, sizeof line, " %02x", data->second.data()[at]);
      text += line;
    }
    text += "\n";
  }
  return text;
}

std::string repeated(const std::string& bytes, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += bytes;
  return text;
}

const std::vector<FillCase> kFillCases = {
    // The smallest page takes both sections and is left full; the largest
    // keeps 16 words of 0x3FFF, which the one-word pattern divides; the
    // page without FILL= gets nothing.
    {"WordPatternDividesTheHole",
     kVesk,
     {},
     "CODEPAGE NAME=page0 START=0x0 END=0xF FILL=0x3FFF\n"
     "CODEPAGE NAME=page1 START=0x10 END=0x13 FILL=0x1\n"
     "CODEPAGE NAME=page2 START=0x14 END=0x17\n",
     "",
     "3 .fill_1 0x0000 flags 0x0020:" + repeated(" ff 3f", 16) + "\n"},
    // Two filled pages split in two holes each, the sections in a third:
    // the fills are numbered page by page, holes in free-list order; short
    // patterns are padded to whole words.
    {"HolesOfTwoPagesInOrder",
     kVesk,
     {0x5, 0x14},
     "CODEPAGE NAME=page0 START=0x0 END=0xF FILL=0x1\n"
     "CODEPAGE NAME=page1 START=0x10 END=0x1C FILL=0X00002\n"
     "CODEPAGE NAME=page2 START=0x20 END=0x23\n",
     "",
     "5 .fill_1 0x0000 flags 0x0020:" + repeated(" 01 00", 5) + "\n" +
         "6 .fill_2 0x0006 flags 0x0020:" + repeated(" 01 00", 10) + "\n" +
         "7 .fill_3 0x0010 flags 0x0020:" + repeated(" 00 00 02 00", 2) + "\n" +
         "8 .fill_4 0x0015 flags 0x0020:" + repeated(" 00 00 02 00", 4) + "\n"},
    // Six bytes of a two-word pattern on a byte-wide page: one word short.
    {"TwoWordPatternTruncated",
     kOstra,
     {},
     "CODEPAGE NAME=rom START=0x0 END=0xB FILL=0x12345678\n",
     "rom",
     "3 .fill_1 0x0006 flags 0x0020: 34 12 78 56 34 12\n"},
    // A decimal value on a hole of five bytes.
    {"DecimalValueOnAnOddHole",
     kOstra,
     {},
     "CODEPAGE NAME=rom START=0x0 END=0xA FILL=255\n",
     "rom",
     "3 .fill_1 0x0006 flags 0x0020: ff 00 ff 00 ff\n"},
};

class FillTest : public QorlanRun, public ::testing::WithParamInterface<FillCase> {};

TEST_P(FillTest, FillsTheFreeProgramMemory) {
  const FillCase& fill = GetParam();
  ObjectBuilder main = objectFor(fill.device, "main.o");
  main.code(".text").bytes({0x00, 0x00, 0x00, 0x00}).global("entry", 0, 1);
  for (uint32_t address : fill.fixed)
    main.code("fixed" + std::to_string(address)).at(address).absolute().bytes({0x00, 0x00});
  cWork.put(main, "main.o");
  cWork.putText("link.lkr", fill.target);
  const ProcessResult result = qorlan({"link.lkr", "main.o"});
  EXPECT_EQ(result.exitCode, 0);
  const std::string warnings = fill.warning.empty() ? "" : fillWarning(fill.warning);
  EXPECT_EQ(result.output, banner() + warnings + summary(0, fill.warning.empty() ? 0 : 1));
  const std::unique_ptr<Coff> output = cWork.readBack("a.out");
  ASSERT_NE(output, nullptr);
  EXPECT_EQ(fillSections(*output), fill.fills);
}

INSTANTIATE_TEST_SUITE_P(Fills, FillTest, ::testing::ValuesIn(kFillCases),
                         [](const ::testing::TestParamInfo<FillCase>& info) {
                           return info.param.name;
                         });

// Only the names the fill gives its sections are refused to inputs, and
// only when a code page has FILL=: other inputs keep their sections.
TEST_F(QorlanRun, InputSectionsOfFillLikeNames) {
  const std::vector<std::pair<std::string, std::string>> links = {
      {".fill_1", ""},               // no fill, so the name is free
      {".fill_01", " FILL=0x3FFF"},  // a name the fill never gives
  };
  for (const auto& [section, fill] : links) {
    ObjectBuilder main = objectFor(kVesk, "main.o");
    main.code(section).bytes({0x01, 0x00}).global("entry", 0, 1);
    cWork.put(main, "main.o");
    cWork.putText("link.lkr", "CODEPAGE NAME=page0 START=0x0 END=0x7" + fill + "\n");
    EXPECT_EQ(qorlan({"link.lkr", "main.o"}).output, banner() + summary(0)) << section;
    const std::unique_ptr<Coff> output = cWork.readBack("a.out");
    ASSERT_NE(output, nullptr);
    EXPECT_EQ(output->cRawData.at(section).data()[0], 0x01) << section;
  }
}

// The family link once more with its inputs in directories, named by
// command files that are themselves found through the search paths: the
// same object and map as with every name on the command line.
TEST_F(QorlanRun, InputsFoundThroughCommandFilesAndPaths) {
  const FamilyLink link = veskLink();
  link.prepare(cWork);
  ASSERT_EQ(qorlan(link.arguments).exitCode, 0);
  namespace fs = std::filesystem;
  for (const char* dir : {"obj", "lib", "lkr", "cmd"}) fs::create_directory(cWork.file(dir));
  fs::rename(cWork.file("main.o"), cWork.file("obj/main.o"));
  fs::rename(cWork.file("util.o"), cWork.file("obj/util.o"));
  fs::rename(cWork.file("mathlib.lib"), cWork.file("lib/mathlib.lib"));
  fs::rename(cWork.file("vesk.lkr"), cWork.file("lkr/target.lkr"));
  cWork.putText("cmd/top.lkr",
                "LKRPATH lkr\nINCLUDE target.lkr\nLIBPATH obj\nFILES main.o util.o mathlib.lib\n");

  const ProcessResult moved =
      qorlan({"-k", "cmd", "-l", "lib/", "top.lkr", "-m", "moved.map", "-o", "moved.out"});
  EXPECT_EQ(moved.output, banner() + summary(0));
  EXPECT_EQ(objectText(cWork.contents("moved.out")), objectText(cWork.contents("vesk.out")));
  EXPECT_EQ(maskMapTime(cWork.contents("moved.map")), maskMapTime(cWork.contents("vesk.map")));
  cWork.readBack("moved.out");
}

// "-s" leaves the symbols and line numbers out of the family's output and
// marks it stripped; the sections are those of the full link.
TEST_F(QorlanRun, StripLeavesSymbolsAndLinesOut) {
  const FamilyLink link = mirelLink();
  link.prepare(cWork);
  std::vector<std::string> arguments = link.arguments;
  arguments.push_back("-s");
  const ProcessResult result = qorlan(arguments);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output, banner() + summary(0));
  expectExpectedFile(objectText(cWork.contents(link.output)), "mirel_stripped.o.txt");
  cWork.readBack(link.output);
}

}  // namespace
}  // namespace qorlantest
