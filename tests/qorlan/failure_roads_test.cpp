// Every road on which the linker refuses its input: the message, the exit
// code, and that no file is written or changed (no output object is left
// behind).
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "archive.h"
#include "folder_snapshot.h"
#include "parser.h"
#include "qorlan_fixture.h"
#include "reloctypes.h"

namespace qorlantest {
namespace {

constexpr uint8_t kVesk = 52;
constexpr uint8_t kOtherVesk = 8;
constexpr uint8_t kZarn = 29;
constexpr uint8_t kOstra = 128;

const char* const kTarget =
    "CODEPAGE NAME=page0 START=0x0 END=0x1FF\n"
    "DATABANK NAME=gpr0 START=0x20 END=0x7F\n";

// main.o calls helper (util.o) and keeps a byte of udata; the two link.
ObjectBuilder caller(uint8_t device = kVesk) {
  ObjectBuilder main = objectFor(device, "main.o");
  main.code(".text").bytes({0x00, 0x20, 0x08, 0x00}).reloc(0, 1, 0, RELOCT_CALL);
  main.udata("vars", 1);
  main.global("entry", 0, 1).externRef("helper");
  return main;
}

ObjectBuilder helper(uint8_t device = kVesk) {
  ObjectBuilder util = objectFor(device, "util.o");
  util.code("utilcode").bytes({0x08, 0x00}).global("helper", 0, 1);
  return util;
}

void putLink(const Workspace& work, const ObjectBuilder& main, const ObjectBuilder& util,
             const std::string& target = kTarget) {
  work.putText("link.lkr", target);
  work.put(main, "main.o");
  work.put(util, "util.o");
}

void putPlainLink(const Workspace& work) { putLink(work, caller(), helper()); }
// The plain link with the command file `target`.
void putTarget(const Workspace& work, const std::string& target) {
  putLink(work, caller(), helper(), target);
}
// The plain link with one relocation in main.o's code (symbol 1 is helper).
void putRelocation(const Workspace& work, uint32_t vaddr, uint32_t symndx, uint16_t type) {
  ObjectBuilder main = objectFor(kVesk, "main.o");
  main.code(".text").bytes({0x00, 0x20, 0x08, 0x00}).reloc(vaddr, symndx, 0, type);
  main.global("entry", 0, 1).externRef("helper");
  putLink(work, main, helper());
}

const std::vector<std::string> kPlainArguments = {"link.lkr", "main.o", "util.o"};

// The plain link's main.o and cut.lib, of the member that the link needs
// and one more; answers the library's bytes.
std::vector<uint8_t> putLibraryOfTwo(const Workspace& work) {
  putPlainLink(work);
  ObjectBuilder spare = objectFor(kVesk, "spare.o");
  spare.code("sparecode").bytes({0x08, 0x00}).global("spare", 0, 1);
  work.putLibrary("cut.lib", {helper(), spare});
  return qortest::readFileBytes(work.file("cut.lib"));
}
size_t secondMemberHeader() {
  return ARCHIVE_MAGIC_LENGTH + MemberHeader::SIZE + helper().image().size();
}

struct FailureRoad {
  std::string name;
  void (*prepare)(const Workspace& work);
  std::vector<std::string> arguments;
  std::string message;  // the one error of the run
  int exitCode = 1;     // 255 when the error is fatal
};

std::ostream& operator<<(std::ostream& out, const FailureRoad& road) { return out << road.name; }

const std::vector<FailureRoad>& failureRoads() {
  static const std::vector<FailureRoad> roads = {
      // The command line.
      {"OutputSwitchLast", putPlainLink, {"link.lkr", "-o"}, "-o switch requires <filename>"},
      {"OutputNameIsASwitch",
       putPlainLink,
       {"-o", "-m", "link.lkr"},
       "-o switch requires <filename>"},
      {"MapSwitchLast", putPlainLink, {"link.lkr", "-m"}, "-m switch requires <filename>"},
      {"EmptyLibraryPath",
       putPlainLink,
       {"-l", "a;;b", "link.lkr"},
       "-l switch requires <pathlist>"},
      {"EmptyCommandFilePath",
       putPlainLink,
       {"-k", ";", "link.lkr"},
       "-k switch requires <pathlist>"},
      {"PageLengthNotANumber",
       putPlainLink,
       {"-n", "6x", "link.lkr"},
       "-n switch requires <length>"},
      {"HexFormatInLowerCase",
       putPlainLink,
       {"-a", "inhx8m", "link.lkr"},
       "-a switch requires <hexformat>"},
      {"UnknownSwitch", putPlainLink, {"link.lkr", "-Z"}, "unknown switch: -z"},
      {"UnrecognizedInput", putPlainLink, {"link.lkr", "_x.o"}, "unrecognized input: _x.o"},
      {"NoCommandFile", putPlainLink, {"main.o", "util.o"}, "linker command file required."},
      {"TwoOutputNames",
       putPlainLink,
       {"-o", "a.out", "-Ob.out", "link.lkr"},
       "multiple output files declared: 'a.out', 'b.out'"},
      {"TwoMapNames",
       putPlainLink,
       {"-m", "a.map", "/mb.map", "link.lkr"},
       "multiple map files declared: 'a.map', 'b.map'"},
      {"ObjectNamedTwice",
       putPlainLink,
       {"main.o", "link.lkr", "main.o"},
       "mutliple inclusion of object file 'main.o' "},
      {"LibraryNamedTwice",
       putPlainLink,
       {"m.lib", "link.lkr", "m.lib"},
       "mutliple inclusion of library file 'm.lib' "},
      // The command file.
      {"CommandFileNotFound",
       putPlainLink,
       {"missing.lkr"},
       "Could not find linker command file 'missing.lkr'."},
      {"UnrecognizedDirective",
       [](const Workspace& work) { putTarget(work, std::string(kTarget) + "stack SIZE=1\n"); },
       kPlainArguments, "Unrecognized input in './link.lkr:3': stack"},
      {"MemoryWithoutEnd",
       [](const Workspace& work) { putTarget(work, "CODEPAGE NAME=p START=0\n"); }, kPlainArguments,
       "Invalid attributes for CODEPAGE in './link.lkr:1'"},
      {"FillOnADataBank",
       [](const Workspace& work) {
         putTarget(work, "// banks\nDATABANK NAME=b START=0x20 END=0x7F FILL=0x3FFF\n");
       },
       kPlainArguments, "Invalid attributes for DATABANK in './link.lkr:2'"},
      {"SectionWithoutMemory",
       [](const Workspace& work) { putTarget(work, std::string(kTarget) + "SECTION NAME=x\n"); },
       kPlainArguments, "Invalid attributes for SECTION in './link.lkr:3'"},
      {"FilesOfNoKnownKind",
       [](const Workspace& work) { putTarget(work, "FILES main.o a.txt\n"); },
       {"link.lkr"},
       "Illegal <filename> for FILES in './link.lkr:1'"},
      {"LibraryPathOfOneSemicolon", [](const Workspace& work) { putTarget(work, "LIBPATH ;\n"); },
       kPlainArguments, "Illegal <libpath> for LIBPATH in './link.lkr:1'"},
      {"CommandFilePathMissing", [](const Workspace& work) { putTarget(work, "LKRPATH\n"); },
       kPlainArguments, "Illegal <lkrpath> for LKRPATH in './link.lkr:1'"},
      {"IncludeOfNoCommandFile",
       [](const Workspace& work) { putTarget(work, "INCLUDE target.txt\n"); }, kPlainArguments,
       "Illegal <filename> for INCLUDE in './link.lkr:1'"},
      {"CommandFileIncludesItself",
       [](const Workspace& work) { putTarget(work, std::string(kTarget) + "INCLUDE link.lkr\n"); },
       kPlainArguments, "Multliple inclusion of linker command file './link.lkr' "},
      {"MemoryDefinedTwice",
       [](const Workspace& work) {
         putTarget(work, std::string(kTarget) + "DATABANK NAME=page0 START=0x80 END=0xFF\n");
       },
       kPlainArguments, "duplicate definition of memory 'page0' "},
      {"PagesOverlap",
       [](const Workspace& work) {
         putTarget(work, std::string(kTarget) + "CODEPAGE NAME=page1 START=0x1FF END=0x3FF\n");
       },
       kPlainArguments, "memory 'page1' overlaps memory 'page0' "},
      {"ShareBanksOfTwoLengths",
       [](const Workspace& work) {
         putTarget(work,
                   "SHAREBANK NAME=s START=0x70 END=0x7F\nSHAREBANK NAME=s START=0xF0 END=0xFE\n");
       },
       kPlainArguments, "inconsistent length definitions of SHAREBANK 's' "},
      {"SectionOfAnUndefinedPage",
       [](const Workspace& work) {
         putTarget(work, "SECTION NAME=.text ROM=page0\n" + std::string(kTarget));
       },
       kPlainArguments, "undefined CODEPAGE 'page0' for SECTION '.text' "},
      {"SectionOfAnUndefinedBank",
       [](const Workspace& work) {
         putTarget(work, std::string(kTarget) + "SECTION NAME=vars RAM=b\n");
       },
       kPlainArguments, "undefined DATABANK/SHAREBANK 'b' for SECTION 'vars' "},
      {"SectionNamedTwice",
       [](const Workspace& work) {
         putTarget(work, std::string(kTarget) +
                             "SECTION NAME=vars RAM=gpr0\nSECTION NAME=vars RAM=gpr0\n");
       },
       kPlainArguments, "duplicate definitions of SECTION 'vars' "},
      {"TwoStacks",
       [](const Workspace& work) {
         putTarget(work, std::string(kTarget) + "STACK SIZE=8\nSTACK SIZE=8\n");
       },
       kPlainArguments, "multiple STACK definitions "},
      {"StackInAnUndefinedBank",
       [](const Workspace& work) {
         putTarget(work, std::string(kTarget) + "STACK SIZE=8 RAM=b\n");
       },
       kPlainArguments, "undefined DATABANK/SHAREBANK 'b' for STACK. "},
      {"TwoHeaps",
       [](const Workspace& work) {
         putTarget(work, std::string(kTarget) + "HEAP MINSIZE=16\nHEAP MINSIZE=0x20\n");
       },
       kPlainArguments, "multiple min heap sizes declared: '16', '32'"},
      // Finding and reading the inputs.
      {"NoObjectFile", putPlainLink, {"link.lkr"}, "no input object files specified."},
      {"ObjectNotFound",
       putPlainLink,
       {"link.lkr", "main.o", "missing.o", "util.o"},
       "could not find file 'missing.o'."},
      {"LibraryOnlyInTheCurrentDirectory",
       [](const Workspace& work) {
         putPlainLink(work);
         work.putLibrary("m.lib", {helper()});
       },
       {"link.lkr", "main.o", "m.lib"},
       "could not find file 'm.lib'."},
      {"ObjectOfNoObjectFormat",
       [](const Workspace& work) {
         putPlainLink(work);
         work.putText("bad.o", "this is not an object file");
       },
       {"link.lkr", "main.o", "util.o", "bad.o"},
       "Coff file './bad.o' does not appear to be a valid COFF file."},
      {"ObjectWithABadSymbolIndex",
       [](const Workspace& work) { putRelocation(work, 0, 2, RELOCT_CALL); }, kPlainArguments,
       "Coff file './main.o', section '.text' reloc[0] has an invalid r_symndx."},
      {"LibraryOfNoLibraryFormat",
       [](const Workspace& work) {
         putPlainLink(work);
         work.putText("bad.lib", "this is not a library");
       },
       {"-l", ".", "link.lkr", "main.o", "util.o", "bad.lib"},
       "File './bad.lib' is not a valid library file."},
      {"LibraryMemberPastTheEndOfTheFile",
       [](const Workspace& work) {
         // The second member claims 4 KiB more than the file holds.
         std::vector<uint8_t> bytes = putLibraryOfTwo(work);
         qortest::claimZeroFilledBytes(bytes, secondMemberHeader() + MemberHeader::SIZE, 4096);
         qortest::writeFileBytes(work.file("cut.lib"), bytes);
       },
       {"-l", ".", "link.lkr", "main.o", "cut.lib"},
       "Library file './cut.lib' has a missing member object file."},
      {"LibraryCutInsideAHeader",
       [](const Workspace& work) {
         std::vector<uint8_t> bytes = putLibraryOfTwo(work);
         bytes.resize(secondMemberHeader() + 100);
         qortest::writeFileBytes(work.file("cut.lib"), bytes);
       },
       {"-l", ".", "link.lkr", "main.o", "cut.lib"},
       "Library file './cut.lib' has a missing member object file."},
      {"ObjectWithTwoSectionsOfOneName",
       [](const Workspace& work) {
         ObjectBuilder util = helper();
         util.code("utilcod2").bytes({0x08, 0x00});
         std::vector<uint8_t> bytes = util.image();
         bytes[FileHeader::SIZE + OptionalHeader::SIZE + SectionHeader::SIZE + 7] = 'e';
         putPlainLink(work);
         qortest::writeFileBytes(work.file("util.o"), bytes);
       },
       kPlainArguments, "Coff file './util.o' has more than one section named 'utilcode'."},
      {"InputSectionNamedLikeAFill",
       [](const Workspace& work) {
         ObjectBuilder util = helper();
         util.code(".fill_1").bytes({0x08, 0x00});
         putLink(work, caller(), util,
                 "CODEPAGE NAME=page0 START=0x0 END=0x1FF FILL=0x3FFF\n"
                 "DATABANK NAME=gpr0 START=0x20 END=0x7F\n");
       },
       kPlainArguments, "section '.fill_1' in file './util.o' has a name reserved by the linker."},
      {"SourceNameMissingFromTheStringTable",
       [](const Workspace& work) {
         ObjectBuilder util = helper();
         AuxFile file;
         file.x_offset = 999;
         util.symbol(".file", 0, N_DEBUG, C_FILE).aux(file);
         putLink(work, caller(), util);
       },
       kPlainArguments, "Unable to find aux_file name in string table.", 255},
      // The checks of the inputs against each other and the command file.
      {"UnsupportedProcessor",
       [](const Workspace& work) { putLink(work, caller(), helper().processor(0x1234, 14, 8)); },
       kPlainArguments, "Unsupported processor type in file './util.o'"},
      {"ProcessorsDisagree",
       [](const Workspace& work) { putLink(work, caller(), helper(kOtherVesk)); }, kPlainArguments,
       "processor types do not agree across all input files."},
      {"SectionTypesDisagree",
       [](const Workspace& work) {
         ObjectBuilder util = objectFor(kVesk, "util.o");
         util.idata(".text").bytes({0x01}).global("helper", 0, 1);
         putLink(work, caller(), util);
       },
       kPlainArguments, "section types for '.text' do not match across input files."},
      {"SectionOfUnknownType",
       [](const Workspace& work) {
         ObjectBuilder util = helper();
         util.section("odd", 0).bytes({0x01});
         putLink(work, caller(), util);
       },
       kPlainArguments, "unknown section type for 'odd' in file './util.o'."},
      {"CodeWithARamMemory",
       [](const Workspace& work) {
         putTarget(work, std::string(kTarget) + "SECTION NAME=.text RAM=gpr0\n");
       },
       kPlainArguments,
       "section '.text' contains code and can not have a 'RAM' memory attribute specified in "
       "the linker command file."},
      // Allocation.
      {"NoPageFitsTheCode",
       [](const Workspace& work) {
         // The init table takes two of the three words.
         putTarget(work,
                   "CODEPAGE NAME=page0 START=0x0 END=0x2\n"
                   "DATABANK NAME=gpr0 START=0x20 END=0x7F\n");
       },
       kPlainArguments,
       "section '.text' can not fit the section. Section '.text' length=0x00000004"},
      {"NamedPageTooSmall",
       [](const Workspace& work) {
         putTarget(work, std::string(kTarget) +
                             "CODEPAGE NAME=small START=0x200 END=0x200\n"
                             "SECTION NAME=.text ROM=small\n");
       },
       kPlainArguments,
       "section '.text' has a memory 'small' which can not fit the section. Section '.text' "
       "length=0x00000004."},
      {"SharedBankForAPlainSection",
       [](const Workspace& work) {
         putTarget(work, std::string(kTarget) +
                             "SHAREBANK NAME=shr START=0xF0 END=0xFF\nSECTION NAME=vars RAM=shr\n");
       },
       kPlainArguments,
       "section 'vars' has a memory 'shr' which is not defined in the linker command file."},
      {"InitTableInDataMemory",
       [](const Workspace& work) {
         putTarget(work, std::string(kTarget) + "SECTION NAME=.cinit RAM=gpr0\n");
       },
       kPlainArguments,
       "section '.cinit' contains initialized rom data and can not have a 'RAM' memory "
       "attribute specified in the linker command file."},
      {"ImageInDataMemory",
       [](const Workspace& work) {
         ObjectBuilder util = helper();
         util.idata("d").bytes({0x01});
         putLink(work, caller(), util, std::string(kTarget) + "SECTION NAME=d_i RAM=gpr0\n");
       },
       kPlainArguments,
       "section 'd_i' can not have a 'RAM' memory attribute specified in the linker command "
       "file."},
      {"AbsoluteSectionOutsideEveryPage",
       [](const Workspace& work) {
         ObjectBuilder util = helper();
         util.code("fixed").at(0x1FF).absolute().bytes({0x00, 0x00, 0x00, 0x00});
         putLink(work, caller(), util);
       },
       kPlainArguments,
       "section 'fixed' can not fit the absolute section. Section 'fixed' start=0x000001ff, "
       "length=0x00000004"},
      {"OddAbsoluteCodeOnAByteMemory",
       [](const Workspace& work) {
         ObjectBuilder util = helper(kOstra);
         util.code("fixed").at(0x101).absolute().bytes({0x12, 0x00});
         putLink(work, caller(kOstra), util);
       },
       kPlainArguments, "Absolute code section 'fixed' must start at a word-aligned address."},
      // Symbols.
      {"SymbolDefinedTwice",
       [](const Workspace& work) {
         putPlainLink(work);
         work.put(helper(), "twin.o");
       },
       {"link.lkr", "main.o", "util.o", "twin.o"},
       "symbol 'helper' has multiple definitions."},
      {"InputDefinesTheInitTable",
       [](const Workspace& work) {
         ObjectBuilder util = helper();
         util.global("_cinit", 0, 1);
         putLink(work, caller(), util);
       },
       kPlainArguments, "symbol '_cinit' has multiple definitions."},
      {"UnresolvedSymbol",
       [](const Workspace& work) {
         putLink(work, caller(), objectFor(kVesk, "util.o").code("x").bytes({0, 0}));
       },
       kPlainArguments, "could not resolve symbol 'helper' in file './main.o'."},
      {"StackSymbolWithoutStack",
       [](const Workspace& work) {
         ObjectBuilder util = helper();
         util.externRef("_stack");
         putLink(work, caller(), util);
       },
       kPlainArguments, "could not resolve symbol '_stack' in file './util.o'."},
      // Relocation.
      {"ZarnCallIntoAnUpperHalf",
       [](const Workspace& work) {
         ObjectBuilder util = objectFor(kZarn, "util.o");
         util.code("utilcode").at(0x100).absolute().bytes({0x00, 0x08}).global("helper", 0x100, 1);
         putLink(work, caller(kZarn), util);
       },
       kPlainArguments,
       "file './main.o', section '.text', performs a call to \n symbol 'helper' which is not in "
       "the lower half of a page."},
      {"RelocationTypeOfAnotherFamily",
       [](const Workspace& work) { putRelocation(work, 0, 1, RELOCT_TRIS); }, kPlainArguments,
       "file './main.o', section '.text', unsupported relocation type."},
      {"RelocationOutsideItsSection",
       [](const Workspace& work) { putRelocation(work, 4, 1, RELOCT_CALL); }, kPlainArguments,
       "file './main.o', section '.text', relocation at offset 0x00000004 lies outside the "
       "section."},
      {"OstraBranchOutOfRange",
       [](const Workspace& work) {
         ObjectBuilder main = objectFor(kOstra, "main.o");
         main.code(".text").bytes({0x00, 0xD0}).reloc(0, 1, 0, RELOCT_BRA);
         main.global("entry", 0, 1).externRef("helper");
         ObjectBuilder util = objectFor(kOstra, "util.o");
         util.code("utilcode").at(0x0).absolute().bytes({0x12, 0x00}).global("helper", 0, 1);
         putLink(work, main, util,
                 "CODEPAGE NAME=low START=0x0 END=0xFFF\n"
                 "CODEPAGE NAME=high START=0x1000 END=0x1FFF\n"
                 "SECTION NAME=.text ROM=high\n");
       },
       kPlainArguments,
       "file './main.o', section '.text', Symbol 'helper' out of range of relative branch "
       "instruction."},
      {"OstraCallToAnOddAddress",
       [](const Workspace& work) {
         ObjectBuilder main = objectFor(kOstra, "main.o");
         main.code(".text").bytes({0x00, 0xEC, 0x00, 0xF0}).reloc(0, 1, 0, RELOCT_CALL);
         main.global("entry", 0, 1).externRef("helper");
         ObjectBuilder util = objectFor(kOstra, "util.o");
         util.udata("uvars", 2).global("helper", 1, 1);
         putLink(work, main, util);
       },
       kPlainArguments,
       "file './main.o', section '.text', Symbol 'helper' is not word-aligned.\nIt cannot be "
       "used as the target of a call or goto instruction."},
      {"OstraMovffIntoTheStackTop",
       [](const Workspace& work) {
         ObjectBuilder main = objectFor(kOstra, "main.o");
         main.code(".text").bytes({0x00, 0xC0, 0x00, 0xF0}).reloc(2, 1, 0, RELOCT_FF2);
         main.global("entry", 0, 1).symbol("TOSU", 0xFFF, N_ABS, C_STAT);
         putLink(work, main, helper(kOstra));
       },
       kPlainArguments,
       "file './main.o', section '.text', TOSU cannot be used as the destination of a MOVFF "
       "instruction."},
      // Writing.
      {"OutputInAMissingDirectory",
       putPlainLink,
       {"link.lkr", "main.o", "util.o", "-o", "no/x.out"},
       "Could not open Coff file 'no/x.out' for writing."},
  };
  return roads;
}

class FailureRoadTest : public QorlanRun, public ::testing::WithParamInterface<FailureRoad> {};

TEST_P(FailureRoadTest, ReportsAndEnds) {
  const FailureRoad& road = GetParam();
  road.prepare(cWork);
  const auto before = qortest::folderSnapshot(cWork.path());
  const ProcessResult result = qorlan(road.arguments);
  EXPECT_EQ(result.exitCode, road.exitCode);
  EXPECT_EQ(result.output, banner() + error(road.message) + summary(1));
  EXPECT_EQ(qortest::folderSnapshot(cWork.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Roads, FailureRoadTest, ::testing::ValuesIn(failureRoads()),
                         [](const ::testing::TestParamInfo<FailureRoad>& info) {
                           return info.param.name;
                         });

// The help screen word for word, as the parser's own tests pin it.
std::string helpScreen() {
  std::ostringstream text;
  Parser::writeHelp(text);
  return text.str();
}

// The help screen ends the run with 255 and without the summary, also in
// the middle of a command line and in quiet mode.
TEST_F(QorlanRun, HelpScreenEndsTheRun) {
  putPlainLink(cWork);
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{}, {"/h"}, {"link.lkr", "main.o", "-?", "util.o"}}) {
    const ProcessResult result = qorlan(arguments);
    EXPECT_EQ(result.exitCode, 255);
    EXPECT_EQ(result.output, banner() + helpScreen());
  }
  const ProcessResult quiet = qorlan({"-q", "-h"});
  EXPECT_EQ(quiet.exitCode, 255);
  EXPECT_EQ(quiet.output, helpScreen());
  EXPECT_FALSE(cWork.exists("a.out"));
}

// Quiet runs print nothing, whatever they fail on, and still end with 1;
// "-quiet" is no quiet switch for the start-up, so the banner comes first.
TEST_F(QorlanRun, QuietFailuresPrintNothing) {
  putPlainLink(cWork);
  const std::vector<std::pair<std::vector<std::string>, std::string>> runs = {
      {{"-q"}, ""},
      {{"/Q", "link.lkr", "main.o"}, ""},
      {{"link.lkr", "main.o", "/q", "-Z"}, ""},
      {{"-quiet", "link.lkr", "main.o"}, banner()},
  };
  for (const auto& [arguments, output] : runs) {
    const ProcessResult result = qorlan(arguments);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.output, output);
  }
  EXPECT_FALSE(cWork.exists("a.out"));
}

// A map file that cannot be written fails the run once (the partial map's
// failure), and the output object is not written: the link reported an
// error.
TEST_F(QorlanRun, UnwritableMapFailsTheLinkOnce) {
  putPlainLink(cWork);
  const ProcessResult result = qorlan({"link.lkr", "main.o", "util.o", "-m", "no/x.map"});
  EXPECT_EQ(result.exitCode, 1);
  const std::string message = error("Could not open map file 'no/x.map' for writing.");
  EXPECT_EQ(result.output, banner() + message + summary(1));
  EXPECT_FALSE(cWork.exists("a.out"));
}

}  // namespace
}  // namespace qorlantest
