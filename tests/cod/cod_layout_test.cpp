// Byte images of the directory and the table records, counted texts and
// the symbol type names.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "cod.h"

namespace {

std::string packDirectory(const Directory& directory) {
  Block block;
  directory.pack(block.data());
  return std::string(reinterpret_cast<const char*>(block.data()), COD_BLOCK_SIZE);
}

uint16_t wordAt(const std::string& bytes, std::size_t offset) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[offset]) |
                               (static_cast<uint8_t>(bytes[offset + 1]) << 8));
}

}  // namespace

TEST(CodLayout, NewDirectoryIsZeroButCodType) {
  std::string bytes = packDirectory(Directory());
  for (std::size_t i = 0; i < COD_BLOCK_SIZE; ++i) {
    if (i == 451) continue;
    ASSERT_EQ(bytes[i], 0) << "offset " << i;
  }
  EXPECT_EQ(wordAt(bytes, 451), 1);
}

TEST(CodLayout, DirectoryFieldsLieAtTheirOffsets) {
  Directory d;
  d.Index[0] = 0x0102;
  d.Index[127] = 0x0304;
  d.setSource("prog.cod");
  d.setDate("09Dec26");
  d.Time = 1405;
  d.setVersion("v1");
  d.setNotice("notice");
  d.setProcessor("dev1234");
  uint16_t value = 0x1100;
  for (uint16_t* field :
       {&d.SymTab, &d.SymEnd, &d.NamTab, &d.NamEnd, &d.LineTab, &d.LineEnd, &d.HighAddr, &d.NextDir,
        &d.MemMapOfs, &d.MemMapEnd, &d.LocalVars, &d.LocalEnd, &d.CodType, &d.LSymTab, &d.LSymEnd,
        &d.MessTab, &d.MessEnd}) {
    *field = value++;
  }
  d.AddrSize = 0x77;
  std::string b = packDirectory(d);

  EXPECT_EQ(wordAt(b, 0), 0x0102);
  EXPECT_EQ(wordAt(b, 254), 0x0304);
  EXPECT_EQ(b[256], 8);
  EXPECT_EQ(b.substr(257, 8), "prog.cod");
  EXPECT_EQ(b[265], 0);
  EXPECT_EQ(b[320], 7);
  EXPECT_EQ(b.substr(321, 7), "09Dec26");
  EXPECT_EQ(wordAt(b, 328), 1405);
  EXPECT_EQ(b[330], 2);
  EXPECT_EQ(b.substr(331, 2), "v1");
  EXPECT_EQ(b[350], 0);
  EXPECT_EQ(b[362], 6);
  EXPECT_EQ(b.substr(363, 6), "notice");
  const std::size_t wordOffsets[] = {426, 428, 430, 432, 434, 436, 439, 441, 443,
                                     445, 447, 449, 451, 462, 464, 466, 468};
  uint16_t expected = 0x1100;
  for (std::size_t offset : wordOffsets)
    EXPECT_EQ(wordAt(b, offset), expected++) << "offset " << offset;
  EXPECT_EQ(static_cast<uint8_t>(b[438]), 0x77);
  EXPECT_EQ(b[453], 7);
  EXPECT_EQ(b.substr(454, 7), "dev1234");
  for (std::size_t i = 470; i < COD_BLOCK_SIZE; ++i) EXPECT_EQ(b[i], 0) << "spare " << i;

  Block block;
  d.pack(block.data());
  EXPECT_EQ(Directory::unpack(block.data()), d);
}

TEST(CodLayout, CountedTextsAreCutToTheirFields) {
  Directory d;
  d.setSource(std::string(70, 's'));
  EXPECT_EQ(d.SourceLen, 63);
  EXPECT_EQ(d.source(), std::string(63, 's'));
  d.setProcessor("longer-than-eight");
  EXPECT_EQ(d.processor(), "longer-t");
  d.setVersion(std::string(25, 'v'));
  EXPECT_EQ(d.VersionLen, 19);
  // A shorter text after a longer one leaves no old characters behind.
  d.setSource("ab");
  EXPECT_EQ(d.Source[2], 0);
  EXPECT_EQ(d.source(), "ab");
  // A damaged length byte never reads past the field.
  d.SourceLen = 200;
  EXPECT_EQ(d.source().size(), 63u);
}

