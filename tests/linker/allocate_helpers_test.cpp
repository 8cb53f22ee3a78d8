// The small computations of allocation (table length, program bytes of an
// image, section names), the "_cinit" symbol and one trace.
#include <gtest/gtest.h>

#include <string>

#include "allocate_fixture.h"
#include "captured_output.h"
#include "debug_switches.h"

namespace {

using namespace allocfix;

TEST(AllocateHelpers, TableLengthByFamilyAndCount) {
  struct Case {
    ProcessorCode processor;
    int idataSections;
    uint32_t expected;
  };
  const Case cases[] = {
      {kVesk, 0, 4},  {kZarn, 0, 4},  {kMirel, 0, 2},  {kOstra, 0, 2},
      {kVesk, 3, 40}, {kZarn, 1, 16}, {kMirel, 3, 20}, {kOstra, 3, 38},
  };
  for (const Case& c : cases) {
    LinkSetup setup(c.processor);
    for (int i = 0; i < c.idataSections; ++i) setup.input({"d" + std::to_string(i), kIdata, 1});
    setup.input({"text", kCode, 8}).input({"bss", kUdata, 8});
    EXPECT_EQ(setup.linker.cinitSize(), c.expected)
        << int{c.processor} << " with " << c.idataSections;
  }
}

TEST(AllocateHelpers, ProgramBytesOfData) {
  struct Case {
    ProcessorCode processor;
    uint32_t bytes;
    uint32_t expected;
  };
  const Case cases[] = {
      {kVesk, 5, 10},
      {kZarn, 5, 10},
      {kMirel, 5, 5},
      {kOstra, 5, 5},
      {kVesk, 0x7FFFFFFF, 0xFFFFFFFE},
      {kVesk, 0x80000000, 0xFFFFFFFF},  // past 32 bits: the largest length, not a wrap
      {kOstra, 0xFFFFFFFF, 0xFFFFFFFF},
  };
  for (const Case& c : cases) {
    LinkSetup setup(c.processor);
    EXPECT_EQ(setup.linker.toAddressUnits(c.bytes), c.expected) << std::hex << c.bytes;
  }
}

TEST(AllocateHelpers, ImageAndBaseNames) {
  struct Case {
    const char* name;
    const char* base;
  };
  const Case cases[] = {
      {"data_i", "data"}, {"a_i_i", "a_i"}, {"_i", "_i"},   {"x_i", "x"},
      {"data", "data"},   {"x_I", "x_I"},   {"ab_", "ab_"}, {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Linker::baseSectionName(c.name), c.base) << c.name;
  EXPECT_EQ(Linker::initSectionName("data"), "data_i");
  EXPECT_EQ(Linker::initSectionName(""), "_i");
}

TEST(AllocateHelpers, CinitSymbolGetsTheTableStart) {
  LinkSetup setup(kVesk);
  setup.code("low", 0, 0).code("page", 0x100, 0x1FF).input(at({"reset", kCode, 4}, 0x100));
  ASSERT_EQ(setup.map(), "");
  const SymbolEntry& symbol = setup.linker.cCinitSym;
  EXPECT_EQ(Coff::getName(symbol, setup.linker.cOutput.cStrTbl), "_cinit");
  EXPECT_EQ(symbol.n_value, 0x102u);  // after the absolute section; "low" is too small
  EXPECT_EQ(symbol.n_scnum, 0);
  EXPECT_EQ(symbol.n_type, 0);
  EXPECT_EQ(symbol.n_sclass, C_EXT);
  EXPECT_EQ(symbol.n_numaux, 0);
}

TEST(AllocateHelpers, StackPredicates) {
  LinkSetup none(kVesk);
  EXPECT_EQ(none.linker.stackHasMemory(), 0);
  std::string error;
  EXPECT_EQ(none.linker.allocateStack(error), 1);  // nothing to place
  EXPECT_TRUE(none.linker.cScnMem.empty());
  LinkSetup unnamed(kVesk);
  unnamed.data("gpr", 0x20, 0x7F).stack(4, "");
  EXPECT_EQ(unnamed.linker.stackHasMemory(), 0);
  LinkSetup named(kVesk);
  named.data("gpr", 0x20, 0x7F).stack(4, "gpr").section(".cinitx", "", "gpr");
  EXPECT_EQ(named.linker.stackHasMemory(), 1);
  EXPECT_EQ(named.linker.cinitHasSection(), 0);
  named.code("page", 0, 0xFF).section(".cinit", "page", "");
  EXPECT_EQ(named.linker.cinitHasSection(), 1);
}

TEST(AllocateHelpers, TooManyTableEntriesAreRefused) {
  // The count word holds 16 bits; 65536 entries would read back as none.
  LinkSetup setup(kOstra);
  setup.code("page", 0, 0xFFFFFF);
  setup.setWidths();
  for (int i = 0; i < 0x10000; ++i) setup.linker.cScnType["d" + std::to_string(i)] = kIdata;
  std::string error;
  EXPECT_EQ(setup.linker.allocateCinit(error), 0);
  EXPECT_EQ(error, "section '.cinit' can not describe more than 65535 initialized data sections.");
  setup.linker.cScnType.erase("d0");
  error.clear();
  EXPECT_EQ(setup.linker.allocateCinit(error), 1) << error;
  EXPECT_EQ(setup.linker.cScnMem.at(".cinit")->getAllocSize(".cinit"), 2u + 0xFFFF * 12u);
}

TEST(AllocateHelpers, AssignedPlacementTrace) {
  LinkSetup setup(kVesk);
  setup.data("gpr", 0x20, 0x7F);
  setup.setWidths();
  std::string error;
  qortest::CapturedOutput captured;
  setSwitch("Linker::allocateRelAssigned", 1);
  const int result =
      setup.linker.allocateRelAssigned(setup.linker.cDataBanks, "gpr", "x", 4, 0, error);
  setSwitch("Linker::allocateRelAssigned", 0);
  EXPECT_EQ(result, 1) << error;
  EXPECT_NE(captured.output().find("Linker::allocateRelAssigned() - memory 'gpr' can fit the "
                                   "section! Will allocate.\n"),
            std::string::npos)
      << captured.output();
}

}  // namespace
