// The two patching phases over whole links: the Zarn call check, the walk
// over inputs of one name, the stop at the first failure, the trace lines,
// and the bit writer with its internal checks.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "captured_output.h"
#include "debug_switches.h"
#include "patch_fixture.h"
#include "reloctypes.h"

namespace {

using patchtest::Bytes;
using patchtest::PatchLink;
using patchtest::relocAt;

constexpr ProcessorCode kZarn = 29;  // 512-word pages
constexpr ProcessorCode kVeskFourBanks = 103;
constexpr ProcessorCode kOstra = 127;

const std::string kLowerHalf =
    "file 'a.o', section '.text', performs a call to \n symbol 'target' which is not in the "
    "lower half of a page.";

struct VerifyCase {
  ProcessorCode processor;
  reloc entry;
  uint32_t target;
  std::string error;
};

TEST(VerifyRelocations, ZarnCallsReachOnlyTheLowerHalfOfAPage) {
  const VerifyCase cases[] = {
      {kZarn, relocAt(0, RELOCT_CALL), 0x0FF, ""},
      {kZarn, relocAt(0, RELOCT_CALL), 0x100, kLowerHalf},
      {kZarn, relocAt(0, RELOCT_GOTO), 0x100, ""},
      {kZarn, relocAt(0, RELOCT_CALL), 0x2FF, ""},
      {kZarn, relocAt(0, RELOCT_CALL), 0x300, kLowerHalf},
      {kZarn, relocAt(0, RELOCT_CALL, 0, 4), 0x0FC, kLowerHalf},
      {kZarn, relocAt(0, RELOCT_CALL, 2), 0x0FF,
       "file 'a.o', section '.text', relocation at offset 0x00000000 names no symbol."},
      {kZarn, relocAt(0, RELOCT_GOTO, 2), 0x0FF, ""},  // refused when patched
      {kVeskFourBanks, relocAt(0, RELOCT_CALL, 7), 0x100, ""},
  };
  for (const VerifyCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.entry.r_type << " to " << c.target);
    PatchLink link(c.processor, {{"a.o", {0, 0x09, 0, 0}, {c.entry}, c.target}});
    std::string error;
    EXPECT_EQ(link.cLinker.verifyRelocations(error), c.error.empty() ? 1 : 0);
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(link.text(), Bytes({0, 0x09, 0, 0}));
  }
}

// Two inputs of one name are two parts of the section, each with its own
// load start; a branch counts from its own part.
TEST(PatchSections, InputsOfOneNameKeepTheirOwnLoadStarts) {
  const Bytes branches = {0, 0xD0, 0, 0xD0};
  PatchLink link(kOstra, {{"a.o", branches, {relocAt(0, RELOCT_BRA)}, 0x1010},
                          {"a.o", branches, {relocAt(2, RELOCT_BRA)}, 0x1010}});
  std::string error;
  ASSERT_EQ(link.cLinker.patchSections(error), 1) << error;
  EXPECT_EQ(link.text(0), Bytes({0x07, 0xD0, 0, 0xD0}));  // (0x1010 - 0x1002) / 2
  EXPECT_EQ(link.text(1), Bytes({0, 0xD0, 0x04, 0xD0}));  // (0x1010 - 0x1008) / 2
}

TEST(PatchSections, StopsAtTheFirstFailureKeepingWhatWasApplied) {
  const std::vector<reloc> relocs = {relocAt(0, RELOCT_LOW), relocAt(1, RELOCT_P),
                                     relocAt(2, RELOCT_LOW)};
  PatchLink link(kOstra, {{"a.o", {0, 0, 0, 0}, relocs, 0x12},
                          {"b.o", {0, 0, 0, 0}, {relocAt(0, RELOCT_LOW)}, 0x34}});
  std::string error;
  EXPECT_EQ(link.cLinker.patchSections(error), 0);
  EXPECT_EQ(error, "file 'a.o', section '.text', unsupported relocation type.");
  EXPECT_EQ(link.text(0), Bytes({0x12, 0, 0, 0}));
  EXPECT_EQ(link.text(1), Bytes({0, 0, 0, 0}));
}