TEST(CodLayout, SymbolRecord) {
  Symbol s("a_very_long_name_indeed", COD_SYMBOL_TYPE_ADDRESS, 1);
  EXPECT_EQ(s.name(), "a_very_long_");
  uint8_t bytes[16];
  std::memset(bytes, 0xee, sizeof(bytes));
  s.pack(bytes);
  EXPECT_EQ(bytes[0], 12);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes + 1), 12), "a_very_long_");
  EXPECT_EQ(bytes[13], 46);
  // A value of 1 is stored as the bytes 1, 0.
  EXPECT_EQ(bytes[14], 1);
  EXPECT_EQ(bytes[15], 0);
  EXPECT_EQ(Symbol::unpack(bytes), s);

  Symbol shortName("ab", COD_SYMBOL_TYPE_CONSTANT, 0x2345);
  shortName.pack(bytes);
  EXPECT_EQ(bytes[0], 2);
  EXPECT_EQ(bytes[3], 0);
  EXPECT_EQ(bytes[12], 0);
  EXPECT_EQ(bytes[14], 0x45);
  EXPECT_EQ(bytes[15], 0x23);
}

TEST(CodLayout, SourceNameHoldsAtMost62Characters) {
  std::string longName(80, 'f');
  SourceName name(longName);
  EXPECT_EQ(name.FileNameLen, 62);
  EXPECT_EQ(name.fileName(), std::string(62, 'f'));
  uint8_t bytes[64];
  std::memset(bytes, 0xee, sizeof(bytes));
  name.pack(bytes);
  EXPECT_EQ(bytes[0], 62);
  EXPECT_EQ(bytes[62], 'f');
  EXPECT_EQ(bytes[63], 0);
  EXPECT_EQ(SourceName::unpack(bytes), name);
  EXPECT_EQ(SourceName("src/main.asm").fileName(), "src/main.asm");
}

TEST(CodLayout, LineInfoAndMemoryMapRecords) {
  uint8_t bytes[6];
  LineInfo line(3, 0x80, 0x1234, 0xabcd);
  line.pack(bytes);
  const uint8_t expected[] = {3, 0x80, 0x34, 0x12, 0xcd, 0xab};
  EXPECT_EQ(0, std::memcmp(bytes, expected, 6));
  EXPECT_EQ(LineInfo::unpack(bytes), line);

  MemoryMap map(0x2000, 0x2103);
  map.pack(bytes);
  const uint8_t expectedMap[] = {0x00, 0x20, 0x03, 0x21};
  EXPECT_EQ(0, std::memcmp(bytes, expectedMap, 4));
  EXPECT_EQ(MemoryMap::unpack(bytes), map);
}

TEST(CodLayout, LongTextsAreCutToWhatTheLengthByteHolds) {
  LongSymbol symbol(std::string(300, 'x'), COD_SYMBOL_TYPE_ADDRESS, 0x12345);
  EXPECT_EQ(symbol.NameLen, 255);
  EXPECT_EQ(symbol.Name.size(), 255u);
  EXPECT_EQ(symbol.size(), 262u);
  EXPECT_EQ(LongSymbol("abc", 47, 0).size(), 10u);

  DebugMsg message(0x10, 'a', std::string(256, 'm'));
  EXPECT_EQ(message.MsgLen, 255);
  EXPECT_EQ(message.size(), 261u);
  EXPECT_EQ(DebugMsg(0, 'e', "").size(), 6u);
}

