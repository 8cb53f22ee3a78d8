// The developer's dump of the Linker: its labels, order and empty lines.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "captured_output.h"
#include "debug_switches.h"
#include "linker.h"

namespace {

// A memory's own dump, each line moved three blanks to the right.
std::string indentedDump(const Memory& memory) {
  std::ostringstream dump;
  memory.dump(dump);
  std::istringstream lines(dump.str());
  std::string indented;
  for (std::string line; std::getline(lines, line);) indented += "   " + line + "\n";
  return indented;
}

class LinkerPrint : public testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(cLinker.setMinHeapSize(0x40, error));
    ASSERT_TRUE(cLinker.setMapFile("out.map", error));
    ASSERT_TRUE(cLinker.setOutputFile("out.o", error));
    ASSERT_TRUE(cLinker.addObjectFile("a.o", error));
    ASSERT_TRUE(cLinker.addObjectFile("b.o", error));
    ASSERT_TRUE(cLinker.addLibraryFile("x.lib", error));
    ASSERT_TRUE(cLinker.addCodePage(Memory("page", 0, 0x7FF, 0, 0, 1, "0x3fff"), error));
    ASSERT_TRUE(cLinker.addShareBank(Memory("gpr", 0x70, 0x7F, 1, 1, 0, ""), error));
    ASSERT_TRUE(cLinker.setStack(StackDesc(0x20, "gpr"), error));
    ASSERT_TRUE(cLinker.addSection(SectionDesc("code", "page", ""), error));
    ASSERT_TRUE(cLinker.addLibPath("lib", error));
    ASSERT_TRUE(cLinker.setStrip(1, error));
    // The dumps of the memories show sizes, which need the widths.
    cLinker.cCodePage.front().setWidthBits(14);
    cLinker.cShareBanks.front().setWidthBits(8);
    cLinker.cScnSize = {{".abs", 16}, {".data", 4}};
    cLinker.cScnType = {{".abs", 1}, {".data", 3}};
    cLinker.cScnAbs = {{".abs", 1}, {".data", 0}};
    cLinker.cScnShare = {{".abs", 0}, {".data", 1}};
    cLinker.cScnAccess = {{".abs", 0}, {".data", 0}};
    cLinker.cScnAbsStart = {{".abs", 0x100}};
    cLinker.cScnAbsSize = {{".abs", 0x10}};
    cLinker.cScnMem = {{".data", &cLinker.cShareBanks.front()}};
  }

  std::string expected() const {
    return "Linker:\n"
           "  cMinHeapSize=0x00000040\n"
           "  cStackDesc=StackDesc:  cSize=0x00000020, cRunMemory=gpr\n"
           "\n"
           "  cMapFile=out.map\n"
           "  cOutputFile=out.o\n"
           "\n"
           "  cObjectFile[0]=a.o\n"
           "  cObjectFile[1]=b.o\n"
           "\n"
           "  cLibraryFile[0]=x.lib\n"
           "\n"
           "  cCodePage[0]=\n" +
           indentedDump(cLinker.cCodePage.front()) +
           "\n"
           "\n"
           "  cShareBanks[0]=\n" +
           indentedDump(cLinker.cShareBanks.front()) +
           "\n"
           "\n"
           "  cSectionDesc[0]=SectionDesc:  cName=code, cLoadMemory=page, cRunMemory=\n"
           "\n"
           "  cLibPath[0]=lib\n"
           "\n"
           "  cStrip=1\n";
  }

  static std::string internals() {
    return "------- Linker Internals: \n"
           "cScnSize[.abs]=16\n"
           "cScnType[.abs]=1\n"
           "cScnAbs[.abs]=1\n"
           "cScnShare[.abs]=0\n"
           "cScnAccess[.abs]=0\n"
           "cScnAbsStart[.abs]=0x00000100\n"
           "cScnAbsSize[.abs]=0x00000010\n"
           "\n"
           "cScnSize[.data]=4\n"
           "cScnType[.data]=3\n"
           "cScnAbs[.data]=0\n"
           "cScnShare[.data]=1\n"
           "cScnAccess[.data]=0\n"
           "cScnMem[.data]=gpr\n"
           "\n";
  }

  Linker cLinker;
};

TEST_F(LinkerPrint, SettingsMemoriesAndSectionTables) {
  std::ostringstream out;
  cLinker.print(out);
  EXPECT_EQ(out.str(), expected() + internals());
}

TEST_F(LinkerPrint, ObjectsFollowOnlyUnderTheirOwnSwitch) {
  cLinker.cCoff.push_back(std::make_unique<Coff>());
  cLinker.cCoff.back()->cName = "a.o";
  std::ostringstream inputDump;
  cLinker.cCoff.back()->dump(inputDump);
  std::ostringstream outputDump;
  cLinker.cOutput.dump(outputDump);

  setSwitch("Linker::print", 1);
  std::ostringstream out;
  cLinker.print(out);
  setSwitch("Linker::print", 0);
  EXPECT_EQ(out.str(), expected() + "  cCoff[a.o]=\n" + inputDump.str() + "  cOutput=\n" +
                           outputDump.str() + internals());
}

}  // namespace
