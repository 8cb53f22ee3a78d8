// Memory, page and bank geometry of the devices and their families.
#include <gtest/gtest.h>

#include <set>

#include "mgproc.h"

namespace {

struct GeometryRow {
  ProcessorCode code;
  uint32_t programSize, pages, banks, dataSize, firstGpr;
};

// One device from each group of equal geometry.
constexpr GeometryRow GROUP_SAMPLES[] = {
    {96, 512, 1, 2, 256, 0x20},    {105, 512, 1, 2, 256, 0x0C},   {83, 1024, 1, 2, 256, 0x20},
    {106, 1024, 1, 2, 256, 0x0C},  {103, 1024, 1, 4, 512, 0x20},  {41, 2048, 1, 2, 256, 0x20},
    {109, 2048, 1, 4, 512, 0x20},  {50, 4096, 2, 2, 256, 0x20},   {77, 4096, 2, 4, 512, 0x20},
    {73, 6144, 3, 4, 512, 0x20},   {114, 8192, 4, 4, 512, 0x20},  {125, 2048, 1, 4, 1024, 0x20},
    {126, 4096, 1, 4, 1024, 0x20}, {119, 8192, 1, 4, 1024, 0x20}, {120, 8192, 1, 8, 2048, 0x20},
    {123, 16384, 2, 8, 2048, 0x20}, {17, 384, 1, 1, 32, 8},       {9, 512, 1, 1, 32, 7},
    {115, 512, 1, 1, 32, 8},       {89, 1024, 2, 1, 32, 8},       {13, 1024, 2, 2, 64, 7},
    {16, 1024, 2, 3, 80, 8},       {2, 1024, 2, 4, 128, 8},       {93, 2048, 4, 4, 128, 7},
    {91, 2048, 4, 4, 128, 8},      {129, 16384, 1, 2, 512, 0},    {131, 32768, 1, 6, 1536, 0},
};

TEST(Geometry, OneDeviceOfEveryGroup) {
  for (const GeometryRow& row : GROUP_SAMPLES) {
    SCOPED_TRACE(testing::Message() << "code " << int(row.code));
    EXPECT_EQ(procProgramSize(row.code), row.programSize);
    EXPECT_EQ(procPageCount(row.code), row.pages);
    EXPECT_EQ(procBankCount(row.code), row.banks);
    EXPECT_EQ(procDataSize(row.code), row.dataSize);
    // The first general-purpose register is the lowest offset that counts as one.
    if (row.firstGpr > 0) {
      EXPECT_EQ(procIsGeneralRegister(row.code, row.firstGpr - 1), 0);
    }
    EXPECT_EQ(procIsGeneralRegister(row.code, row.firstGpr), 1);
  }
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
