// The device list as a whole: families, model names and processor type words.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "mgproc.h"

namespace {

std::string lowered(const char* text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return result;
}

const char* familyPrefix(CoreFamily family) {
  switch (family) {
    case CORE_VESK: return "VESK";
    case CORE_MIREL: return "MIREL";
    case CORE_ZARN: return "ZARN";
    case CORE_OSTRA: return "OSTRA";
  }
  return "?";
}

TEST(DeviceTable, FamilyCountsAndCodeRanges) {
  std::map<CoreFamily, int> counts;
  for (int code = PROC_FIRST; code <= PROC_LAST; ++code) {
    CoreFamily family = procFamily(static_cast<ProcessorCode>(code));
    ++counts[family];
    EXPECT_EQ(family == CORE_MIREL, code >= 116 && code <= 126) << code;
    EXPECT_EQ(family == CORE_OSTRA, code >= 127) << code;
  }
  EXPECT_EQ(counts.size(), 4u);
  EXPECT_EQ(counts[CORE_VESK], 81);
  EXPECT_EQ(counts[CORE_MIREL], 11);
  EXPECT_EQ(counts[CORE_ZARN], 34);
  EXPECT_EQ(counts[CORE_OSTRA], 7);
}

TEST(DeviceTable, EveryWordRoundTripsAndNoOtherWordIsKnown) {
  std::set<uint16_t> words;
  for (int code = PROC_FIRST; code <= PROC_LAST; ++code) {
    uint16_t word = procCoffType(static_cast<ProcessorCode>(code));
    words.insert(word);
    EXPECT_EQ(procIsCoffType(word), 1) << code;
    EXPECT_EQ(procFromCoffType(word), code);
    // The family nibble of the word agrees with the device's family.
    EXPECT_EQ((word >> 8) & 0xF, procFamily(static_cast<ProcessorCode>(code))) << code;
  }
  EXPECT_EQ(words.size(), 133u);

  int known = 0;
  for (uint32_t word = 0; word <= 0xFFFF; ++word) {
    known += procIsCoffType(static_cast<uint16_t>(word));
  }
  EXPECT_EQ(known, 133);
  EXPECT_EQ(procIsCoffType(0x0000), 0);
  EXPECT_EQ(procIsCoffType(0xC000), 0);
  EXPECT_EQ(procIsCoffType(0xFFFF), 0);
}

TEST(DeviceTable, NamesAreShortDistinctAndShowTheFamily) {
  std::set<std::string> names;
  for (int code = PROC_FIRST; code <= PROC_LAST; ++code) {
    const char* name = procName(static_cast<ProcessorCode>(code));
    ASSERT_NE(name, nullptr);
    size_t length = std::strlen(name);
    EXPECT_GE(length, 5u) << name;
    EXPECT_LE(length, 8u) << name;
    names.insert(lowered(name));
    const char* prefix = familyPrefix(procFamily(static_cast<ProcessorCode>(code)));
    EXPECT_EQ(std::strncmp(name, prefix, std::strlen(prefix)), 0) << name;
  }
  EXPECT_EQ(names.size(), 133u);
  EXPECT_STREQ(procName(79), "VESK079");
  EXPECT_STREQ(procName(133), "OSTRA133");
}

TEST(DeviceTable, NameLookupIgnoresCase) {
  for (int code = PROC_FIRST; code <= PROC_LAST; ++code) {
    const char* name = procName(static_cast<ProcessorCode>(code));
    ProcessorCode found = 0;
    ASSERT_EQ(procFromName(name, &found), 1) << name;
    EXPECT_EQ(found, code);
    found = 0;
    ASSERT_EQ(procFromName(lowered(name).c_str(), &found), 1) << name;
    EXPECT_EQ(found, code);
  }
  ProcessorCode found = 0;
  EXPECT_EQ(procFromName("mIrEl120", &found), 1);
  EXPECT_EQ(found, 120);
}

TEST(DeviceTable, NameLookupMissLeavesTheCodeAlone) {
  for (const char* miss : {"", "VESK", "VESK79", "VESK0079", "VESK079X", "VESK07", "ZARN134",
                           "MIREL 116", " OSTRA127"}) {
    ProcessorCode found = 0xEE;
    EXPECT_EQ(procFromName(miss, &found), 0) << '"' << miss << '"';
    EXPECT_EQ(found, 0xEE) << miss;
  }
  ProcessorCode found = 0xEE;
  EXPECT_EQ(procFromName(nullptr, &found), 0);
  EXPECT_EQ(found, 0xEE);
}

}  // namespace
