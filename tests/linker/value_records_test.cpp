#include "value_records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <vector>

namespace {

template <typename Record>
std::string dumpOf(const Record& record) {
  std::ostringstream out;
  record.dump(out);
  return out.str();
}

TEST(SectionDesc, NameAloneDecidesIdentityAndOrder) {
  const SectionDesc first(".code", "page0", ""), second(".code", "page1", "gpr0");
  EXPECT_TRUE(first == second);
  EXPECT_FALSE(first < second);
  EXPECT_FALSE(SectionDesc(".Code", "", "") == first);  // case counts
  EXPECT_TRUE(SectionDesc(".Code", "", "") < first);
  EXPECT_EQ(second.getLoadMemory() + "/" + second.getRunMemory(), "page1/gpr0");
  EXPECT_EQ(dumpOf(SectionDesc(".udata", "", "gpr1")),
            "SectionDesc:  cName=.udata, cLoadMemory=, cRunMemory=gpr1\n");
  EXPECT_EQ(dumpOf(StackDesc(0x40, "gpr2")), "StackDesc:  cSize=0x00000040, cRunMemory=gpr2\n");
}

// Addresses above 0x7FFFFFFF must not sort as negative numbers; rows with
// equal keys keep their order under a stable sort.
TEST(ValueRecordOrder, UnsignedAddressesAndByteOrderNames) {
  std::vector<ScnAddr> rows = {{"c", 0x80000000}, {"b", 0x7FFFFFFF}, {"a", 0x7FFFFFFF}, {"d", 0}};
  std::stable_sort(rows.begin(), rows.end());
  std::string names;
  for (const ScnAddr& row : rows) names += row.name;
  EXPECT_EQ(names, "dbac");
  EXPECT_TRUE(SectionInfo("a", 0x7FFFFFFF, 1, 0, 1, 0, 0, 0) <
              SectionInfo("b", 0x80000000, 1, 0, 1, 0, 0, 0));
  EXPECT_FALSE(SectionInfo::lessByAddress(SectionInfo("b", 0x80000000, 1, 0, 1, 0, 0, 0),
                                          SectionInfo("a", 0x7FFFFFFF, 1, 0, 1, 0, 0, 0)));

  std::vector<SymbolInfo> symbols = {{"_b", 0x80000000, 0, 0, 0, ""},
                                     {"_a", 0x80000000, 0, 0, 0, ""},
                                     {"\xE9", 0x7FFFFFFF, 0, 0, 0, ""},
                                     {"_A", 0xFFFFFFFF, 0, 0, 0, ""}};
  std::stable_sort(symbols.begin(), symbols.end(), SymbolInfo::lessByAddress);
  names.clear();
  for (const SymbolInfo& symbol : symbols) names += symbol.cName + " ";
  EXPECT_EQ(names, "\xE9 _b _a _A ");
  // Byte order: upper case before lower case, bytes above 0x7F last.
  std::stable_sort(symbols.begin(), symbols.end(), SymbolInfo::lessByName);
  names.clear();
  for (const SymbolInfo& symbol : symbols) names += symbol.cName + " ";
  EXPECT_EQ(names, "_A _a _b \xE9 ");
}

TEST(SectionInfo, DumpSpellsOutEachCode) {
  struct Case {
    uint8_t location, type;
    uint32_t abs, shared, access;
    const char *locationText, *typeText, *absText, *sharedText, *accessText;
  };
  const Case cases[] = {
      {0, 0, 0, 0, 0, "progMem", "unknown", "relocated", "not shared", "not access"},
      {1, 1, 1, 2, 1, "dataMem", "code", "absolute", "shared", "access"},
      {0, 2, 0, 0, 0, "progMem", "idata", "relocated", "not shared", "not access"},
      {0, 3, 0, 0, 0, "progMem", "udata", "relocated", "not shared", "not access"},
      {2, 4, 0, 0, 0, "error!", "romdata", "relocated", "not shared", "not access"},
      {0, 5, 0, 0, 0, "progMem", "error!", "relocated", "not shared", "not access"},
  };
  for (const Case& c : cases) {
    const SectionInfo info(".s", 0x1234, 0x80000000, c.location, c.type, c.abs, c.shared, c.access);
    EXPECT_EQ(dumpOf(info), std::string("SectionInfo:\ncName=.s\ncAddress=0x00001234\n") +
                                "cSize=0x80000000\ncLocation=" + c.locationText +
                                "\ncType=" + c.typeText + "\ncAbs=" + c.absText +
                                "\ncShared=" + c.sharedText + "\ncAccess=" + c.accessText + "\n");
  }
}

TEST(SymbolInfo, DumpSpellsOutEachCode) {
  EXPECT_EQ(dumpOf(SymbolInfo("_main", 0xABC, 0, 0, 0, "main.c")),
            "SymbolInfo: \ncName=_main\ncAddress=0x00000abc\ncLocation=progMem\n"
            "cStorageClass=ext\ncKind=function\ncFile=main.c\n");
  EXPECT_EQ(dumpOf(SymbolInfo("v", 1, 1, 1, 1, "")),
            "SymbolInfo: \ncName=v\ncAddress=0x00000001\ncLocation=dataMem\n"
            "cStorageClass=stat\ncKind=variable\ncFile=\n");
  EXPECT_EQ(dumpOf(SymbolInfo("v", 1, 2, 2, 2, "f")),
            "SymbolInfo: \ncName=v\ncAddress=0x00000001\ncLocation=error!\n"
            "cStorageClass=error!\ncKind=error!\ncFile=f\n");
}

}  // namespace
