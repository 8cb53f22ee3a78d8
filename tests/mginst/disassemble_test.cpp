// Disassembly text and mnemonic lookup.
#include <gtest/gtest.h>

#include <string>

#include "family_cases.h"
#include "mginst.h"

namespace {

struct DisasmCase {
  CoreFamily family;
  uint32_t address;
  uint16_t first;
  uint16_t second;
  const char* text;
  int wordCount;
};

TEST(Disassembly, ExactTexts) {
  const DisasmCase cases[] = {
      {CORE_VESK, 0, 0x0785, 0, "ADDWF     0x5,0x1", 1},
      {CORE_VESK, 0, 0x0000, 0, "NOP       ", 1},
      {CORE_VESK, 0, 0x2123, 0, "CALL      0x123", 1},
      {CORE_VESK, 0, 0xC785, 0xF123, "ADDWF     0x5,0x1", 1},
      {CORE_MIREL, 0, 0xA812, 0, "TABLRD    0x0,0x0,0x12", 1},
      {CORE_MIREL, 0, 0x6123, 0, "MOVFP     0x23,0x1", 1},
      {CORE_MIREL, 0, 0x4123, 0, "MOVPF     0x1,0x23", 1},
      {CORE_MIREL, 0, 0xFFFF, 0, "CALL      0x1fff", 1},
      {CORE_ZARN, 0, 0x0A23, 0, "GOTO      0x23", 1},
      {CORE_ZARN, 0, 0x0005, 0, "TRIS      0x5", 1},
      {CORE_OSTRA, 0x100, 0xE005, 0, "BZ        0x10c", 1},
      {CORE_OSTRA, 0x100, 0xD805, 0, "RCALL     0x10c", 1},
      {CORE_OSTRA, 0x100, 0xE0F0, 0, "BZ        0xe2", 1},
      {CORE_OSTRA, 0x100, 0xD400, 0, "BRA       0xfffff902", 1},
      {CORE_OSTRA, 0, 0xE080, 0, "BZ        0xffffff02", 1},
      {CORE_OSTRA, 0xFFFFFFFE, 0xD3FF, 0, "BRA       0x7fe", 1},
      {CORE_OSTRA, 0x100, 0xEC12, 0xF123, "CALL      0x24624,0x0", 2},
      {CORE_OSTRA, 0x100, 0xEC12, 0x1234, "CALL      ???,0x0", 1},
      {CORE_OSTRA, 0x100, 0xED12, 0xF123, "CALL      0x24624,0x1", 2},
      {CORE_OSTRA, 0, 0xEF12, 0xF123, "GOTO      0x24624", 2},
      {CORE_OSTRA, 0, 0xEF12, 0x0002, "GOTO      ???", 1},
      {CORE_OSTRA, 0, 0xEE12, 0xF123, "LFSR      0x1,0x223", 2},
      {CORE_OSTRA, 0, 0xEE12, 0x1234, "LFSR      0x1,???", 1},
      {CORE_OSTRA, 0, 0xC123, 0xF456, "MOVFF     0x123,0x456", 2},
      {CORE_OSTRA, 0, 0xC123, 0xE456, "MOVFF     0x123,???", 1},
      {CORE_OSTRA, 0, 0x000A, 0, "TBLRDPOSTDEC", 1},
      {CORE_OSTRA, 0, 0x0013, 0, "RETURN    0x1", 1},
      {CORE_OSTRA, 0, 0xF123, 0xF456, "WORD2     0x123", 1},
      {CORE_OSTRA, 0, 0x1234, 0, "IORWF     0x34,0x1,0x0", 1},
      {CORE_OSTRA, 0, 0x0000, 0, "NOP       ", 1},
  };
  for (const DisasmCase& c : cases) {
    uint8_t count = 99;
    EXPECT_EQ(instDisassemble(c.address, c.first, c.second, &count, c.family), c.text)
        << "family " << int(c.family) << " word 0x" << std::hex << c.first;
    EXPECT_EQ(count, c.wordCount) << c.text;
  }
}

TEST(Disassembly, EveryValidWordStartsWithItsMnemonic) {
  for (const FamilyCase& fc : kFamilies) {
    SCOPED_TRACE(fc.name);
    for (uint32_t w = 0; w < kWordCount; ++w) {
      const uint16_t word = static_cast<uint16_t>(w);
      if (!instIsValid(word, fc.family)) continue;
      uint8_t count = 0;
      const std::string text = instDisassemble(0x1000, word, 0xF000, &count, fc.family);
      const std::string mnemonic = instMnemonic(instDecode(word, fc.family));
      ASSERT_EQ(text.compare(0, mnemonic.size(), mnemonic), 0) << text;
      ASSERT_GE(text.size(), 10u) << text;
      ASSERT_EQ(
          count,
          fc.family == CORE_OSTRA && instIsTwoWord(instDecode(word, fc.family), fc.family) ? 2 : 1)
          << text;
    }
  }
}

TEST(MnemonicLookup, CaseInsensitiveWithinTheFamily) {
  OpcodeId id = 0;
  EXPECT_EQ(instLookupMnemonic("movlw", &id, CORE_ZARN), 1);
  EXPECT_EQ(id, MOVLW);
  EXPECT_EQ(id, 47);
  id = 0;
  EXPECT_EQ(instLookupMnemonic("BRA", &id, CORE_VESK), 0);
  EXPECT_EQ(id, 0);
  EXPECT_EQ(instLookupMnemonic("TblRdPostInc", &id, CORE_OSTRA), 1);
  EXPECT_EQ(id, TBLRDPOSTINC);
  id = 7;
  EXPECT_EQ(instLookupMnemonic("MOVLWX", &id, CORE_ZARN), 0);
  EXPECT_EQ(instLookupMnemonic("MOVL", &id, CORE_ZARN), 0);
  EXPECT_EQ(instLookupMnemonic("", &id, CORE_ZARN), 0);
  EXPECT_EQ(id, 7);
}

TEST(MnemonicLookup, SelectionPseudoOpsAreNeverFound) {
  for (const FamilyCase& fc : kFamilies) {
    OpcodeId id = 0;
    EXPECT_EQ(instLookupMnemonic("BANKSEL", &id, fc.family), 0) << fc.name;
    EXPECT_EQ(instLookupMnemonic("pagesel", &id, fc.family), 0) << fc.name;
    EXPECT_EQ(id, 0);
  }
}

}  // namespace
