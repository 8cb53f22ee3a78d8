// The Intel HEX records of the three layouts, composed in memory.
#include <gtest/gtest.h>

#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "addr_range.h"
#include "hex.h"
#include "hex_record.h"

namespace {

Data bytesFrom(uint8_t first, uint32_t count) {
  std::vector<uint8_t> bytes(count);
  std::iota(bytes.begin(), bytes.end(), first);
  return Data(count, bytes.data());
}

Hex imageOf(std::vector<HexRange> ranges) {
  Hex hex;
  hex.cFileBaseName = "prog";
  hex.cRanges = std::move(ranges);
  return hex;
}

std::string renderOne(Hex& hex, HexFormat format) {
  std::vector<HexFileText> files = hex.render(format);
  EXPECT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].name, "prog.hex");
  return files.empty() ? std::string() : files[0].text;
}

TEST(HexRecord, KnownRecordsAndChecksums) {
  std::string out;
  const uint8_t data[] = {0x02, 0x33, 0x7A};
  appendHexRecord(out, HEX_RECORD_DATA, 0x0030, data, 3);
  const uint8_t upper[] = {0x12, 0x34};
  appendHexRecord(out, HEX_RECORD_LINEAR_ADDRESS, 0, upper, 2);
  appendHexRecord(out, HEX_RECORD_END, 0, nullptr, 0);
  EXPECT_EQ(out, ":0300300002337A1E\n:020000041234B4\n:00000001FF\n");
}

TEST(HexWrite, SplitLayoutCompletesAnOddLastWordWithZero) {
  Hex hex = imageOf({HexRange(0x0000, bytesFrom(0x01, 3))});
  std::vector<HexFileText> files = hex.render(HEX_INHX8S);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].text, ":020000000103FA\n:00000001FF\n");
  EXPECT_EQ(files[1].text, ":020000000200FC\n:00000001FF\n");
}

// Byte addresses: ranges that meet inside a word share it, across as many
// ranges as follow each other; a range over bytes already given is written
// as it is, in a word of its own.
TEST(HexWrite, SplitLayoutJoinsRangesThatMeetInsideAWord) {
  Hex hex = imageOf({HexRange(0x103, bytesFrom(0x04, 1)), HexRange(0x100, bytesFrom(0x01, 1)),
                     HexRange(0x101, bytesFrom(0x02, 2)), HexRange(0x103, bytesFrom(0x09, 1))});
  std::vector<HexFileText> files = hex.render(HEX_INHX8S);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].text, ":0200800001037A\n:01008100007E\n:00000001FF\n");
  EXPECT_EQ(files[1].text, ":02008000020478\n:010081000975\n:00000001FF\n");
}

TEST(HexWrite, LinearAddressRecordWhenCrossingSixtyFourK) {
  Hex hex =
      imageOf({HexRange(0xFFF8, bytesFrom(0x01, 16)), HexRange(0x12340000, bytesFrom(0x01, 1))});
  EXPECT_EQ(renderOne(hex, HEX_INHX32),
            ":020000040000FA\n"
            ":08FFF8000102030405060708DD\n"
            ":020000040001F9\n"
            ":08000000090A0B0C0D0E0F1094\n"
            ":020000041234B4\n"
            ":0100000001FE\n"
            ":00000001FF\n");
}

TEST(HexWrite, FirstRecordAboveSixtyFourKStillGetsItsUpperAddress) {
  Hex hex = imageOf({HexRange(0x20010, bytesFrom(0x01, 1))});
  EXPECT_EQ(renderOne(hex, HEX_INHX32), ":020000040002F8\n:0100100001EE\n:00000001FF\n");
}

TEST(HexWrite, RangesAreWrittenInAddressOrderAndOverlapsAsTheyAre) {
  Hex hex = imageOf({HexRange(0x20, bytesFrom(0xA0, 2)), HexRange(0x00, bytesFrom(0x01, 2)),
                     HexRange(0x01, bytesFrom(0x02, 1))});
  EXPECT_EQ(renderOne(hex, HEX_INHX8M),
            ":020000000102FB\n:0100010002FC\n:02002000A0A19D\n:00000001FF\n");
  ASSERT_EQ(hex.cRanges.size(), 3u);
  EXPECT_EQ(hex.cRanges[0].cStart, 0x00u);
  EXPECT_EQ(hex.cRanges[2].cStart, 0x20u);
}

TEST(HexWrite, EmptyImageGivesOnlyTheEndRecord) {
  Hex empty = imageOf({});
  EXPECT_EQ(renderOne(empty, HEX_INHX32), ":00000001FF\n");
}

TEST(HexWrite, LastRecordBelowSixtyFourKIsAccepted) {
  Hex hex = imageOf({HexRange(0xFFF0, bytesFrom(0x00, 16))});
  EXPECT_EQ(renderOne(hex, HEX_INHX8M).substr(0, 9), ":10FFF000");
}

using HexWriteDeathTest = ::testing::Test;

TEST_F(HexWriteDeathTest, SixteenBitLayoutsStopAboveSixtyFourK) {
  const char* message =
      "Error - Selected hex format does not support byte addresses above 64kb; use INHX32 format";
  Hex bytes = imageOf({HexRange(0xFFF8, bytesFrom(0x01, 16))});
  EXPECT_EXIT(bytes.render(HEX_INHX8M), ::testing::ExitedWithCode(255), message);
  Hex words = imageOf({HexRange(0x1FFF0, bytesFrom(0x01, 32))});
  EXPECT_EXIT(words.render(HEX_INHX8S), ::testing::ExitedWithCode(255), message);
  // The same image in words below 64 K is fine in the split layout.
  Hex below = imageOf({HexRange(0x1FFE0, bytesFrom(0x01, 32))});
  EXPECT_EQ(below.render(HEX_INHX8S)[0].text.substr(0, 9), ":10FFF000");
}

}  // namespace

namespace {

TEST(HexDump, RangesAndImage) {
  std::ostringstream out;
  AddrRange(0x10, 0x2345).dump(out);
  Hex hex = imageOf({HexRange(0x12345, bytesFrom(0xAB, 2))});
  hex.dump(out);
  EXPECT_EQ(out.str(),
            "AddrRange:  cStart=0x00000010cEnd=0x00002345\n"
            "Hex: cFileBaseName=prog, cRanges:\n"
            "HexRange: cStart=0x2345, cData=\n"
            "abac\n");
}

}  // namespace
