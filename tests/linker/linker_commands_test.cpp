// The Linker's command operations: what each accepts, the exact text of
// each refusal, and that a refused setting leaves nothing behind.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "linker.h"

namespace {

using Step = std::function<int(Linker&, std::string&)>;

Memory block(const std::string& name, uint32_t start, uint32_t end, uint8_t type) {
  return Memory(name, start, end, type, 0, 0, "");
}

Step code(const std::string& name, uint32_t start, uint32_t end) {
  return [=](Linker& l, std::string& e) { return l.addCodePage(block(name, start, end, 0), e); };
}
Step data(const std::string& name, uint32_t start, uint32_t end) {
  return [=](Linker& l, std::string& e) { return l.addDataBank(block(name, start, end, 1), e); };
}
Step share(const std::string& name, uint32_t start, uint32_t end) {
  return [=](Linker& l, std::string& e) { return l.addShareBank(block(name, start, end, 1), e); };
}
Step access(const std::string& name, uint32_t start, uint32_t end) {
  return [=](Linker& l, std::string& e) { return l.addAccessBank(block(name, start, end, 1), e); };
}
Step section(const std::string& name, const std::string& rom, const std::string& ram) {
  return [=](Linker& l, std::string& e) { return l.addSection(SectionDesc(name, rom, ram), e); };
}
Step stack(uint32_t size, const std::string& ram) {
  return [=](Linker& l, std::string& e) { return l.setStack(StackDesc(size, ram), e); };
}
Step heap(uint32_t size) {
  return [=](Linker& l, std::string& e) { return l.setMinHeapSize(size, e); };
}
Step mapFile(const std::string& n) {
  return [=](Linker& l, std::string& e) { return l.setMapFile(n, e); };
}
Step output(const std::string& n) {
  return [=](Linker& l, std::string& e) { return l.setOutputFile(n, e); };
}
Step object(const std::string& n) {
  return [=](Linker& l, std::string& e) { return l.addObjectFile(n, e); };
}
Step library(const std::string& n) {
  return [=](Linker& l, std::string& e) { return l.addLibraryFile(n, e); };
}

// Everything a command operation can store, in one comparable text.
std::string heldState(const Linker& l) {
  std::string state = std::to_string(l.cMinHeapSize) + "/" + std::to_string(l.cHasMinHeapSize) +
                      "/" + l.cMapFile + "/" + l.cOutputFile + "/" +
                      std::to_string(l.cStackDesc.getSize()) + l.cStackDesc.getRunMemory() +
                      std::to_string(l.cHasStack);
  for (auto size :
       {l.cObjectFile.size(), l.cLibraryFile.size(), l.cCodePage.size(), l.cDataBanks.size(),
        l.cShareBanks.size(), l.cAccessBanks.size(), l.cSectionDesc.size(), l.cLibPath.size()}) {
    state += "/" + std::to_string(size);
  }
  return state;
}

struct Refusal {
  const char* what;
  std::vector<Step> accepted;  // run first, each must be taken
  Step refused;
  std::string text;
};

TEST(LinkerCommands, RefusalsGiveTheirTextAndStoreNothing) {
  const Refusal cases[] = {
      {"second heap", {heap(16)}, heap(0x40), "multiple min heap sizes declared: '16', '64'"},
      {"second map",
       {mapFile("a.map")},
       mapFile("b.map"),
       "multiple map files declared: 'a.map', 'b.map'"},
      {"second output",
       {output("a.out")},
       output("b.out"),
       "multiple output files declared: 'a.out', 'b.out'"},
      {"object twice", {object("x.o")}, object("x.o"), "mutliple inclusion of object file 'x.o' "},
      {"library twice",
       {library("x.lib")},
       library("x.lib"),
       "mutliple inclusion of library file 'x.lib' "},
      {"code page name twice",
       {code("p", 0, 0xFF)},
       code("p", 0x100, 0x1FF),
       "duplicate definition of memory 'p' "},
      {"data bank named as a code page",
       {code("p", 0, 0xFF)},
       data("p", 0x100, 0x1FF),
       "duplicate definition of memory 'p' "},
      {"access bank named as a share bank",
       {share("s", 0x70, 0x7F)},
       access("s", 0, 0x1F),
       "duplicate definition of memory 's' "},
      {"data bank named as a share bank",
       {share("gpr", 0x70, 0x7F)},
       data("gpr", 0x20, 0x6F),
       "duplicate definition of memory 'gpr' "},
      {"share bank named as a code page",
       {code("gpr", 0, 0xFF)},
       share("gpr", 0x70, 0x7F),
       "duplicate definition of memory 'gpr' "},
      {"code pages sharing one address",
       {code("a", 0, 0x200)},
       code("b", 0x200, 0x3FF),
       "memory 'b' overlaps memory 'a' "},
      {"code page inside another",
       {code("a", 0, 0x3FF)},
       code("b", 0x100, 0x1FF),
       "memory 'b' overlaps memory 'a' "},
      {"code page ending on another's first address",
       {code("a", 0x10, 0x20)},
       code("b", 0, 0x10),
       "memory 'b' overlaps memory 'a' "},
      {"first overlap in the order defined",
       {code("a", 0x200, 0x2FF), code("b", 0, 0xFF)},
       code("c", 0, 0x3FF),
       "memory 'c' overlaps memory 'a' "},
      {"data banks come before share banks",
       {access("x", 0x60, 0x6F), share("s", 0x70, 0x7F), data("d", 0x80, 0xFF)},
       data("n", 0, 0x1FF),
       "memory 'n' overlaps memory 'd' "},
      {"share banks come before access banks",
       {access("x", 0x60, 0x6F), share("s", 0x70, 0x7F)},
       access("n", 0x65, 0x75),
       "memory 'n' overlaps memory 's' "},
      {"share banks of one name overlapping",
       {share("gpr", 0x70, 0x7F)},
       share("gpr", 0x78, 0x87),
       "memory 'gpr' overlaps memory 'gpr' "},
      {"share bank of another length",
       {share("gpr", 0x70, 0x7F), share("gpr", 0xF0, 0xFF)},
       share("gpr", 0x170, 0x17E),
       "inconsistent length definitions of SHAREBANK 'gpr' "},
      {"section twice",
       {code("p", 0, 0xFF), section("x", "p", "")},
       section("x", "q", "r"),
       "duplicate definitions of SECTION 'x' "},
      {"section before its code page",
       {},
       section("x", "page", ""),
       "undefined CODEPAGE 'page' for SECTION 'x' "},
      {"section ROM naming a data bank",
       {data("b", 0, 0xFF)},
       section("x", "b", ""),
       "undefined CODEPAGE 'b' for SECTION 'x' "},
      {"section RAM undefined",
       {code("p", 0, 0xFF)},
       section("x", "p", "b"),
       "undefined DATABANK/SHAREBANK 'b' for SECTION 'x' "},
      {"section RAM naming a code page",
       {code("p", 0, 0xFF)},
       section("x", "", "p"),
       "undefined DATABANK/SHAREBANK 'p' for SECTION 'x' "},
      {"second stack", {stack(0x20, "")}, stack(0x10, ""), "multiple STACK definitions "},
      {"stack RAM undefined",
       {},
       stack(0x20, "gpr"),
       "undefined DATABANK/SHAREBANK 'gpr' for STACK. "},
      {"stack RAM naming a code page",
       {code("p", 0, 0xFF)},
       stack(0x20, "p"),
       "undefined DATABANK/SHAREBANK 'p' for STACK. "},
  };
  for (const Refusal& c : cases) {
    Linker linker;
    std::string error;
    for (const Step& step : c.accepted)
      ASSERT_EQ(step(linker, error), 1) << c.what << ": " << error;
    const std::string before = heldState(linker);
    EXPECT_EQ(c.refused(linker, error), 0) << c.what;
    EXPECT_EQ(error, c.text) << c.what;
    EXPECT_EQ(heldState(linker), before) << c.what;
  }
}

struct Acceptance {
  const char* what;
  std::vector<Step> steps;
};

TEST(LinkerCommands, SettingsThatAgreeAreAllTaken) {
  const Acceptance cases[] = {
      {"adjacent code pages", {code("a", 0, 0x1FF), code("b", 0x200, 0x3FF)}},
      {"code page and data bank at one address", {code("p", 0, 0xFF), data("d", 0, 0xFF)}},
      {"one share bank in two banks", {share("gpr", 0x70, 0x7F), share("gpr", 0xF0, 0xFF)}},
      {"stack in an access bank", {access("acc", 0, 0x1F), stack(0x20, "acc")}},
      {"stack in a share bank", {share("s", 0x70, 0x7F), stack(0x10, "s")}},
      {"section in both memories",
       {code("p", 0, 0xFF), data("d", 0, 0x7F), section("x", "p", "d")}},
      {"one object under two names", {object("x.o"), object("./x.o")}},
      {"an object and a library of one base name", {object("x.o"), library("x.lib")}},
      {"heap once, equal to the default", {heap(32)}},
      {"memory ending below its start shares nothing", {code("a", 0x10, 0x5), code("b", 0, 0xFF)}},
      {"a gap between memories",
       {data("a", 0, 0x1F), data("b", 0x40, 0x5F), data("c", 0x20, 0x3F)}},
  };
  for (const Acceptance& c : cases) {
    Linker linker;
    std::string error;
    for (const Step& step : c.steps) EXPECT_EQ(step(linker, error), 1) << c.what << ": " << error;
    EXPECT_EQ(error, "") << c.what;
  }
}

TEST(LinkerCommands, StoredValuesKeepTheirOrder) {
  Linker linker;
  std::string error;
  for (const Step& step :
       {heap(0x40), mapFile("m.map"), output("o.out"), object("b.o"), object("a.o"),
        library("z.lib"), library("y.lib"), share("s", 0x70, 0x7F), share("s", 0xF0, 0xFF),
        code("p1", 0x800, 0xFFF), code("p0", 0, 0x7FF), stack(0x18, "s"), section("y", "p1", ""),
        section("x", "", "s")}) {
    ASSERT_EQ(step(linker, error), 1) << error;
  }
  EXPECT_EQ(linker.addLibPath("lib", error), 1);
  EXPECT_EQ(linker.addLibPath("lib", error), 1);  // a repeated directory is stored again
  EXPECT_EQ(linker.setStrip(1, error), 1);
  EXPECT_EQ(linker.cMinHeapSize, 0x40u);
  EXPECT_EQ(linker.cHasMinHeapSize, 1u);
  EXPECT_EQ(linker.cMapFile, "m.map");
  EXPECT_EQ(linker.cOutputFile, "o.out");
  EXPECT_EQ(linker.cObjectFile, (std::list<std::string>{"b.o", "a.o"}));
  EXPECT_EQ(linker.cLibraryFile, (std::list<std::string>{"z.lib", "y.lib"}));
  EXPECT_EQ(linker.cShareBanks.size(), 2u);
  EXPECT_EQ(linker.cCodePage.front().getName(), "p1");
  EXPECT_EQ(linker.cStackDesc.getSize(), 0x18u);
  EXPECT_EQ(linker.cStackDesc.getRunMemory(), "s");
  EXPECT_EQ(linker.cHasStack, 1u);
  EXPECT_EQ(linker.cSectionDesc.front().getName(), "y");
  EXPECT_EQ(linker.cSectionDesc.back().getRunMemory(), "s");
  EXPECT_EQ(linker.cLibPath, (std::list<std::string>{"lib", "lib"}));
  EXPECT_EQ(linker.cStrip, 1);
}

TEST(LinkerCommands, DefaultsOfANewLinker) {
  Linker l;
  EXPECT_EQ(std::to_string(l.cHasMinHeapSize) + std::to_string(l.cHasStack) +
                std::to_string(l.cMinHeapSize) + std::to_string(l.cStrip) +
                std::to_string(l.cFillCount) + std::to_string(l.cRomWidthBits) +
                std::to_string(l.cRamWidthBits),
            "00320000");
  EXPECT_EQ(heldState(l), "32/0///00/0/0/0/0/0/0/0/0");
  EXPECT_EQ(l.cStackScnName, ".stack");
  EXPECT_EQ(l.cCinitScnName, ".cinit");
  // The output is laid out as an empty object from the start.
  const FileHeader& header = l.cOutput.cFileHdr;
  EXPECT_EQ(header.f_magic, 0x1234u);
  EXPECT_NE(header.f_timdat, 0u);
  EXPECT_EQ(header.f_nscns + header.f_nsyms + header.f_symptr, 0u);
}

}  // namespace
