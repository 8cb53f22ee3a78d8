// Memory, page and bank geometry of the devices and their families.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "mgproc.h"

namespace {

// Every device, grouped by equal geometry: program size, pages, banks, data
// size, first general-purpose register offset, and the codes of the group.
struct GeometryGroup {
  CoreFamily family;
  uint32_t programSize, pages, banks, dataSize, firstGpr;
  std::vector<int> codes;
};

const std::vector<GeometryGroup>& geometryGroups() {
  static const std::vector<GeometryGroup> groups = {
      {CORE_VESK, 512, 1, 2, 256, 0x20, {23, 35, 36, 57, 82, 96}},
      {CORE_VESK, 512, 1, 2, 256, 0x0C, {101, 105}},
      {CORE_VESK, 1024, 1, 2, 256, 0x20, {7, 11, 15, 24, 33, 37, 38, 56, 58, 59, 83}},
      {CORE_VESK, 1024, 1, 2, 256, 0x0C, {79, 102, 106, 107}},
      {CORE_VESK, 1024, 1, 4, 512, 0x20, {103}},
      {CORE_VESK, 2048, 1, 2, 256, 0x20, {8,  12, 25, 34, 39, 40, 41, 42, 45, 46,
                                          48, 53, 60, 61, 63, 64, 84, 95, 98, 100}},
      {CORE_VESK, 2048, 1, 4, 512, 0x20, {62, 75, 104, 108, 109, 110}},
      {CORE_VESK,
       4096,
       2,
       2,
       256,
       0x20,
       {14, 43, 44, 47, 49, 50, 51, 54, 65, 66, 67, 68, 70, 71, 97, 99}},
      {CORE_VESK, 4096, 2, 4, 512, 0x20, {76, 77, 78, 80, 81, 111, 112}},
      {CORE_VESK, 6144, 3, 4, 512, 0x20, {69, 73}},
      {CORE_VESK, 8192, 4, 4, 512, 0x20, {52, 55, 72, 74, 113, 114}},
      {CORE_MIREL, 2048, 1, 4, 1024, 0x20, {116, 117, 125}},
      {CORE_MIREL, 4096, 1, 4, 1024, 0x20, {118, 126}},
      {CORE_MIREL, 8192, 1, 4, 1024, 0x20, {119}},
      {CORE_MIREL, 8192, 1, 8, 2048, 0x20, {120}},
      {CORE_MIREL, 16384, 2, 8, 2048, 0x20, {121, 122, 123, 124}},
      {CORE_ZARN, 384, 1, 1, 32, 8, {17}},
      {CORE_ZARN, 512, 1, 1, 32, 7, {3, 4, 9}},
      {CORE_ZARN, 512, 1, 1, 32, 8, {18, 19, 20, 21, 22, 26, 85, 86, 87, 88, 115}},
      {CORE_ZARN, 1024, 2, 1, 32, 8, {27, 28, 89}},
      {CORE_ZARN, 1024, 2, 2, 64, 7, {5, 6, 10, 13}},
      {CORE_ZARN, 1024, 2, 3, 80, 8, {16}},
      {CORE_ZARN, 1024, 2, 4, 128, 8, {1, 2}},
      {CORE_ZARN, 2048, 4, 4, 128, 7, {31, 32, 93, 94}},
      {CORE_ZARN, 2048, 4, 4, 128, 8, {29, 30, 90, 91, 92}},
      {CORE_OSTRA, 16384, 1, 2, 512, 0, {127, 129}},
      {CORE_OSTRA, 32768, 1, 6, 1536, 0, {128, 130, 131, 132, 133}},
  };
  return groups;
}

TEST(Geometry, EveryDeviceInItsGroup) {
  std::set<int> seen;
  for (const GeometryGroup& group : geometryGroups()) {
    for (int code : group.codes) {
      const ProcessorCode c = static_cast<ProcessorCode>(code);
      SCOPED_TRACE(testing::Message() << "code " << code);
      EXPECT_TRUE(seen.insert(code).second);
      EXPECT_EQ(procFamily(c), group.family);
      EXPECT_EQ(procProgramSize(c), group.programSize);
      EXPECT_EQ(procPageCount(c), group.pages);
      EXPECT_EQ(procBankCount(c), group.banks);
      EXPECT_EQ(procDataSize(c), group.dataSize);
      // The first general-purpose register is the lowest offset that counts as one.
      if (group.firstGpr > 0) {
        EXPECT_EQ(procIsGeneralRegister(c, group.firstGpr - 1), 0);
      }
      EXPECT_EQ(procIsGeneralRegister(c, group.firstGpr), 1);
    }
  }
  EXPECT_EQ(seen.size(), 133u);
  EXPECT_EQ(*seen.begin(), 1);
  EXPECT_EQ(*seen.rbegin(), 133);
}

TEST(Geometry, FamilyConstants) {
  struct FamilyRow {
    CoreFamily family;
    uint32_t romBits, pageSize, bankSize, maxProgram, maxData;
  };
  const FamilyRow rows[] = {{CORE_VESK, 14, 2048, 128, 0x1FFF, 0x1FF},
                            {CORE_MIREL, 16, 8192, 256, 0xFFFF, 0xFFF},
                            {CORE_ZARN, 12, 512, 32, 0x7FF, 0x7F},
                            {CORE_OSTRA, 8, 0x200000, 256, 0x1FFFFF, 0xFFF}};
  for (int code = PROC_FIRST; code <= PROC_LAST; ++code) {
    ProcessorCode c = static_cast<ProcessorCode>(code);
    const FamilyRow& row = rows[procFamily(c) - 1];
    SCOPED_TRACE(testing::Message() << "code " << code);
    EXPECT_EQ(procRomWidthBits(c), row.romBits);
    EXPECT_EQ(procRamWidthBits(c), 8u);
    EXPECT_EQ(procPageSize(c), row.pageSize);
    EXPECT_EQ(procBankSize(c), row.bankSize);
    EXPECT_EQ(procMaxProgramAddress(c), row.maxProgram);
    EXPECT_EQ(procMaxDataAddress(c), row.maxData);
  }
}

TEST(Geometry, PagesHoldTheProgramAndBanksMakeTheData) {
  for (int code = PROC_FIRST; code <= PROC_LAST; ++code) {
    ProcessorCode c = static_cast<ProcessorCode>(code);
    SCOPED_TRACE(testing::Message() << "code " << code);
    uint32_t pageSize = procPageSize(c);
    EXPECT_EQ(procPageCount(c), (procProgramSize(c) + pageSize - 1) / pageSize);
    EXPECT_GE(procBankCount(c), 1u);
    EXPECT_LE(procBankCount(c), 8u);
    if (code != 16) {
      EXPECT_EQ(procDataSize(c), procBankCount(c) * procBankSize(c));
    }
  }
}

TEST(Geometry, CodesSixteenAndSeventeen) {
  EXPECT_EQ(procBankCount(16), 3u);
  EXPECT_EQ(procDataSize(16), 80u);
  EXPECT_EQ(procProgramSize(17), 384u);
  EXPECT_EQ(procPageCount(17), 1u);
}

// Exactly the devices whose general-purpose registers start low.
TEST(Geometry, DevicesWithALowFirstRegister) {
  std::set<int> veskLow, zarnLow;
  for (int code = PROC_FIRST; code <= PROC_LAST; ++code) {
    ProcessorCode c = static_cast<ProcessorCode>(code);
    if (procFamily(c) == CORE_VESK && procIsGeneralRegister(c, 0x0C)) veskLow.insert(code);
    if (procFamily(c) == CORE_ZARN && procIsGeneralRegister(c, 7)) zarnLow.insert(code);
  }
  EXPECT_EQ(veskLow, (std::set<int>{79, 101, 102, 105, 106, 107}));
  EXPECT_EQ(zarnLow, (std::set<int>{3, 4, 5, 6, 9, 10, 13, 31, 32, 93, 94}));
}

TEST(Banks, BankAndOffsetOfOneAddressPerFamily) {
  // Zarn 1, Vesk 7, Mirel 116, Ostra 127.
  EXPECT_EQ(procBankOf(1, 0x1234), 0x91u);
  EXPECT_EQ(procBankOffset(1, 0x1234), 0x14);
  EXPECT_EQ(procBankOf(7, 0x1234), 0x24u);
  EXPECT_EQ(procBankOffset(7, 0x1234), 0x34);
  EXPECT_EQ(procBankOf(116, 0x1234), 0x12u);
  EXPECT_EQ(procBankOffset(116, 0x1234), 0x34);
  EXPECT_EQ(procBankOf(127, 0x1234), 0x12u);
  EXPECT_EQ(procBankOffset(127, 0x1234), 0x34);
  // The whole 32-bit address takes part in the bank number.
  EXPECT_EQ(procBankOf(7, 0xFFFFFFFFu), 0x1FFFFFFu);
  EXPECT_EQ(procBankOffset(7, 0xFFFFFFFFu), 0x7F);
}

TEST(Banks, GeneralRegistersCountFromTheOffsetInTheirBank) {
  EXPECT_EQ(procIsGeneralRegister(7, 0x9F), 0);
  EXPECT_EQ(procIsGeneralRegister(7, 0xA0), 1);
  EXPECT_EQ(procIsGeneralRegister(7, 0x80), 0);
  EXPECT_EQ(procIsGeneralRegister(79, 0x0C), 1);
  EXPECT_EQ(procIsGeneralRegister(79, 0x8B), 0);
  EXPECT_EQ(procIsGeneralRegister(116, 0x11F), 0);
  EXPECT_EQ(procIsGeneralRegister(116, 0x120), 1);
  EXPECT_EQ(procIsGeneralRegister(1, 0x27), 0);
  EXPECT_EQ(procIsGeneralRegister(1, 0x28), 1);
  for (uint32_t address : {0u, 1u, 0x7Fu, 0x100u, 0xFFFu, 0xFFFFFFFFu}) {
    EXPECT_EQ(procIsGeneralRegister(127, address), 1) << address;
    EXPECT_EQ(procIsGeneralRegister(133, address), 1) << address;
  }
}

}  // namespace
