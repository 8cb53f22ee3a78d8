// Long image section names in the output's string table, behind the
// strings that the merge of the inputs' tables left there.
#include <gtest/gtest.h>

#include "output_fixture.h"

using outputtest::LinkState;
using qortest::ObjectBuilder;

namespace {

struct ImageNameCase {
  const char* name;
  const char* section;
  StringTable merged;    // the output's table before the builders run
  StringTable expected;  // after them
};

class ImageName : public testing::TestWithParam<ImageNameCase> {};

TEST_P(ImageName, InlineOrBehindTheLastString) {
  const ImageNameCase& row = GetParam();
  LinkState state(CORE_VESK);
  Memory& page = state.codePage("page", 0, 0x3FF);
  Memory& bank = state.dataBank("bank", 0x20, 0x7F);
  state.input(ObjectBuilder("a.o").idata(row.section).bytes({1}));
  state.place(row.section, bank, 0x20);
  const std::string image = std::string(row.section) + "_i";
  state.placeOwn(image, page, 0x10, 2);
  state.placeOwn(".cinit", page, 0x20, 2);
  state.linker.cOutput.cStrTbl = row.merged;
  ASSERT_EQ(state.build(), 1);
  EXPECT_EQ(state.linker.cOutput.cStrTbl, row.expected);
  EXPECT_EQ(Coff::getName(state.header(image), state.linker.cOutput.cStrTbl), image);
  EXPECT_EQ(Coff::nameInStringTable(state.header(image)), image.size() > 8 ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ImageName,
    testing::Values(
        ImageNameCase{"EightCharacters", "idat_6", {{4, "a_long_name"}}, {{4, "a_long_name"}}},
        ImageNameCase{"TenCharacters",
                      "idata_88",
                      {{4, "a_long_name"}, {16, "zz"}},
                      {{4, "a_long_name"}, {16, "zz"}, {19, "idata_88_i"}}},
        ImageNameCase{"TenCharactersFirstString", "idata_88", {}, {{4, "idata_88_i"}}}),
    [](const testing::TestParamInfo<ImageNameCase>& info) { return info.param.name; });

}  // namespace
