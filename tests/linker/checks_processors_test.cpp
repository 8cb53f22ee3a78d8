// The target processor of a link: chosen from the inputs' processor words
// and family-generic flags, refused when the inputs disagree, and handed to
// every memory as its word width.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inputs_fixture.h"

namespace {

// The n-th device of a family, in processor-code order.
ProcessorCode deviceOf(CoreFamily family, int n) {
  for (unsigned code = PROC_FIRST; code <= PROC_LAST; ++code) {
    if (procFamily(static_cast<ProcessorCode>(code)) != family) continue;
    if (n-- == 0) return static_cast<ProcessorCode>(code);
  }
  return 0;
}

// One input: a device (or a raw processor word) and whether the object was
// built for the device's whole family.
struct Input {
  CoreFamily family;
  int device;
  bool generic;
  uint32_t rawWord = 0;  // used instead of the device's word when set
};

struct ProcessorCase {
  const char* title;
  std::vector<Input> inputs;
  Input target;  // the device chosen
  std::string error;
};

const Input NO_TARGET{0, 0, false};
constexpr uint32_t UNKNOWN_WORD = 0xC0FF;

const std::vector<ProcessorCase> PROCESSOR_CASES = {
    {"all generic, two devices of one family",
     {{CORE_VESK, 0, true}, {CORE_VESK, 1, true}},
     {CORE_VESK, 0, true},
     ""},
    {"a specific input decides",
     {{CORE_VESK, 0, true}, {CORE_VESK, 1, false}},
     {CORE_VESK, 1, false},
     ""},
    {"the first specific input decides",
     {{CORE_ZARN, 2, false}, {CORE_ZARN, 1, true}},
     {CORE_ZARN, 2, false},
     ""},
    {"two inputs for one device",
     {{CORE_MIREL, 3, false}, {CORE_MIREL, 3, false}},
     {CORE_MIREL, 3, false},
     ""},
    {"processor word in the low half only",
     {{CORE_OSTRA, 0, false, 0xABCD0000u | procCoffType(deviceOf(CORE_OSTRA, 0))}},
     {CORE_OSTRA, 0, false},
     ""},
    {"generic input of another family than the target",
     {{CORE_VESK, 0, true}, {CORE_MIREL, 0, false}},
     {CORE_MIREL, 0, false},
     "processor types do not agree across all input files."},
    {"two devices of one family",
     {{CORE_VESK, 0, false}, {CORE_VESK, 1, false}},
     {CORE_VESK, 0, false},
     "processor types do not agree across all input files."},
    {"unknown word first",
     {{0, 0, false, UNKNOWN_WORD}},
     NO_TARGET,
     "Unsupported processor type in file 'in0.o'"},
    {"unknown generic word after the deciding input",
     {{CORE_ZARN, 0, false}, {CORE_ZARN, 1, true}, {0, 0, true, UNKNOWN_WORD}},
     {CORE_ZARN, 0, false},
     "Unsupported processor type in file 'in2.o'"},
    {"unknown word before the deciding input",
     {{CORE_ZARN, 0, true}, {0, 0, true, UNKNOWN_WORD}, {CORE_ZARN, 1, false}},
     {CORE_ZARN, 0, true},
     "Unsupported processor type in file 'in1.o'"},
};

TEST(CheckProcessors, TargetAndRefusals) {
  for (const ProcessorCase& c : PROCESSOR_CASES) {
    SCOPED_TRACE(c.title);
    Linker linker;
    inputstest::addPageAndBank(linker);
    std::string error;
    for (size_t i = 0; i < c.inputs.size(); ++i) {
      const Input& in = c.inputs[i];
      const uint32_t word =
          in.rawWord != 0 ? in.rawWord : procCoffType(deviceOf(in.family, in.device));
      linker.cCoff.push_back(qortest::ObjectBuilder("in" + std::to_string(i) + ".o")
                                 .processor(word, 0, 0)
                                 .fileFlags(in.generic ? F_GENERIC : 0)
                                 .coff());
    }
    EXPECT_EQ(linker.checkProcessors(error), c.error.empty() ? 1 : 0);
    EXPECT_EQ(error, c.error);
    if (c.target.family == 0) continue;
    const ProcessorCode target = deviceOf(c.target.family, c.target.device);
    EXPECT_EQ(linker.cProcessor, target);
    EXPECT_EQ(linker.cFamily, c.target.family);
    EXPECT_EQ(linker.cRomWidthBits, procRomWidthBits(target));
    EXPECT_EQ(linker.cRamWidthBits, procRamWidthBits(target));
    if (!c.error.empty()) continue;
    // Every memory now counts its bytes by the target's widths.
    EXPECT_EQ(linker.cCodePage.front().largestHole(), 0x100 * linker.widthInBytes(Linker::rom));
    EXPECT_EQ(linker.cDataBanks.front().largestHole(), 0x50 * linker.widthInBytes(Linker::ram));
  }
}

}  // namespace