TEST(CodLayout, LocalGroupHeader) {
  LocalGroup group;
  group.StartAddr = 0x01020304;
  group.EndAddr = 0x0a0b0c0d;
  uint8_t bytes[16] = {};
  group.packHeader(bytes);
  const uint8_t expected[] = {7, '_', '_', 'L', 'O',  'C',  'A',  'L',
                              4, 3,   2,   1,   0x0d, 0x0c, 0x0b, 0x0a};
  EXPECT_EQ(0, std::memcmp(bytes, expected, 16));
  EXPECT_TRUE(LocalGroup::isHeader(bytes));
  Symbol("__LOCAX", 0, 0).pack(bytes);
  EXPECT_FALSE(LocalGroup::isHeader(bytes));
}

TEST(CodLayout, SymbolTypeNames) {
  struct Expected {
    uint32_t code;
    const char* name;
  };
  const Expected table[] = {{0, "a_reg"},
                            {15, "u_word_array"},
                            {16, "func_void_none"},
                            {20, "func_void_undef"},
                            {21, "func_int_none"},
                            {30, "func_long_undef"},
                            {31, "pfun_void_none"},
                            {45, "pfun_long_undef"},
                            {46, "address"},
                            {47, "constant"},
                            {60, "endif"},
                            {61, "exundef"},
                            {78, "l_const"},
                            {79, "s_short"},
                            {93, "cc_reg"},
                            {94, "PtrF_void_none"},
                            {108, "PtrF_long_undef"},
                            {109, "PfAR_void_none"},
                            {120, "PfAR_long_byte"},
                            {123, "PfAR_long_undef"},
                            {124, "FWDlit"},
                            {130, "mcgoto4"},
                            {134, "mcall"},
                            {143, "Bankaddr"},
                            {144, "bit_0"},
                            {151, "bit_7"}};
  for (const Expected& entry : table) {
    ASSERT_NE(codSymbolTypeName(entry.code), nullptr) << entry.code;
    EXPECT_STREQ(codSymbolTypeName(entry.code), entry.name) << entry.code;
  }
  for (uint32_t code = 131; code <= 133; ++code) EXPECT_NE(codSymbolTypeName(code), nullptr);
  EXPECT_EQ(codSymbolTypeName(152), nullptr);
  EXPECT_EQ(codSymbolTypeText(46), ", <address>");
  EXPECT_EQ(codSymbolTypeText(152), ", <bad type>");
  EXPECT_EQ(codSymbolTypeText(0xffff), ", <bad type>");
}

TEST(CodLayout, DumpShowsEveryTableAndTheTypeNames) {
  Cod cod;
  cod.cDirectory.emplace_back();
  cod.cDirectory[0].setSource("dumped.cod");
  cod.cCode.resize(1);
  cod.cLineInfo.resize(1);
  cod.cMemoryMap.resize(1);
  cod.cLineInfo[0].emplace_back(0, 0x90, 12, 0);
  cod.cMemoryMap[0].emplace_back(0x100, 0x1ff);
  cod.cSymbol.emplace_back("start", COD_SYMBOL_TYPE_ADDRESS, 0x10);
  cod.cSymbol.emplace_back("odd", 200, 0);
  cod.cSourceName.emplace_back("main.asm");
  cod.cLongSymbol.emplace_back("a_long_symbol_name", COD_SYMBOL_TYPE_CONSTANT, 0x12345);
  cod.cLocalGroup.emplace_back();
  cod.cDebugMsg.emplace_back(4, 'a', "look");
  std::ostringstream out;
  cod.dump(out);
  std::string text = out.str();
  for (const char* piece :
       {"Directory: ", "dumped.cod", "Symbol: 'start'", ", <address>", ", <bad type>",
        "SourceName: 'main.asm'", "LineInfo: ", "MemoryMap: 0x0100-0x01ff",
        "LongSymbol: 'a_long_symbol_name' value=0x00012345, <constant>", "LocalGroup----{",
        "DebugMsg: ", "look"}) {
    EXPECT_NE(text.find(piece), std::string::npos) << piece << "\n" << text;
  }
}
