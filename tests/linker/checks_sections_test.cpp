// Sections of one name from several inputs merged into one: sizes, types
// and attributes, every refusal in its order, program-memory parts counted
// in whole locations, names the linker keeps for itself, and the ROM and
// RAM attributes of "SECTION" directives.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "inputs_fixture.h"

namespace {

constexpr uint32_t CODE = STYP_CODE;
constexpr uint32_t IDATA = STYP_IDATA;
constexpr uint32_t UDATA = STYP_UDATA;
constexpr uint32_t ROMDATA = STYP_ROMDATA;
constexpr uint32_t ABS = STYP_ABS;
constexpr uint32_t OVR = STYP_OVERLAY;
constexpr uint32_t SHR = STYP_SHARED;
constexpr uint32_t ACC = STYP_ACCESS;

struct Scn {
  std::string name;
  uint32_t flags;
  uint32_t size;
  uint32_t paddr = 0;
};
using Input = std::vector<Scn>;  // one object: a.o, b.o, c.o, ...

// What the maps hold for one section after the merge.
struct Merged {
  std::string name;
  uint32_t size;
  uint8_t type;
  uint32_t flags;  // of ABS, OVR, SHR, ACC
  std::optional<uint32_t> absStart = std::nullopt;
  std::optional<uint32_t> absSize = std::nullopt;
};

struct MergeCase {
  const char* title;
  std::vector<Input> inputs;
  std::string error;
  std::vector<Merged> merged;
  uint16_t romWidthBits = 14;
};

const std::string REFUSED = " do not match across input files.";

const std::vector<MergeCase> MERGE_CASES = {
    {"normal parts add up",
     {{{".d", IDATA, 10}}, {{".d", IDATA, 6}}},
     "",
     {{".d", 16, SECTION_IDATA, 0}}},
    {"overlay parts take the largest",
     {{{".o", UDATA | OVR, 6}}, {{".o", UDATA | OVR, 10}}},
     "",
     {{".o", 10, SECTION_UDATA, OVR}}},
    {"overlay parts, largest first",
     {{{".o", UDATA | OVR, 10}}, {{".o", UDATA | OVR, 6}}},
     "",
     {{".o", 10, SECTION_UDATA, OVR}}},
    {"absolute overlay parts at one start",
     {{{".a", CODE | OVR | ABS, 4, 0x40}}, {{".a", CODE | OVR | ABS, 8, 0x40}}},
     "",
     {{".a", 8, SECTION_CODE, OVR | ABS, 0x40, 8}}},
    {"absolute overlay parts at two starts",
     {{{".a", CODE | OVR | ABS, 4, 0x40}}, {{".a", CODE | OVR | ABS, 8, 0x50}}},
     "starting addresses for absolute overlay section '.a' do not match across all input files.",
     {}},
    {"absolute and relative overlay parts",
     {{{".a", CODE | OVR | ABS, 4, 0x40}}, {{".a", CODE | OVR, 8}}},
     "section absolute types for '.a'" + REFUSED,
     {}},
    {"overlay and normal parts, types differing too",
     {{{".m", CODE | OVR, 4}}, {{".m", IDATA | SHR, 4}}},
     "section overlay types for '.m'" + REFUSED,
     {}},
    {"types differ",
     {{{".m", CODE, 4}}, {{".m", ROMDATA, 4}}},
     "section types for '.m'" + REFUSED,
     {}},
    {"share flags differ",
     {{{".m", UDATA | SHR, 4}}, {{".m", UDATA, 4}}},
     "section share types for '.m'" + REFUSED,
     {}},
    {"access flags differ",
     {{{".m", UDATA, 4}}, {{".m", UDATA | ACC, 4}}},
     "section access types for '.m'" + REFUSED,
     {}},
    {"types differ before the absolute message",
     {{{".m", CODE | ABS, 4}}, {{".m", IDATA, 4}}},
     "section types for '.m'" + REFUSED,
     {}},
    {"normal absolute part first",
     {{{".m", CODE | ABS, 4, 0x10}}, {{".m", CODE, 4}}},
     "section '.m' type is non-overlay and absolute but occurs in more than one input file.",
     {}},
    {"normal absolute part later",
     {{{".m", CODE, 4}}, {{".m", CODE | ABS, 4, 0x10}}},
     "section '.m' type is non-overlay and absolute but occurs in more than one input file.",
     {}},
    {"a single absolute part",
     {{{".m", IDATA | ABS | SHR | ACC, 5, 0x22}}},
     "",
     {{".m", 5, SECTION_IDATA, ABS | SHR | ACC, 0x22, 5}}},
    {"unknown type",
     {{{".k", CODE, 2}}, {{".k", CODE, 2}, {".x", 0, 2}}},
     "unknown section type for '.x' in file 'b.o'.",
     {}},
    {"sections walked by name",
     {{{"b", CODE, 2}, {"a", 0, 2}}},
     "unknown section type for 'a' in file 'a.o'.",
     {}},
    // Each part of a program section starts on a location of two bytes.
    {"odd code parts on two-byte locations",
     {{{".c", CODE, 3}}, {{".c", CODE, 3}}, {{".c", CODE, 3}}},
     "",
     {{".c", 11, SECTION_CODE, 0}}},
    {"odd romdata parts on two-byte locations",
     {{{".r", ROMDATA, 1}}, {{".r", ROMDATA, 4}}},
     "",
     {{".r", 6, SECTION_ROMDATA, 0}}},
    {"a single odd part keeps its size", {{{".c", CODE, 3}}}, "", {{".c", 3, SECTION_CODE, 0}}},
    {"even parts need no gap",
     {{{".c", CODE, 4}}, {{".c", CODE, 2}}},
     "",
     {{".c", 6, SECTION_CODE, 0}}},
    {"odd overlay code parts",
     {{{".c", CODE | OVR, 3}}, {{".c", CODE | OVR, 5}}},
     "",
     {{".c", 5, SECTION_CODE, OVR}}},
    {"odd data parts are bytes",
     {{{".d", IDATA, 3}}, {{".d", IDATA, 3}}},
     "",
     {{".d", 6, SECTION_IDATA, 0}}},
    {"odd code parts on byte locations",
     {{{".c", CODE, 3}}, {{".c", CODE, 3}}},
     "",
     {{".c", 6, SECTION_CODE, 0}},
     8},
    // Names the linker gives its own sections.
    {"the initialised-data table",
     {{{".text", CODE, 2}}, {{".cinit", ROMDATA, 2}}},
     "section '.cinit' in file 'b.o' has a name reserved by the linker.",
     {}},
    {"the stack",
     {{{".stack", UDATA, 2}}},
     "section '.stack' in file 'a.o' has a name reserved by the linker.",
     {}},
    {"an image named before its idata section",
     {{{"v_i", CODE, 2}}, {{"v", IDATA, 2}}},
     "section 'v_i' in file 'a.o' has a name reserved by the linker.",
     {}},
    {"first by input, then by name",
     {{{"v", IDATA, 2}}, {{"v_i", CODE, 2}, {".stack", UDATA, 2}}, {{".cinit", CODE, 2}}},
     "section '.stack' in file 'b.o' has a name reserved by the linker.",
     {}},
    {"a udata section has no image",
     {{{"u_i", CODE, 2}}, {{"u", UDATA, 2}}},
     "",
     {{"u_i", 2, SECTION_CODE, 0}, {"u", 2, SECTION_UDATA, 0}}},
    {"a mismatch is reported before a reserved name",
     {{{".cinit", CODE, 2}}, {{".m", CODE, 2}}, {{".m", UDATA, 2}}},
     "section types for '.m'" + REFUSED,
     {}},
};

std::unique_ptr<Coff> objectOf(const std::string& fileName, const Input& sections) {
  qortest::ObjectBuilder builder(fileName);
  for (const Scn& s : sections)
    builder.section(s.name, s.flags).at(s.paddr).bytes(std::vector<uint8_t>(s.size, 0x5A));
  return builder.coff();
}

void expectMerged(const Linker& l, const Merged& m) {
  SCOPED_TRACE(m.name);
  ASSERT_EQ(l.cScnSize.count(m.name), 1u);
  EXPECT_EQ(l.cScnSize.at(m.name), m.size);
  EXPECT_EQ(l.cScnType.at(m.name), m.type);
  EXPECT_EQ(l.cScnAbs.at(m.name), (m.flags & ABS) != 0 ? 1 : 0);
  EXPECT_EQ(l.cScnOverlay.at(m.name), (m.flags & OVR) != 0 ? 1 : 0);
  EXPECT_EQ(l.cScnShare.at(m.name), (m.flags & SHR) != 0 ? 1 : 0);
  EXPECT_EQ(l.cScnAccess.at(m.name), (m.flags & ACC) != 0 ? 1 : 0);
  EXPECT_EQ(l.cScnAbsStart.count(m.name), m.absStart ? 1u : 0u);
  EXPECT_EQ(l.cScnAbsSize.count(m.name), m.absSize ? 1u : 0u);
  if (m.absStart) {
    EXPECT_EQ(l.cScnAbsStart.at(m.name), *m.absStart);
  }
  if (m.absSize) {
    EXPECT_EQ(l.cScnAbsSize.at(m.name), *m.absSize);
  }
}

TEST(CheckSectionTypes, MergeRulesAndRefusals) {
  for (const MergeCase& c : MERGE_CASES) {
    SCOPED_TRACE(c.title);
    Linker linker;
    linker.cRomWidthBits = c.romWidthBits;
    linker.cRamWidthBits = 8;
    for (size_t i = 0; i < c.inputs.size(); ++i)
      linker.cCoff.push_back(
          objectOf(std::string(1, static_cast<char>('a' + i)) + ".o", c.inputs[i]));
    std::string error;
    EXPECT_EQ(linker.checkSectionTypes(error), c.error.empty() ? 1 : 0);
    EXPECT_EQ(error, c.error);
    for (const Merged& m : c.merged) expectMerged(linker, m);
    if (c.error.empty()) {
      EXPECT_EQ(linker.cScnSize.size(), c.merged.size());
    }
  }
}

struct AttributeCase {
  uint32_t type;
  const char* rom;
  const char* ram;
  std::string error;
};

TEST(CheckMemoryAttributes, MemoriesThatDoNotSuitTheSection) {
  const std::string tail = " memory attribute specified in the linker command file.";
  const std::vector<AttributeCase> cases = {
      {CODE, "page", "", ""},
      {CODE, "", "gpr", "section 's' contains code and can not have a 'RAM'" + tail},
      {IDATA, "", "gpr", ""},
      {IDATA, "page", "", "section 's' contains initialized data and can not have a 'ROM'" + tail},
      {UDATA, "", "gpr", ""},
      {UDATA, "page", "gpr",
       "section 's' contains uninitialized data and can not have a 'ROM'" + tail},
      {ROMDATA, "page", "", ""},
      {ROMDATA, "page", "gpr",
       "section 's' contains initialized rom data and can not have a 'RAM'" + tail},
  };
  for (const AttributeCase& c : cases) {
    SCOPED_TRACE(c.type);
    Linker linker;
    inputstest::addPageAndBank(linker);
    std::string error;
    // A directive for a section no input has is passed over, whatever it
    // names; the first unsuitable one ends the check.
    ASSERT_EQ(linker.addSection(SectionDesc("none", "page", "gpr"), error), 1);
    ASSERT_EQ(linker.addSection(SectionDesc("s", c.rom, c.ram), error), 1);
    ASSERT_EQ(linker.addSection(SectionDesc("t", "page", "gpr"), error), 1);
    linker.cCoff.push_back(objectOf("a.o", {{"s", c.type, 2}, {"t", UDATA, 2}}));
    ASSERT_EQ(linker.checkSectionTypes(error), 1);
    const std::string later =
        "section 't' contains uninitialized data and can not have a 'ROM'" + tail;
    EXPECT_EQ(linker.checkMemoryAttributes(error), 0);
    EXPECT_EQ(error, c.error.empty() ? later : c.error);
  }
}

}  // namespace
