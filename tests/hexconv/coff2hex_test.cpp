// Selection of program-memory bytes: whole sections, and runs cut by ranges.
#include <gtest/gtest.h>

#include <vector>

#include "coff2hex.h"

namespace {

RomSection sectionAt(uint32_t paddr, std::vector<uint8_t> bytes) {
  RomSection section;
  section.paddr = paddr;
  section.bytes = Data(static_cast<uint32_t>(bytes.size()), bytes.data());
  return section;
}

std::vector<uint8_t> bytesOf(const HexRange& range) {
  const uint8_t* begin = range.cData.data();
  return std::vector<uint8_t>(begin, begin + range.cData.size());
}

TEST(AddrRangeTest, BothEndsAreInclusive) {
  AddrRange range(0x10, 0x20);
  EXPECT_EQ(range.contains(0x0F), 0);
  EXPECT_EQ(range.contains(0x10), 1);
  EXPECT_EQ(range.contains(0x20), 1);
  EXPECT_EQ(range.contains(0x21), 0);
  EXPECT_EQ(Coff2Hex::inRanges(0x30, {range, AddrRange(0x30, 0x30)}), 1);
  EXPECT_EQ(Coff2Hex::inRanges(0x30, {}), 0);
}

TEST(Coff2HexWhole, WordMemorySectionsStartAtTwiceTheirAddressAndArePaddedToWholeWords) {
  Coff2Hex hex;
  ASSERT_EQ(hex.convertSections(
                {sectionAt(0x8, {1, 2, 3}), sectionAt(0x40, {}), sectionAt(0x2, {4, 5})}, 2, {}),
            &hex);
  ASSERT_EQ(hex.cRanges.size(), 2u);
  EXPECT_EQ(hex.cRanges[0].cStart, 0x10u);
  EXPECT_EQ(bytesOf(hex.cRanges[0]), (std::vector<uint8_t>{1, 2, 3, 0}));
  EXPECT_EQ(hex.cRanges[1].cStart, 0x4u);
  EXPECT_EQ(bytesOf(hex.cRanges[1]), (std::vector<uint8_t>{4, 5}));
}

TEST(Coff2HexWhole, ByteMemoryGetsNoPadThatWouldOverlapTheNextSection) {
  Coff2Hex hex;
  ASSERT_EQ(hex.convertSections({sectionAt(0x100, {1, 2, 3}), sectionAt(0x103, {4})}, 1, {}), &hex);
  ASSERT_EQ(hex.cRanges.size(), 2u);
  EXPECT_EQ(hex.cRanges[0].cStart, 0x100u);
  EXPECT_EQ(bytesOf(hex.cRanges[0]), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(hex.cRanges[1].cStart, 0x103u);
  EXPECT_EQ(bytesOf(hex.cRanges[1]), (std::vector<uint8_t>{4}));
}

TEST(Coff2HexWhole, NoSectionsStillGivesAnEmptyImage) {
  Coff2Hex hex;
  EXPECT_EQ(hex.convertSections({}, 2, {}), &hex);
  EXPECT_TRUE(hex.cRanges.empty());
}

TEST(Coff2HexRanges, TwoRangesCutOneSectionIntoTwoRuns) {
  Coff2Hex hex;
  // Words 0x10..0x17; keep 0x10-0x11 and 0x15-0x16.
  std::vector<uint8_t> bytes = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  ASSERT_EQ(hex.convertSections({sectionAt(0x10, bytes)}, 2,
                                {AddrRange(0x15, 0x16), AddrRange(0x0, 0x11)}),
            &hex);
  ASSERT_EQ(hex.cRanges.size(), 2u);
  EXPECT_EQ(hex.cRanges[0].cStart, 0x20u);
  EXPECT_EQ(bytesOf(hex.cRanges[0]), (std::vector<uint8_t>{0, 1, 2, 3}));
  EXPECT_EQ(hex.cRanges[1].cStart, 0x2Au);
  EXPECT_EQ(bytesOf(hex.cRanges[1]), (std::vector<uint8_t>{10, 11, 12, 13}));
}

TEST(Coff2HexRanges, RunsOfSeveralSectionsAndTheOddLastWord) {
  Coff2Hex hex;
  ASSERT_EQ(hex.convertSections({sectionAt(0x0, {1, 2}), sectionAt(0x8, {3, 4, 5})}, 2,
                                {AddrRange(0, 0xFFFF)}),
            &hex);
  ASSERT_EQ(hex.cRanges.size(), 2u);
  EXPECT_EQ(bytesOf(hex.cRanges[1]), (std::vector<uint8_t>{3, 4, 5, 0}));
  EXPECT_EQ(hex.cRanges[1].cStart, 0x10u);
}

TEST(Coff2HexRanges, NothingSelectedGivesNoConverter) {
  Coff2Hex hex;
  EXPECT_EQ(hex.convertSections({sectionAt(0x10, {1, 2, 3, 4})}, 2, {AddrRange(0x12, 0x20)}),
            nullptr);
  Coff2Hex empty;
  EXPECT_EQ(empty.convertSections({}, 2, {AddrRange(0, 0xFFFF)}), nullptr);
}

TEST(Coff2HexRanges, ByteMemoryRangesUseByteAddresses) {
  Coff2Hex hex;
  // Bytes at 0x101..0x109; the range 0x104-0x107 holds the bytes at 0x104..0x107.
  std::vector<uint8_t> bytes = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  ASSERT_EQ(hex.convertSections({sectionAt(0x101, bytes)}, 1, {AddrRange(0x104, 0x107)}), &hex);
  ASSERT_EQ(hex.cRanges.size(), 1u);
  EXPECT_EQ(hex.cRanges[0].cStart, 0x104u);
  EXPECT_EQ(bytesOf(hex.cRanges[0]), (std::vector<uint8_t>{4, 5, 6, 7}));
}

TEST(Coff2HexRanges, ByteMemoryOddSectionEndsWithoutPad) {
  Coff2Hex hex;
  ASSERT_EQ(hex.convertSections({sectionAt(0x200, {1, 2, 3})}, 1, {AddrRange(0x202, 0x202)}), &hex);
  ASSERT_EQ(hex.cRanges.size(), 1u);
  EXPECT_EQ(hex.cRanges[0].cStart, 0x202u);
  EXPECT_EQ(bytesOf(hex.cRanges[0]), (std::vector<uint8_t>{3}));
}

}  // namespace
