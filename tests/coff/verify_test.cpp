// Coff::verify: every faulty cross-reference reported with its own message,
// checking going on after each.
#include <gtest/gtest.h>

#include "coff_test_support.h"
#include "object_builder.h"

using cofftest::MessageCapture;
using qortest::ObjectBuilder;

namespace {

// Two sections, a function with a line entry, a tag and an array.
std::unique_ptr<Coff> soundObject() {
  ObjectBuilder builder("v.o");
  builder.code(".code")
      .bytes({0, 0, 0, 0})
      .reloc(0, 0, 0, 1)
      .line(0, 3, 0, 0)
      .udata("long_udata_name", 4)
      .symbol("fn", 0, 1, C_EXT, DT_FCN << 4)
      .aux(AuxFcn{2, 0, 0, 3})
      .symbol("tag_name_long", 0, N_DEBUG, C_STRTAG)
      .aux(AuxTag{4, 0})
      .symbol("arr", 0, 2, C_STAT, DT_ARY << 4)
      .aux(AuxArr{1, 0, 4, {4, 0, 0, 0}});
  return builder.coff();
}

std::string verifyMessages(const Coff& coff, int expectedResult) {
  MessageCapture messages;
  EXPECT_EQ(coff.verify(), expectedResult);
  return messages.text();
}

TEST(CoffVerify, SoundObjectPasses) {
  EXPECT_EQ(verifyMessages(*soundObject(), 1), "");
  EXPECT_EQ(verifyMessages(Coff(), 1), "");
}

TEST(CoffVerify, SymbolSectionNumbers) {
  auto coff = soundObject();
  coff->cSymTbl[0].n_scnum = 3;
  coff->cSymTbl[1].n_scnum = 5;  // an aux slot: not checked
  coff->cSymTbl[2].n_scnum = -3;
  EXPECT_EQ(verifyMessages(*coff, 0),
            "Error - Coff file 'v.o' symbol[0] has an invalid n_scnum.\n"
            "Error - Coff file 'v.o' symbol[2] has an invalid n_scnum.\n");
  for (int16_t fine : {N_DEBUG, N_ABS, N_UNDEF, int16_t{1}, int16_t{2}}) {
    coff->cSymTbl[0].n_scnum = coff->cSymTbl[2].n_scnum = fine;
    EXPECT_EQ(verifyMessages(*coff, 1), "") << fine;
  }
}

TEST(CoffVerify, NameOffsetsIntoTheStringTable) {
  auto coff = soundObject();
  coff->cSymTbl[2]._n_name.setOffset(5);  // inside a string, not its start
  coff->cScnHdr.at("long_udata_name")._s_name.setOffset(999);
  coff->cScnHdr.at(".code")._s_name.setOffset(0xFFFFFFFF);
  EXPECT_EQ(verifyMessages(*coff, 0),
            "Error - Coff file 'v.o' symbol[2] has an invalid n_offset.\n"
            "Error - Coff file 'v.o' section[0] has an invalid s_offset.\n"
            "Error - Coff file 'v.o' section[1] has an invalid s_offset.\n");
}

TEST(CoffVerify, RelocationSymbolIndexes) {
  auto coff = soundObject();
  coff->cScnReloc.at(".code").push_back(reloc{2, 6, 0, 1});
  coff->cScnReloc.at(".code").push_back(reloc{2, 5, 0, 1});
  EXPECT_EQ(verifyMessages(*coff, 0),
            "Error - Coff file 'v.o', section '.code' reloc[1] has an invalid r_symndx.\n");
}

TEST(CoffVerify, RelocationsWithoutSymbols) {
  auto coff = ObjectBuilder("v.o").code(".code").bytes({0, 0}).reloc(0, 0xFFFFFFFF, 0, 1).coff();
  EXPECT_EQ(verifyMessages(*coff, 0),
            "Error - Coff file 'v.o' has relocation entries but an empty symbol table.\n");
}

TEST(CoffVerify, AuxIndexesOncePerEntry) {
  auto coff = soundObject();
  AuxFcn fcn = AuxFcn::from(coff->cSymTbl[1]);
  fcn.x_tagndx = 6;
  fcn.x_endndx = 7;
  fcn.storeInto(coff->cSymTbl[1]);
  AuxTag tag = AuxTag::from(coff->cSymTbl[3]);
  tag.x_endndx = 6;
  tag.storeInto(coff->cSymTbl[3]);
  AuxArr arr = AuxArr::from(coff->cSymTbl[5]);
  arr.x_tagndx = 100;
  arr.storeInto(coff->cSymTbl[5]);
  EXPECT_EQ(verifyMessages(*coff, 0),
            "Error - Coff file 'v.o' symbol[1] has an invalid x_tagndx or x_endndx.\n"
            "Error - Coff file 'v.o' symbol[3] has an invalid x_tagndx or x_endndx.\n"
            "Error - Coff file 'v.o' symbol[5] has an invalid x_tagndx or x_endndx.\n");
}

TEST(CoffVerify, AuxKindsWithoutIndexesAreNotChecked) {
  auto coff = ObjectBuilder("v.o")
                  .fileSymbol("source.asm")
                  .symbol(".code", 0, N_ABS, C_SECTION)
                  .aux(AuxScn{0xFFFFFFFF, 0, 0})
                  .symbol(".ef", 0, N_ABS, C_FCN)
                  .aux(AuxEobf{0xFFFF})
                  .coff();
  coff->cSymTbl[1] = SymbolEntry::decode(std::vector<uint8_t>(18, 0xFF).data());
  EXPECT_EQ(verifyMessages(*coff, 1), "");
}

TEST(CoffVerify, LineIndexes) {
  auto coff = soundObject();
  coff->cScnLineno.at(".code").push_back(coff_lineno{6, 1, 0, 1, 6});
  coff->cScnLineno.at(".code").push_back(coff_lineno{0, 1, 0, 0, 9});
  EXPECT_EQ(verifyMessages(*coff, 0),
            "Error - Coff file 'v.o', section '.code' line[1] has an invalid l_srcndx.\n"
            "Error - Coff file 'v.o', section '.code' line[1] has an invalid l_fcnndx.\n"
            "Error - Coff file 'v.o', section '.code' line[2] has an invalid l_fcnndx.\n");
}

TEST(CoffVerify, SectionCountsWithTrailingBlank) {
  auto coff = soundObject();
  coff->cScnNum[3] = "ghost";
  EXPECT_EQ(verifyMessages(*coff, 0),
            "Error - Coff file 'v.o', cScnHdr.size() != cScnNum.size() . \n");
}

TEST(CoffVerify, AllFaultsInCheckOrder) {
  auto coff = soundObject();
  coff->cScnNum[3] = "ghost";
  coff->cScnLineno.at(".code").front().l_srcndx = 50;
  coff->cScnReloc.at(".code").front().r_symndx = 50;
  coff->cSymTbl[0].n_scnum = 9;
  EXPECT_EQ(verifyMessages(*coff, 0),
            "Error - Coff file 'v.o' symbol[0] has an invalid n_scnum.\n"
            "Error - Coff file 'v.o', section '.code' reloc[0] has an invalid r_symndx.\n"
            "Error - Coff file 'v.o', section '.code' line[0] has an invalid l_srcndx.\n"
            "Error - Coff file 'v.o', cScnHdr.size() != cScnNum.size() . \n");
}

}  // namespace
