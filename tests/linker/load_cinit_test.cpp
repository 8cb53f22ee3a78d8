// The bytes of the initialised-data table: a count and one entry per idata
// section in name order, short (16-bit fields) or long (32-bit fields) as
// the device's address space asks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "allocate_fixture.h"

namespace {

using namespace allocfix;

std::vector<uint8_t> bytesOf(const Data& data) {
  return std::vector<uint8_t>(data.data(), data.data() + data.size());
}

// Two idata sections, "b" given first, each with its data bank and the
// code page of its image named by directives, so that every address of
// the table is known.
struct Places {
  uint32_t imageA, imageB, dataA, dataB;
};

struct Case {
  const char* what;
  ProcessorCode processor;
  Places at;
  std::vector<uint8_t> expected;
};

// clang-format off
const Case kCases[] = {
    // The count; then a and b, each: image start, data start, size.
    {"short entries, data start cut to 16 bits", kVesk, {0x100, 0x200, 0x20, 0x12340},
     {0x02, 0x00, 0x00, 0x01, 0x20, 0x00, 0x03, 0x00, 0x00, 0x02, 0x40, 0x23, 0x04, 0x00}},
    {"short entries, image start cut to 16 bits", kMirel, {0x100, 0x1FF00, 0x20, 0x40},
     {0x02, 0x00, 0x00, 0x01, 0x20, 0x00, 0x03, 0x00, 0x00, 0xFF, 0x40, 0x00, 0x04, 0x00}},
    {"short entries on the 12-bit core", kZarn, {0x100, 0x200, 0x10, 0x30},
     {0x02, 0x00, 0x00, 0x01, 0x10, 0x00, 0x03, 0x00, 0x00, 0x02, 0x30, 0x00, 0x04, 0x00}},
    {"long entries with whole 32-bit values", kOstra, {0x100, 0x10100, 0x20, 0x340},
     {0x02, 0x00,
      0x00, 0x01, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,
      0x00, 0x01, 0x01, 0x00, 0x40, 0x03, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00}},
};
// clang-format on

TEST(BuildCinit, EntriesInNameOrder) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    LinkSetup setup(c.processor);
    setup.code("tbl", 0, 0x3F).section(".cinit", "tbl", "");
    setup.code("ia", c.at.imageA, c.at.imageA + 0xF).code("ib", c.at.imageB, c.at.imageB + 0xF);
    setup.data("da", c.at.dataA, c.at.dataA + 0xF).data("db", c.at.dataB, c.at.dataB + 0xF);
    setup.section("b", "", "db").section("b_i", "ib", "");
    setup.section("a", "", "da").section("a_i", "ia", "");
    setup.input({"b", kIdata, 4}).input({"a", kIdata, 3}).input({"t", kCode, 2});
    ASSERT_EQ(setup.map(), "");
    std::string error;
    EXPECT_EQ(setup.linker.buildCinit(error), 1);
    EXPECT_EQ(bytesOf(setup.linker.cCinitData), c.expected);
    // The table fills the section allocated for it, word for byte on the
    // narrow cores.
    EXPECT_EQ(setup.linker.toAddressUnits(setup.linker.cCinitData.size()),
              setup.linker.cScnMem.at(".cinit")->getAllocSize(".cinit"));
  }
}

TEST(BuildCinit, NoIdataGivesACountOfZero) {
  for (ProcessorCode processor : {kVesk, kOstra}) {
    LinkSetup setup(processor);
    setup.code("page", 0, 0xFF).data("gpr", 0x20, 0x7F);
    setup.input({"t", kCode, 2}).input({"u", kUdata, 2}).input({"r", kRomdata, 2});
    ASSERT_EQ(setup.map(), "");
    std::string error;
    EXPECT_EQ(setup.linker.buildCinit(error), 1);
    EXPECT_EQ(bytesOf(setup.linker.cCinitData), (std::vector<uint8_t>{0, 0}));
  }
}

}  // namespace
