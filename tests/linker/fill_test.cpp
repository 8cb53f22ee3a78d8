// Fill sections for the free holes of code pages with FILL=: the pattern,
// the warning when it does not divide the hole, which memories fill, the
// order and names of the sections, the hundredth name, and the trace.
#include <gtest/gtest.h>

#include <functional>

#include "captured_output.h"
#include "debug_switches.h"
#include "output_fixture.h"
#include "process_runner.h"

using outputtest::LinkState;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes repeated(const Bytes& pattern, size_t times) {
  Bytes bytes;
  for (size_t i = 0; i < times; ++i) bytes.insert(bytes.end(), pattern.begin(), pattern.end());
  return bytes;
}

Bytes withLead(uint8_t lead, Bytes bytes) {
  bytes.insert(bytes.begin(), lead);
  return bytes;
}

const std::string kTruncated =
    "Warning - Fill pattern for memory 'page' doesn't divide evenly into\n"
    "          unused program locations.  Last value was truncated.\n";

struct PatternCase {
  const char* name;
  CoreFamily family;
  const char* fill;
  uint32_t start, end;
  Bytes expected;
  bool warns;
};

class FillPattern : public testing::TestWithParam<PatternCase> {};

TEST_P(FillPattern, BytesAndWarning) {
  const PatternCase& row = GetParam();
  LinkState state(row.family);
  state.codePage("page", row.start, row.end, row.fill);
  qortest::CapturedOutput captured;
  state.linker.buildOutputHoles();
  EXPECT_EQ(state.sectionOrder(), std::vector<std::string>{".fill_1"});
  EXPECT_EQ(state.rawData(".fill_1"), row.expected);
  EXPECT_EQ(state.header(".fill_1").s_paddr, row.start);
  EXPECT_EQ(state.header(".fill_1").s_flags, STYP_CODE);
  EXPECT_EQ(captured.errors(), row.warns ? kTruncated : "");
  state.linker.cOutput.preWrite();
  EXPECT_EQ(state.linker.cOutput.verify(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, FillPattern,
    testing::Values(
        PatternCase{"Word14Bit", CORE_VESK, "0x3FFF", 0x100, 0x1FF, repeated({0xFF, 0x3F}, 256),
                    false},
        PatternCase{"TwoWordsOver3", CORE_OSTRA, "0x12345678", 0, 2, {0x34, 0x12, 0x78}, true},
        PatternCase{
            "TwoWordsOver4", CORE_OSTRA, "0x12345678", 0, 3, {0x34, 0x12, 0x78, 0x56}, false},
        PatternCase{"TwoWordsOver6",
                    CORE_OSTRA,
                    "0x12345678",
                    0,
                    5,
                    {0x34, 0x12, 0x78, 0x56, 0x34, 0x12},
                    true},
        PatternCase{"Decimal255Over5", CORE_OSTRA, "255", 0, 4, {0xFF, 0, 0xFF, 0, 0xFF}, true},
        PatternCase{"DecimalLow16Bits", CORE_OSTRA, "65537", 0, 1, {1, 0}, false},
        PatternCase{"UpperCaseX", CORE_MIREL, "0X00ab", 0, 0, {0xAB, 0}, false},
        // Byte-addressed memory: the words lie at even addresses, so a hole
        // at an odd address begins with the high byte of the first word.
        PatternCase{"ByteOddStart", CORE_OSTRA, "0x1234", 0x8B, 0xFF,
                    withLead(0x12, repeated({0x34, 0x12}, 0x3A)), true},
        PatternCase{"ByteOddTwoWords",
                    CORE_OSTRA,
                    "0x12345678",
                    0x8B,
                    0x8E,
                    {0x12, 0x78, 0x56, 0x34},
                    false},
        PatternCase{"ByteEvenStart", CORE_OSTRA, "0x1234", 0x8C, 0x8F, repeated({0x34, 0x12}, 2),
                    false},
        PatternCase{"WordOddStart", CORE_MIREL, "0x1234", 0x101, 0x102, repeated({0x34, 0x12}, 2),
                    false}),
    [](const testing::TestParamInfo<PatternCase>& info) { return info.param.name; });

// Only code pages with FILL= and free room get fill sections.
struct NoFillCase {
  const char* name;
  std::function<void(LinkState&)> setUp;
};

class NoFill : public testing::TestWithParam<NoFillCase> {};

TEST_P(NoFill, MakesNoSection) {
  LinkState state(CORE_VESK);
  GetParam().setUp(state);
  state.linker.buildOutputHoles();
  EXPECT_TRUE(state.linker.cOutput.cScnNum.empty());
  EXPECT_EQ(state.linker.cFillCount, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Memories, NoFill,
    testing::Values(NoFillCase{"NoFillValue", [](LinkState& s) { s.codePage("p", 0, 0xFF); }},
                    NoFillCase{"DataBank",
                               [](LinkState& s) {
                                 std::string error;
                                 s.linker.addDataBank(
                                     Memory("b", 0x20, 0x7F, Linker::ram, 0, 1, "0x1234"), error);
                               }},
                    NoFillCase{"NoFreeRoom",
                               [](LinkState& s) {
                                 s.codePage("p", 0, 0xFF, "0x3FFF")
                                     .allocate("all", uint32_t{0}, uint32_t{0x200}, 0);
                               }}),
    [](const testing::TestParamInfo<NoFillCase>& info) { return info.param.name; });

// Two pages of two holes each: four sections after the link's own, the first
// page's holes first, each page's in the order of its free list (the hole
// left over by the last placement comes last).
TEST(FillOrder, PagesInListOrderHolesInFreeListOrder) {
  LinkState state(CORE_VESK);
  Memory& first = state.codePage("p0", 0, 0xFF, "0x0001");
  Memory& second = state.codePage("p1", 0x100, 0x1FF, "0x0002");
  state.input(qortest::ObjectBuilder("a.o").code(".a").bytes({1, 2}).code(".b").bytes({3, 4}));
  state.place(".a", first, 0x10);
  state.placeOwn(".cinit", first, 0, 4);
  state.place(".b", second, 0x180);
  ASSERT_EQ(state.build(), 1);
  EXPECT_EQ(state.sectionOrder(), (std::vector<std::string>{".a", ".b", ".cinit", ".fill_1",
                                                            ".fill_2", ".fill_3", ".fill_4"}));
  std::vector<uint32_t> starts;
  for (int n = 1; n <= 4; ++n) starts.push_back(state.header(".fill_" + std::to_string(n)).s_paddr);
  EXPECT_EQ(starts, (std::vector<uint32_t>{0x11, 0x02, 0x100, 0x181}));
  EXPECT_EQ(state.rawData(".fill_2"), repeated({1, 0}, 0x0E));
  EXPECT_EQ(state.rawData(".fill_4"), repeated({2, 0}, 0x7F));
}

// From the hundredth fill section on the name needs the string table: it is
// put behind the last string (at 4 in an empty table), so the link goes on
// and the name reads back from the written file.
class HundredthFill : public testing::TestWithParam<StringTable> {};

TEST_P(HundredthFill, NameInTheStringTable) {
  LinkState state(CORE_OSTRA);
  Memory& page = state.codePage("page", 0, 0x1FF, "0xFFFF");
  // 100 sections of one byte, one byte apart: 101 holes.
  for (uint32_t k = 0; k < 100; ++k) page.allocate("s" + std::to_string(k), 2 * k + 1, 1u, 0);
  state.linker.cOutput.cStrTbl = GetParam();
  const int next = GetParam().empty() ? 4 : 4 + 11 + 1;
  {
    qortest::CapturedOutput captured;  // one-byte holes: a warning each
    state.linker.buildOutputHoles();
  }
  ASSERT_EQ(state.linker.cFillCount, 101u);
  StringTable expected = GetParam();
  expected[next] = ".fill_100";
  expected[next + 10] = ".fill_101";
  EXPECT_EQ(state.linker.cOutput.cStrTbl, expected);
  EXPECT_EQ(Coff::nameInStringTable(state.header(".fill_99")), 0);
  EXPECT_EQ(state.header(".fill_100")._s_offset(), static_cast<uint32_t>(next));

  qortest::ScratchDir dir;
  Coff& out = state.linker.cOutput;
  out.cName = dir.file("out.o");
  out.cFileHdr.f_opthdr = OptionalHeader::SIZE;
  out.preWrite();
  ASSERT_EQ(out.verify(), 1);
  ASSERT_EQ(out.write(), 1);
  const auto back = Coff::make(out.cName);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->cScnNum.at(100), ".fill_100");
  EXPECT_EQ(back->cScnNum.at(101), ".fill_101");
}

INSTANTIATE_TEST_SUITE_P(Tables, HundredthFill,
                         testing::Values(StringTable{}, StringTable{{4, "merged_name"}}));

// A long fill name that the merged table holds already (some input's
// string) is named by its first offset, as any long name is; the fill still
// adds its own copy behind the last string.
TEST(FillNames, NameHeldAlreadyTakesItsFirstOffset) {
  LinkState state(CORE_OSTRA);
  Memory& page = state.codePage("page", 0, 0x1FF, "0xFFFF");
  for (uint32_t k = 0; k < 100; ++k) page.allocate("s" + std::to_string(k), 2 * k + 1, 1u, 0);
  state.linker.cOutput.cStrTbl = {{4, ".fill_101"}, {14, ".fill_100"}};
  {
    qortest::CapturedOutput captured;
    state.linker.buildOutputHoles();
  }
  EXPECT_EQ(
      state.linker.cOutput.cStrTbl,
      (StringTable{{4, ".fill_101"}, {14, ".fill_100"}, {24, ".fill_100"}, {34, ".fill_101"}}));
  EXPECT_EQ(state.header(".fill_100")._s_offset(), 14u);
  EXPECT_EQ(state.header(".fill_101")._s_offset(), 4u);
}

TEST(FillTrace, OneLinePerHole) {
  LinkState state(CORE_VESK);
  state.codePage("page", 0x100, 0x1FF, "0x3FFF");
  qortest::CapturedOutput captured;
  setSwitch("Linker::buildOutputHole", 1);
  state.linker.buildOutputHoles();
  setSwitch("Linker::buildOutputHole", 0);
  EXPECT_EQ(captured.output(),
            "Linker::buildOutputHole() - start=0x00000100 end=0x000001ff fill=0x3FFF\n");
}

}  // namespace
