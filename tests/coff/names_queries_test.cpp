// Names in the name fields and the string table, and the questions asked of
// single records.
#include <gtest/gtest.h>

#include <cstring>

#include "coff_test_support.h"
#include "string_index.h"

namespace {

const StringTable strings = {{4, "long_section"}, {17, "twice_name"}, {28, "twice_name"}};

SymbolEntry symbolNamed(const char* inlineBytes, uint8_t storageClass = C_EXT) {
  SymbolEntry symbol;
  std::memcpy(symbol._n_name.bytes, inlineBytes, std::min<size_t>(8, std::strlen(inlineBytes)));
  symbol.n_sclass = storageClass;
  return symbol;
}

TEST(CoffNames, InlineNamesUpToTheirNulOrAllEight) {
  SectionHeader header;
  std::memcpy(header._s_name.bytes, "abcdefgh", 8);
  EXPECT_EQ(Coff::getName(header, {}), "abcdefgh");
  EXPECT_EQ(Coff::getName(symbolNamed(".text"), {}), ".text");
  EXPECT_FALSE(Coff::nameInStringTable(header));
}

TEST(CoffNames, StringTableNames) {
  SectionHeader header;
  header._s_name.setOffset(4);
  EXPECT_TRUE(Coff::nameInStringTable(header));
  EXPECT_EQ(Coff::getName(header, strings), "long_section");
  SymbolEntry symbol;
  symbol._n_name.setOffset(17);
  EXPECT_EQ(Coff::getName(symbol, strings), "twice_name");
  AuxFile file;
  file.x_offset = 28;
  EXPECT_EQ(Coff::getName(file, strings), "twice_name");
}

TEST(CoffNames, SetNameInlineOrFirstMatchingOffset) {
  SectionHeader header;
  std::memset(header._s_name.bytes, 'z', 8);
  Coff::setName(header, strings, "abc");
  EXPECT_EQ(std::memcmp(header._s_name.bytes, "abc\0\0\0\0\0", 8), 0);
  Coff::setName(header, strings, "12345678");
  EXPECT_EQ(std::memcmp(header._s_name.bytes, "12345678", 8), 0);
  SymbolEntry symbol;
  Coff::setName(symbol, strings, "twice_name");
  EXPECT_TRUE(Coff::nameInStringTable(symbol));
  EXPECT_EQ(symbol._n_offset(), 17u);
}

// The index of a table answers what the search of the table answers: the
// first offset of a repeated string, inline names without looking.
TEST(CoffNames, SetNameThroughAnIndexAsThroughTheTable) {
  const StringIndex index(strings);
  for (const char* name : {"abc", "12345678", "long_section", "twice_name"}) {
    SectionHeader byTable, byIndex;
    Coff::setName(byTable, strings, name);
    Coff::setIndexedName(byIndex, index, name);
    EXPECT_EQ(std::memcmp(byTable._s_name.bytes, byIndex._s_name.bytes, 8), 0) << name;
    SymbolEntry symbolByTable, symbolByIndex;
    Coff::setName(symbolByTable, strings, name);
    Coff::setIndexedName(symbolByIndex, index, name);
    EXPECT_EQ(std::memcmp(symbolByTable._n_name.bytes, symbolByIndex._n_name.bytes, 8), 0) << name;
  }
}

// Strings the table gains after the index was made: a new string is found
// at its offset, a repeat keeps the earlier offset, and a repeat added at a
// lower offset than the one indexed becomes the first.
TEST(StringIndexTest, StringsAddedLater) {
  StringTable table = strings;
  StringIndex index(table);
  EXPECT_EQ(index.find("twice_name"), 17);
  EXPECT_EQ(index.find("missing_name"), std::nullopt);
  table[39] = "added_name";
  index.add(table, 39);
  table[50] = "long_section";
  index.add(table, 50);
  table[2] = "twice_name";
  index.add(table, 2);
  EXPECT_EQ(index.find("added_name"), 39);
  EXPECT_EQ(index.find("long_section"), 4);
  EXPECT_EQ(index.find("twice_name"), 2);
}

TEST(CoffNamesDeathTest, MissingNamesEndTheProgram) {
  SectionHeader header;
  header._s_name.setOffset(5);
  EXPECT_EXIT(Coff::getName(header, strings), testing::ExitedWithCode(255),
              "Error - Unable to find section name in string table.");
  SymbolEntry symbol;
  symbol._n_name.setOffset(0x80000000u);
  EXPECT_EXIT(Coff::getName(symbol, strings), testing::ExitedWithCode(255),
              "Error - Unable to find symbol name in string table.");
  EXPECT_EXIT(Coff::getName(AuxFile{}, strings), testing::ExitedWithCode(255),
              "Error - Unable to find aux_file name in string table.");
  EXPECT_EXIT(Coff::setName(header, strings, "section_9"), testing::ExitedWithCode(255),
              "Error - Could not find section name 'section_9' in string table.");
  EXPECT_EXIT(Coff::setName(symbol, strings, "symbol_99"), testing::ExitedWithCode(255),
              "Error - Could not find symbol name 'symbol_99' in string table.");
  const StringIndex index(strings);
  EXPECT_EXIT(Coff::setIndexedName(header, index, "section_9"), testing::ExitedWithCode(255),
              "Error - Could not find section name 'section_9' in string table.");
  EXPECT_EXIT(Coff::setIndexedName(symbol, index, "symbol_99"), testing::ExitedWithCode(255),
              "Error - Could not find symbol name 'symbol_99' in string table.");
}

TEST(CoffQueries, DerivedAndBasicTypes) {
  SymbolEntry symbol;
  symbol.n_type = DT_FCN << 4;
  EXPECT_TRUE(Coff::isFunction(symbol));
  EXPECT_FALSE(Coff::isArray(symbol));
  symbol.n_type = DT_FCN << 6;  // a pointer-like second field is not a function
  EXPECT_FALSE(Coff::isFunction(symbol));
  for (int field = 0; field < 6; ++field) {
    symbol.n_type = static_cast<uint16_t>(DT_ARY << (4 + 2 * field));
    EXPECT_TRUE(Coff::isArray(symbol)) << field;
  }
  for (uint16_t type : {T_STRUCT, T_UNION, T_ENUM}) {
    symbol.n_type = type;
    EXPECT_TRUE(Coff::isStructType(symbol));
  }
  symbol.n_type = 11;
  EXPECT_FALSE(Coff::isStructType(symbol));
}

TEST(CoffQueries, StorageClasses) {
  SymbolEntry symbol;
  for (uint8_t tag : {C_STRTAG, C_UNTAG, C_ENTAG}) {
    symbol.n_sclass = tag;
    EXPECT_TRUE(Coff::isTag(symbol));
  }
  symbol = symbolNamed(".data", C_STAT);
  EXPECT_TRUE(Coff::isSectionSymbol(symbol));
  symbol._n_name.setOffset(4);
  EXPECT_FALSE(Coff::isSectionSymbol(symbol));
  symbol.n_sclass = C_SECTION;
  EXPECT_TRUE(Coff::isSectionSymbol(symbol));

  symbol = symbolNamed("g", C_EXT);
  symbol.n_scnum = 1;
  EXPECT_TRUE(Coff::isDefinedGlobal(symbol));
  EXPECT_TRUE(Coff::isRelocatable(symbol));
  EXPECT_FALSE(Coff::isExternRef(symbol));
  symbol.n_scnum = N_UNDEF;
  EXPECT_TRUE(Coff::isExternRef(symbol));
  EXPECT_FALSE(Coff::isDefinedGlobal(symbol));
  symbol.n_scnum = N_ABS;
  EXPECT_FALSE(Coff::isExternRef(symbol));
  EXPECT_FALSE(Coff::isRelocatable(symbol));
  symbol.n_scnum = 2;
  for (uint8_t relocatable : {C_STAT, C_LABEL, C_BLOCK, C_FCN}) {
    symbol.n_sclass = relocatable;
    EXPECT_TRUE(Coff::isRelocatable(symbol));
  }
  symbol.n_sclass = C_FILE;
  EXPECT_FALSE(Coff::isRelocatable(symbol));
}

TEST(CoffQueries, AuxKindFirstMatchDecides) {
  SymbolEntry symbol = symbolNamed(".bf", C_FILE);
  EXPECT_EQ(Coff::auxKind(symbol), AUX_NONE);  // no aux entry at all
  symbol.n_numaux = 1;
  EXPECT_EQ(Coff::auxKind(symbol), AUX_FILE);
  symbol.n_sclass = C_EOS;
  EXPECT_EQ(Coff::auxKind(symbol), AUX_EOS);
  symbol.n_sclass = C_FCN;
  EXPECT_EQ(Coff::auxKind(symbol), AUX_BOBF);
  symbol.n_type = (DT_FCN << 4) | (DT_ARY << 6);
  EXPECT_EQ(Coff::auxKind(symbol), AUX_ARR);
  symbol.n_type = DT_FCN << 4;
  EXPECT_EQ(Coff::auxKind(symbol), AUX_FCN);

  const std::pair<const char*, int> blockNames[] = {
      {".bf", AUX_BOBF}, {".ef", AUX_EOBF}, {".bb", AUX_BOBF}, {".eb", AUX_EOBF}, {".bfx", 0}};
  for (const auto& [name, kind] : blockNames) {
    symbol = symbolNamed(name, C_BLOCK);
    symbol.n_numaux = 1;
    EXPECT_EQ(Coff::auxKind(symbol), kind) << name;
  }
  symbol = symbolNamed("s", C_STRTAG);
  symbol.n_numaux = 1;
  symbol.n_type = T_STRUCT;
  EXPECT_EQ(Coff::auxKind(symbol), AUX_TAG);
  symbol.n_sclass = C_EXT;
  EXPECT_EQ(Coff::auxKind(symbol), AUX_VAR);
  symbol = symbolNamed(".text", C_STAT);
  symbol.n_numaux = 1;
  EXPECT_EQ(Coff::auxKind(symbol), AUX_SCN);
  symbol = symbolNamed("plain", C_EXT);
  symbol.n_numaux = 1;
  EXPECT_EQ(Coff::auxKind(symbol), AUX_NONE);
}

TEST(CoffQueries, SectionTypesAndAttributes) {
  SectionHeader header;
  header.s_flags = 0x00A0;  // code and udata: the first bit decides
  EXPECT_EQ(Coff::sectionType(header), SECTION_CODE);
  EXPECT_TRUE(Coff::isCode(header));
  EXPECT_TRUE(Coff::isUdata(header));
  header.s_flags = 0x0180;
  EXPECT_EQ(Coff::sectionType(header), SECTION_UDATA);
  header.s_flags = 0x0100;
  EXPECT_EQ(Coff::sectionType(header), SECTION_ROMDATA);
  EXPECT_TRUE(Coff::isRomdata(header));
  header.s_flags = 0x0040;
  EXPECT_EQ(Coff::sectionType(header), SECTION_IDATA);
  EXPECT_TRUE(Coff::isIdata(header));
  header.s_flags = 0x1E00;
  EXPECT_EQ(Coff::sectionType(header), SECTION_UNKNOWN);
  header.s_flags = STYP_ABS | STYP_SHARED | STYP_OVERLAY | STYP_ACCESS;
  EXPECT_TRUE(Coff::isAbsolute(header) && Coff::isShared(header) && Coff::isOverlay(header) &&
              Coff::isAccess(header));
  header.s_flags = 0;
  EXPECT_FALSE(Coff::isAbsolute(header) || Coff::isShared(header) || Coff::isOverlay(header) ||
               Coff::isAccess(header));
}

TEST(CoffQueries, SetSectionFlagsNeverSetsOverlay) {
  SectionHeader header;
  header.s_flags = 0xFFFFFFFF;
  Coff::setSectionFlags(header, SECTION_ROMDATA, 1, 1, 1);
  EXPECT_EQ(header.s_flags, STYP_ROMDATA | STYP_ABS | STYP_SHARED | STYP_ACCESS);
  Coff::setSectionFlags(header, SECTION_IDATA, 0, 0, 0);
  EXPECT_EQ(header.s_flags, STYP_IDATA);
  Coff::setSectionFlags(header, 7, 0, 2, 0);
  EXPECT_EQ(header.s_flags, STYP_SHARED);
  Coff::setSectionFlags(header, SECTION_UNKNOWN, 0, 0, 0);
  EXPECT_EQ(header.s_flags, 0u);
}

TEST(CoffQueries, LineAndFileFlags) {
  coff_lineno line;
  EXPECT_FALSE(Coff::hasFcnIndex(line));
  line.l_flags = 0x0003;
  EXPECT_TRUE(Coff::hasFcnIndex(line));

  FileHeader header;
  header.f_flags = 0x0086;
  EXPECT_FALSE(Coff::isRelocStripped(header));
  EXPECT_TRUE(Coff::isExecutable(header));
  EXPECT_TRUE(Coff::isLinenoStripped(header));
  EXPECT_TRUE(Coff::isDebugStripped(header));
  header.f_flags = 0x0001;
  EXPECT_TRUE(Coff::isRelocStripped(header));
  EXPECT_FALSE(Coff::isExecutable(header) || Coff::isLinenoStripped(header) ||
               Coff::isDebugStripped(header));
}

}  // namespace
