// Section allocation as a whole: where every section lands, in which order
// the passes take them, and the exact text of every refusal.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "allocate_fixture.h"

namespace {

using namespace allocfix;

struct Case {
  const char* what;
  ProcessorCode processor;
  std::function<void(LinkSetup&)> setup;
  std::string error;  // empty: allocation succeeds
  std::vector<std::pair<std::string, std::string>> places;
};

// A code page for the table, kept apart so that it does not take the
// sections a case is about.
void tablePage(LinkSetup& s) { s.code("tbl", 0x0, 0x1F, true).section(".cinit", "tbl", ""); }

void bankAndPage(LinkSetup& s) { s.code("page", 0x0, 0xFF).data("gpr", 0x20, 0x7F); }

void stackBanks(LinkSetup& s) {
  s.code("page", 0x0, 0xFF).data("gpr", 0x20, 0x7F).share("shr", 0xF0, 0xFF).access("acc", 0, 0xF);
}

void orderInputs(LinkSetup& s) {
  tablePage(s);
  s.code("p", 0x100, 0x1FF).data("gpr", 0x20, 0x7F);
  s.input({"c", kCode, 4}).input({"d", kIdata, 4}).input({"e", kCode, 4});
}

void protectedBanks(LinkSetup& s) {
  s.code("page", 0, 0xFF).data("prot", 0x20, 0x7F, true).data("open", 0xA0, 0xAF);
}

void absoluteBanks(LinkSetup& s) {
  s.code("page", 0, 0xFF).data("gpr0", 0x20, 0x7F).data("gpr1", 0xA0, 0xFF, true);
}

using S = LinkSetup&;

// clang-format off
const Case kCases[] = {
    {"the table without idata: the count word alone", kVesk,
     [](S s) { s.code("page", 0, 0xFF); }, "", {{".cinit", "page@0x0"}}},
    {"equal sizes in name order", kVesk,
     [](S s) { bankAndPage(s); s.input({"b", kUdata, 0x10}).input({"a", kUdata, 0x10}); },
     "", {{"a", "gpr@0x20"}, {"b", "gpr@0x30"}}},
    {"an image of an equal key right after its section", kOstra, orderInputs, "",
     {{".cinit", "tbl@0x0"}, {"c", "p@0x100"}, {"d", "gpr@0x20"}, {"d_i", "p@0x104"},
      {"e", "p@0x108"}}},
    {"an image keyed by its program bytes, twice its data", kVesk, orderInputs, "",
     {{"d_i", "p@0x100"}, {"c", "p@0x104"}, {"e", "p@0x106"}, {"d", "gpr@0x20"}}},
    {"unassigned sections pass protected memories by", kVesk,
     [](S s) { protectedBanks(s); s.input({"x", kUdata, 8}); }, "", {{"x", "open@0xa0"}}},
    {"only a protected memory is big enough", kVesk,
     [](S s) { protectedBanks(s); s.input({"y", kUdata, 0x20}); },
     "section 'y' can not fit the section. Section 'y' length=0x00000020", {}},
    {"a directive places a section in a protected memory", kVesk,
     [](S s) { protectedBanks(s); s.section("y", "", "prot").input({"y", kUdata, 0x20}); },
     "", {{"y", "prot@0x20"}}},
    {"best fit: the smallest largest hole that takes it", kVesk,
     [](S s) {
       s.code("page", 0, 0xFF).data("big", 0x20, 0x7F).data("small", 0xA0, 0xBF);
       s.input({"a", kUdata, 0x30}).input({"b", kUdata, 0x10});
     }, "", {{"a", "big@0x20"}, {"b", "small@0xa0"}}},
    {"equal largest holes: the memory declared first", kVesk,
     [](S s) {
       s.code("page", 0, 0xFF).data("z", 0x40, 0x4F).data("y", 0x20, 0x2F);
       s.input({"x", kUdata, 4});
     },
     "", {{"x", "z@0x40"}}},
    {"absolute sections at their start, protected memories included", kVesk,
     [](S s) {
       absoluteBanks(s);
       s.section("w", "", "gpr0").input(at({"w", kUdata, 2}, 0x30));
       s.input(at({"v", kUdata, 4}, 0xA8)).input(at({"reset", kCode, 2}, 0));
     }, "",
     {{"v", "gpr1@0xa8"}, {"reset", "page@0x0"}, {"w", "gpr0@0x30"}, {".cinit", "page@0x1"}}},
    {"no memory holds the absolute range", kVesk,
     [](S s) { absoluteBanks(s); s.input(at({"v", kUdata, 4}, 0x90)); },
     "section 'v' can not fit the absolute section. "
     "Section 'v' start=0x00000090, length=0x00000004", {}},
    {"the named memory does not hold the absolute range", kVesk,
     [](S s) { absoluteBanks(s); s.section("v", "", "gpr0").input(at({"v", kUdata, 4}, 0xA8)); },
     "section 'v' has a memory 'gpr0' which can not fit the absolute section. "
     "Section 'v' start=0x000000a8, length=0x00000004.", {}},
    {"a memory named from another list is unknown", kVesk,
     [](S s) {
       absoluteBanks(s);
       s.share("shr", 0x100, 0x10F).section("v", "", "shr").input(at({"v", kUdata, 4}, 0x100));
     }, "section 'v' has a memory 'shr' which is not defined in the linker command file.", {}},
    {"odd absolute code start on byte-wide program memory", kOstra,
     [](S s) { s.code("p", 0, 0xFF).input(at({"c", kCode, 2}, 0x11)); },
     "Absolute code section 'c' must start at a word-aligned address.", {}},
    {"odd absolute code start refused before the fit", kOstra,
     [](S s) { s.code("p", 0x100, 0x1FF).section("c", "p", "").input(at({"c", kCode, 2}, 0x11)); },
     "Absolute code section 'c' must start at a word-aligned address.", {}},
    {"odd absolute start of data on byte-wide program memory", kOstra,
     [](S s) { s.code("p", 0, 0xFF).input(at({"r", kRomdata, 1}, 0x11)); }, "", {{"r", "p@0x11"}}},
    {"odd absolute code start with word-wide locations", kVesk,
     [](S s) { s.code("p", 0, 0xFF).input(at({"c", kCode, 2}, 0x11)); }, "", {{"c", "p@0x11"}}},
    {"relocatable code at an even location", kOstra,
     [](S s) {
       tablePage(s);
       s.code("p", 0x101, 0x1FF).input({"c", kCode, 2}).input({"r", kRomdata, 1});
     },
     "", {{"c", "p@0x102"}, {"r", "p@0x101"}}},
    {"a stack without RAM= after the named sections, in data banks only", kVesk,
     [](S s) {
       stackBanks(s);
       s.stack(8, "").section("x", "", "gpr").input({"x", kUdata, 0x10}).input({"y", kUdata, 0x10});
     }, "", {{"x", "gpr@0x20"}, {".stack", "gpr@0x30"}, {"y", "gpr@0x38"}}},
    {"a stack with RAM= before the named sections", kVesk,
     [](S s) {
       stackBanks(s);
       s.stack(8, "gpr").section("x", "", "gpr").input({"x", kUdata, 0x10});
     },
     "", {{".stack", "gpr@0x20"}, {"x", "gpr@0x28"}}},
    {"a stack in a share bank", kVesk,
     [](S s) { stackBanks(s); s.stack(8, "shr"); }, "", {{".stack", "shr@0xf0"}}},
    {"a stack in an access bank", kVesk,
     [](S s) { stackBanks(s); s.stack(8, "acc"); }, "", {{".stack", "acc@0x0"}}},
    {"a stack in a bank nobody defined", kVesk,
     [](S s) {
       stackBanks(s);
       s.linker.cStackDesc = StackDesc(8, "nowhere");  // as no STACK line can give it
       s.linker.cHasStack = 1;
     },
     "undefined DATABANK/SHAREBANK 'nowhere' for STACK. ", {}},
    {"shared and access sections in their own lists", kVesk,
     [](S s) {
       stackBanks(s);
       s.input(sharedIn({"s", kUdata, 4})).input(accessIn({"a", kIdata, 4}));
     },
     "", {{"s", "shr@0xf0"}, {"a", "acc@0x0"}}},
    {"a share bank named for a section that is not shared", kVesk,
     [](S s) { stackBanks(s); s.section("u", "", "shr").input({"u", kUdata, 4}); },
     "section 'u' has a memory 'shr' which is not defined in the linker command file.", {}},
    {"a directive for a section of no input", kVesk,
     [](S s) { bankAndPage(s); s.section("ghost", "", "gpr"); }, "",
     {{"ghost", "-"}, {".cinit", "page@0x0"}}},
    {"an absolute idata section with a relocatable image", kVesk,
     [](S s) { bankAndPage(s); s.input(at({"d", kIdata, 3}, 0x40)); }, "",
     {{"d", "gpr@0x40"}, {".cinit", "page@0x0"}, {"d_i", "page@0x8"}}},
    {"a relocatable section of no known type", kVesk,
     [](S s) { bankAndPage(s); s.input({"odd", 0, 4}); },
     "unknown section type for section 'odd'.", {}},
    {"an absolute section of no known type", kVesk,
     [](S s) { bankAndPage(s); s.input(at({"odd", 5, 4}, 0x20)); },
     "unknown section type for section 'odd'.", {}},
    {"an image given a RAM memory", kVesk,
     [](S s) { bankAndPage(s); s.section("d_i", "", "gpr").input({"d", kIdata, 3}); },
     "section 'd_i' can not have a 'RAM' memory attribute specified in the linker command "
     "file.", {}},
    {"an image in its named code page", kVesk,
     [](S s) {
       bankAndPage(s);
       s.code("page2", 0x200, 0x2FF).section("d_i", "page2", "").input({"d", kIdata, 3});
     },
     "", {{"d_i", "page2@0x200"}, {"d", "gpr@0x20"}}},
    {"the table given a RAM memory", kVesk,
     [](S s) { bankAndPage(s); s.section(".cinit", "", "gpr"); },
     "section '.cinit' contains initialized rom data and can not have a 'RAM' memory attribute "
     "specified in the linker command file.", {}},
    {"the table in its named code page", kVesk,
     [](S s) { bankAndPage(s); s.code("page2", 0x200, 0x2FF).section(".cinit", "page2", ""); },
     "", {{".cinit", "page2@0x200"}}},
    {"the named memory is too small", kVesk,
     [](S s) {
       bankAndPage(s);
       s.data("small", 0xA0, 0xAF).section("x", "", "small").input({"x", kUdata, 0x20});
     }, "section 'x' has a memory 'small' which can not fit the section. "
        "Section 'x' length=0x00000020.", {}},
    {"a section named .stack without a STACK line", kVesk,
     [](S s) { bankAndPage(s); s.input({".stack", kUdata, 2}); }, "", {{".stack", "gpr@0x20"}}},
    {"an idata section without a name", kVesk,
     [](S s) { bankAndPage(s); s.input({"", kIdata, 2}); }, "",
     {{"", "gpr@0x20"}, {".cinit", "page@0x0"}, {"_i", "page@0x8"}}},
    {"an image whose program bytes pass 32 bits", kVesk,
     [](S s) {
       s.code("page", 0, 0xFFFFFFFE).data("huge", 0, 0xFFFFFFFE).section("d", "", "huge");
       s.input({"d", kIdata, 0x80000000});
     }, "section 'd_i' can not fit the section. Section 'd_i' length=0xffffffff", {}},
    {"keys compare as signed numbers", kVesk,
     [](S s) {
       s.code("page", 0, 0xFF).data("huge", 0, 0xFFFFFFFE);
       s.input({"big", kUdata, 0x80000000}).input({"small", kUdata, 0x10});
     }, "", {{"small", "huge@0x0"}, {"big", "huge@0x10"}}},
};
// clang-format on

TEST(MapSections, PlacesEverySectionOrRefuses) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    LinkSetup setup(c.processor);
    c.setup(setup);
    EXPECT_EQ(setup.map(), c.error);
    for (const auto& [section, place] : c.places)
      EXPECT_EQ(setup.placeOf(section), place) << section;
  }
}

TEST(MapSections, FailureKeepsWhatWasPlaced) {
  // The partial map shows the sections placed before the failing one.
  LinkSetup setup(kVesk);
  bankAndPage(setup);
  setup.input(at({"a", kUdata, 4}, 0x20)).input({"big", kUdata, 0x100});
  EXPECT_EQ(setup.map(), "section 'big' can not fit the section. Section 'big' length=0x00000100");
  EXPECT_EQ(setup.placeOf("a"), "gpr@0x20");
  EXPECT_EQ(setup.placeOf(".cinit"), "page@0x0");
  EXPECT_EQ(setup.placeOf("big"), "-");
}

}  // namespace
