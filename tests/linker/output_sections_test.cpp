// The output's sections: numbering, contents and headers, the images of
// idata and of the initialised-data table per core, and the refusal of
// parts that a damaged object gives a wrong length.
#include <gtest/gtest.h>

#include "captured_output.h"
#include "output_fixture.h"

using outputtest::bytesOf;
using outputtest::LinkState;
using qortest::ObjectBuilder;
using Bytes = std::vector<uint8_t>;

namespace {

struct ImageCase {
  const char* core;
  CoreFamily family;
  Bytes idata;         // empty: the link has no idata section
  Bytes cinitTable;    // what the table phase built
  Bytes image;         // the image section expected
  Bytes cinitContent;  // the ".cinit" contents expected
};

class ImageByCore : public testing::TestWithParam<ImageCase> {};

TEST_P(ImageByCore, IdataImageAndTable) {
  const ImageCase& row = GetParam();
  LinkState state(row.family);
  Memory& page = state.codePage("page", 0, 0x3FF);
  Memory& bank = state.dataBank("bank", 0x20, 0x7F);
  ObjectBuilder object("a.o");
  object.code(".code").bytes({0x11, 0x22});
  if (!row.idata.empty()) object.idata(".idata").bytes(row.idata);
  state.input(object);
  state.place(".code", page, 0x10);
  if (!row.idata.empty()) {
    state.place(".idata", bank, 0x30);
    state.placeOwn(".idata_i", page, 0x100, static_cast<uint32_t>(row.image.size()));
  }
  state.linker.cCinitData = bytesOf(row.cinitTable);
  state.placeOwn(".cinit", page, 0x200, static_cast<uint32_t>(row.cinitContent.size()));
  ASSERT_EQ(state.build(), 1);

  std::vector<std::string> order = {".code", ".cinit"};
  if (!row.idata.empty()) order = {".code", ".idata", ".idata_i", ".cinit"};
  EXPECT_EQ(state.sectionOrder(), order);
  EXPECT_EQ(state.rawData(".cinit"), row.cinitContent);
  EXPECT_EQ(state.header(".cinit").s_flags, STYP_ROMDATA);
  EXPECT_EQ(state.header(".cinit").s_paddr, 0x200u);
  if (row.idata.empty()) return;
  EXPECT_EQ(state.rawData(".idata"), row.idata);
  EXPECT_EQ(state.rawData(".idata_i"), row.image);
  EXPECT_EQ(state.header(".idata_i").s_flags, STYP_ROMDATA);
  EXPECT_EQ(state.header(".idata_i").s_paddr, 0x100u);
  EXPECT_EQ(state.header(".idata").s_paddr, 0x30u);
  EXPECT_EQ(state.header(".idata").s_flags, STYP_IDATA);
}

INSTANTIATE_TEST_SUITE_P(
    Cores, ImageByCore,
    testing::Values(
        ImageCase{"Vesk14",
                  CORE_VESK,
                  {1, 2, 3},
                  {1, 0, 9},
                  {1, 0x34, 2, 0x34, 3, 0x34},
                  {1, 0x34, 0, 0x34, 9, 0x34}},
        ImageCase{
            "Zarn12", CORE_ZARN, {1, 2, 3}, {1, 0, 9}, {1, 8, 2, 8, 3, 8}, {1, 8, 0, 8, 9, 8}},
        ImageCase{"Ostra8", CORE_OSTRA, {1, 2, 3}, {1, 0, 9}, {1, 2, 3}, {1, 0, 9}},
        ImageCase{"Mirel16", CORE_MIREL, {1, 2, 3}, {1, 0, 9}, {1, 2, 3}, {1, 0, 9}},
        ImageCase{"Vesk14NoIdata", CORE_VESK, {}, {0, 0}, {}, {0, 0x34, 0, 0x34}},
        ImageCase{"Zarn12NoIdata", CORE_ZARN, {}, {0, 0}, {}, {0, 8, 0, 8}},
        ImageCase{"Ostra8NoIdata", CORE_OSTRA, {}, {0, 0}, {}, {0, 0}}),
    [](const testing::TestParamInfo<ImageCase>& info) { return info.param.core; });

// Two inputs of one name (a path given twice, or two libraries' members)
// keep their own parts: per-input records are keyed by position.
class SharedSection : public testing::TestWithParam<int> {};

TEST_P(SharedSection, OneOutputSectionWithEachPartAtItsLoadStart) {
  const int withStack = GetParam();
  LinkState state(CORE_VESK);
  Memory& page = state.codePage("page", 0, 0x3FF);
  Memory& bank = state.dataBank("bank", 0x20, 0x7F);
  state.input(ObjectBuilder("x.o").code(".code").bytes({1, 2, 3, 4}).udata(".bss", 8));
  state.input(ObjectBuilder("x.o").code(".only").bytes({9, 9}).code(".code").bytes({5, 6}));
  state.place(".code", page, 0x40);
  state.place(".bss", bank, 0x20);
  state.place(".only", page, 0x80);
  state.placeOwn(".cinit", page, 0x90, 4);
  if (withStack) state.stack(bank, 0x50, 0x10);
  ASSERT_EQ(state.build(), 1);

  std::vector<std::string> order = {".code", ".bss", ".only", ".cinit"};
  if (withStack) order.push_back(".stack");
  EXPECT_EQ(state.sectionOrder(), order);
  EXPECT_EQ(state.rawData(".code"), (Bytes{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(state.header(".code").s_paddr, 0x40u);
  EXPECT_EQ(state.header(".code").s_size, 6u);
  EXPECT_EQ(state.rawData(".bss"), Bytes(8, 0));
  EXPECT_EQ(state.header(".bss").s_flags, STYP_UDATA);
  EXPECT_EQ(state.header(".bss").s_size, 8u);
  EXPECT_EQ(state.header(".bss").s_scnptr, 0u);
  EXPECT_EQ(state.linker.cOutput.cFileHdr.f_nscns, order.size());
  if (!withStack) return;
  EXPECT_EQ(state.rawData(".stack"), Bytes(0x10, 0));
  EXPECT_EQ(state.header(".stack").s_flags, STYP_UDATA);
  EXPECT_EQ(state.header(".stack").s_paddr, 0x50u);
}

INSTANTIATE_TEST_SUITE_P(Stack, SharedSection, testing::Values(0, 1));

// The attributes of a section reach its header; the overlay flag does not.
TEST(OutputHeaders, AttributesOfTheSection) {
  LinkState state(CORE_OSTRA);
  Memory& page = state.codePage("page", 0, 0x3FF);
  Memory& bank = state.dataBank("bank", 0x20, 0x7F);
  state.input(ObjectBuilder("a.o")
                  .code("abs")
                  .absolute()
                  .overlay()
                  .bytes({1, 2})
                  .udata("shr", 2)
                  .shared()
                  .udata("acc", 2)
                  .access());
  state.place("abs", page, 0);
  state.place("shr", bank, 0x20);
  state.place("acc", bank, 0x30);
  state.placeOwn(".cinit", page, 0x10, 2);
  ASSERT_EQ(state.build(), 1);
  EXPECT_EQ(state.header("abs").s_flags, STYP_CODE | STYP_ABS);
  EXPECT_EQ(state.header("shr").s_flags, STYP_UDATA | STYP_SHARED);
  EXPECT_EQ(state.header("acc").s_flags, STYP_UDATA | STYP_ACCESS);
}

// A damaged object (two headers of one name, which only a library member
// that was never verified can bring) gives a part whose bytes do not match
// its loaded length, or parts of odd length in memory of two bytes per
// location that would reach past the section.
struct DamagedCase {
  const char* name;
  Bytes first, second;
  uint32_t trimTo;  // the second part's raw data cut to this many bytes
  const char* message;
};

class DamagedPart : public testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedPart, IsRefusedWithAMessage) {
  const DamagedCase& row = GetParam();
  LinkState state(CORE_VESK);
  Memory& page = state.codePage("page", 0, 0x3FF);
  state.input(ObjectBuilder("a.o").romdata("tbl").bytes(row.first));
  state.input(ObjectBuilder("b.o").romdata("tbl").bytes(row.second));
  Data& raw = state.linker.cCoff[1]->cRawData["tbl"];
  raw = Data(row.trimTo, raw.data());
  state.place("tbl", page, 0x10);
  qortest::CapturedOutput captured;
  std::string error;
  ASSERT_EQ(state.linker.buildOutputScnNum(error), 1);
  EXPECT_EQ(state.linker.buildOutputRawData(error), 0);
  EXPECT_EQ(error, "");
  EXPECT_EQ(captured.errors(),
            std::string("Error - Coff file 'b.o', section 'tbl' ") + row.message + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Parts, DamagedPart,
    testing::Values(
        DamagedCase{
            "ShortRawData", {1, 2}, {3, 4}, 1, "has raw data that does not match its size."},
        DamagedCase{
            "OddPartsPastTheEnd", {1, 2, 3}, {4, 5}, 2, "does not fit in its output section."}),
    [](const testing::TestParamInfo<DamagedCase>& info) { return info.param.name; });

}  // namespace