TEST(PatchSections, TraceLinesUnderTheirSwitches) {
  PatchLink vesk(kVeskFourBanks, {{"a.o", Bytes(4), {relocAt(0, RELOCT_BANKSEL)}, 0x100}});
  PatchLink ostra(kOstra, {{"b.o", Bytes(4), {relocAt(2, RELOCT_CALL)}, 0x12344}});
  qortest::CapturedOutput captured;
  setSwitch("Linker::patchSections", 1);
  setSwitch("Linker::doPatchVesk", 1);
  setSwitch("Linker::doPatchOstra", 1);
  std::string error;
  EXPECT_EQ(vesk.cLinker.patchSections(error), 1);
  EXPECT_EQ(ostra.cLinker.patchSections(error), 1);
  setSwitch("Linker::patchSections", 0);
  setSwitch("Linker::doPatchVesk", 0);
  setSwitch("Linker::doPatchOstra", 0);
  EXPECT_EQ(captured.output(),
            "Linker::patchSections() -  file 'a.o', section '.text',    reloc=Relocation: "
            "r_vaddr=0x00000000, r_symndx=0, r_offset=0, r_type=6\n"
            "Linker::doPatchVesk() -  RELOCT_BANKSEL, srcBegin=0, dstBegin=0, width=16, "
            "rawOffset=0, opcode1=0x1283, rp0=0, opcode2=0x1703, rp1=1\n"
            "Linker::patchSections() -  file 'b.o', section '.text',    reloc=Relocation: "
            "r_vaddr=0x00000002, r_symndx=0, r_offset=0, r_type=1\n"
            "Linker::doPatchOstra() -  RELOCT_CALL, srcBegin=1, dstBegin=0, width=8, "
            "rawOffset=2, value=0x2344\n");
}

struct BitsCase {
  Bytes before;
  uint32_t rawOffset;
  uint32_t value;
  uint16_t srcBegin, dstBegin, width;
  Bytes after;
};

TEST(PatchBits, CopiesTheFieldAndLeavesEveryOtherBit) {
  const BitsCase cases[] = {
      {{0, 0, 0}, 0, 0xABCD, 0, 0, 16, {0xCD, 0xAB, 0}},
      {{0xFF, 0xFF, 0xFF}, 1, 0, 0, 4, 8, {0xFF, 0x0F, 0xF0}},
      {{0, 0}, 0, 0x0AB00000, 20, 0, 8, {0xAB, 0}},
      {{0x55}, 0, 0xFF, 0, 3, 1, {0x5D}},
      {{0x55}, 1, 0xFF, 0, 0, 0, {0x55}},  // nothing at the very end
  };
  for (const BitsCase& c : cases) {
    Data data(static_cast<uint32_t>(c.before.size()), c.before.data());
    Linker::patchBits(data, c.rawOffset, c.value, c.srcBegin, c.dstBegin, c.width);
    EXPECT_EQ(Bytes(data.data(), data.data() + data.size()), c.after)
        << c.rawOffset << " " << c.srcBegin << " " << c.dstBegin << " " << c.width;
  }
  Data data(2);
  Linker::setBit(data, 9, 1);
  Linker::setBit(data, 0, 7);
  EXPECT_EQ(Bytes(data.data(), data.data() + 2), Bytes({0x01, 0x02}));
  Linker::setBit(data, 9, 0);
  EXPECT_EQ(Bytes(data.data(), data.data() + 2), Bytes({0x01, 0x00}));
}

// The report of a failed internal check, as a regular expression.
std::string failed(const std::string& condition) {
  static const std::regex special(R"([\\^$.|?*+()\[\]{}])");
  return "Assertion failed: " + std::regex_replace(condition, special, R"(\$&)") + ", file ";
}

TEST(PatchBitsDeathTest, InternalChecks) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  Data data(4);
  EXPECT_DEATH(Linker::patchBits(data, 0, 0, 0, 0, 17), failed("width <= 16"));
  EXPECT_DEATH(Linker::patchBits(data, 0, 0, 32, 0, 0), failed("srcBegin < 32"));
  EXPECT_DEATH(Linker::patchBits(data, 0, 0, 0, 16, 1), failed("dstBegin < 16"));
  EXPECT_DEATH(Linker::patchBits(data, 0, 0, 20, 0, 12), failed("(srcBegin + width) < 32"));
  EXPECT_DEATH(Linker::patchBits(data, 5, 0, 0, 0, 1), failed("rawOffset <= dsize"));
  EXPECT_DEATH(Linker::patchBits(data, 3, 0, 0, 0, 16), failed("bitPos < 8*d.size()"));
  EXPECT_DEATH(Linker::setBit(data, 32, 1), failed("bitPos < 8*d.size()"));
  PatchLink link(kOstra, {{"a.o", Bytes(4), {relocAt(0, RELOCT_LOW)}, 0}});
  link.cLinker.cScnMem.clear();
  std::string error;
  EXPECT_DEATH(link.cLinker.patchSections(error),
               failed("(mem=cScnMem.find(scnName)) != cScnMem.end()"));
}

}  // namespace
