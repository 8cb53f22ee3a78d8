// Opcode ids, mnemonic texts, decoding and validity.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "family_cases.h"
#include "mginst.h"

namespace {

struct WordRange {
  uint16_t first;
  uint16_t last;
};

// The words (within the family's width) that match no pattern.
const std::vector<WordRange>& invalidRanges(CoreFamily family) {
  static const std::vector<WordRange> vesk = {{0x0001, 0x0007}, {0x000A, 0x001F}, {0x0021, 0x003F},
                                              {0x0041, 0x005F}, {0x0068, 0x007F}, {0x3B00, 0x3BFF}};
  static const std::vector<WordRange> mirel = {{0x0006, 0x0007}, {0x0009, 0x000D},
                                               {0x000F, 0x00FF}, {0x3500, 0x37FF},
                                               {0xB900, 0xB9FF}, {0xBD00, 0xBFFF}};
  static const std::vector<WordRange> zarn = {{0x0008, 0x001F}, {0x0041, 0x005F}};
  static const std::vector<WordRange> ostra = {{0x0002, 0x0002}, {0x0014, 0x001F},
                                               {0x0023, 0x00DF}, {0x00E2, 0x00FE},
                                               {0xE800, 0xEBFF}, {0xEE40, 0xEEFF}};
  switch (family) {
    case CORE_VESK: return vesk;
    case CORE_MIREL: return mirel;
    case CORE_ZARN: return zarn;
    default: return ostra;
  }
}

bool inInvalidRange(uint16_t word, CoreFamily family) {
  const auto& ranges = invalidRanges(family);
  return std::any_of(ranges.begin(), ranges.end(),
                     [word](const WordRange& r) { return word >= r.first && word <= r.last; });
}

// The mnemonics of each family's set of ids.
std::set<std::string> familyMnemonics(CoreFamily family) {
  switch (family) {
    case CORE_VESK:
      return {"ADDLW",  "ADDWF",  "ANDLW", "ANDWF",  "BCF",  "BSF",   "BTFSC",  "BTFSS",
              "CALL",   "CLRF",   "CLRW",  "CLRWDT", "COMF", "DECF",  "DECFSZ", "GOTO",
              "INCF",   "INCFSZ", "IORLW", "IORWF",  "MOVF", "MOVLW", "MOVWF",  "NOP",
              "OPTION", "RETFIE", "RETLW", "RETURN", "RLF",  "RRF",   "SLEEP",  "SUBLW",
              "SUBWF",  "SWAPF",  "TRIS",  "XORLW",  "XORWF"};
    case CORE_MIREL:
      return {"ADDLW",  "ADDWF", "ADDWFC", "ANDLW", "ANDWF",  "BCF",   "BSF",    "BTFSC",
              "BTFSS",  "BTG",   "CALL",   "CLRF",  "CLRWDT", "COMF",  "CPFSEQ", "CPFSGT",
              "CPFSLT", "DAW",   "DCFSNZ", "DECF",  "DECFSZ", "GOTO",  "INCF",   "INCFSZ",
              "INFSNZ", "IORLW", "IORWF",  "LCALL", "LOG",    "MOVFP", "MOVLB",  "MOVLR",
              "MOVLW",  "MOVPF", "MOVWF",  "MULLW", "MULWF",  "NEGW",  "NOP",    "PAUSE",
              "RETFIE", "RETLW", "RETURN", "RLCF",  "RLNCF",  "RRCF",  "RRNCF",  "SETF",
              "SLEEP",  "STOP",  "SUBLW",  "SUBWF", "SUBWFB", "SWAPF", "TABLRD", "TABLWT",
              "TLRD",   "TLWT",  "TSTFSZ", "XORLW", "XORWF"};
    case CORE_ZARN:
      return {"ADDWF", "ANDLW",  "ANDWF", "BCF",   "BSF",    "BTFSC",  "BTFSS", "CALL",   "CLRF",
              "CLRW",  "CLRWDT", "COMF",  "DECF",  "DECFSZ", "GOTO",   "INCF",  "INCFSZ", "IORLW",
              "IORWF", "MOVF",   "MOVLW", "MOVWF", "NOP",    "OPTION", "RETLW", "RLF",    "RRF",
              "SLEEP", "SUBWF",  "SWAPF", "TRIS",  "XORLW",  "XORWF"};
    default:
      return {
          "ADDLW",  "ADDWF",        "ADDWFC",       "ANDLW",        "ANDWF",        "BC",
          "BCF",    "BN",           "BNC",          "BNN",          "BNOV",         "BNZ",
          "BOV",    "BRA",          "BSF",          "BTFSC",        "BTFSS",        "BTG",
          "BZ",     "CALL",         "CLRF",         "CLRWDT",       "COMF",         "CPFSEQ",
          "CPFSGT", "CPFSLT",       "DAW",          "DCFSNZ",       "DECF",         "DECFSZ",
          "GOTO",   "HALT",         "INCF",         "INCFSZ",       "INFSNZ",       "IORLW",
          "IORWF",  "LFSR",         "LOG",          "MOVF",         "MOVFF",        "MOVLB",
          "MOVLW",  "MOVWF",        "MULLW",        "MULWF",        "NEGF",         "NOP",
          "PAUSE",  "POP",          "PUSH",         "RCALL",        "RESET",        "RETFIE",
          "RETLW",  "RETURN",       "RLCF",         "RLNCF",        "RRCF",         "RRNCF",
          "SETF",   "SLEEP",        "STOP",         "SUBFWB",       "SUBLW",        "SUBWF",
          "SUBWFB", "SWAPF",        "TBLRD",        "TBLRDPOSTDEC", "TBLRDPOSTINC", "TBLRDPREINC",
          "TBLWT",  "TBLWTPOSTDEC", "TBLWTPOSTINC", "TBLWTPREINC",  "TRAP",         "TRET",
          "TSTFSZ", "WORD2",        "XORLW",        "XORWF"};
  }
}

TEST(OpcodeIds, MnemonicTextsInIdOrder) {
  const char* const expected[] = {
      "ADDLW",        "ADDWF",        "ADDWFC",       "ANDLW",        "ANDWF",       "BC",
      "BCF",          "BN",           "BNC",          "BNN",          "BNOV",        "BNZ",
      "BOV",          "BRA",          "BSF",          "BTFSC",        "BTFSS",       "BTG",
      "BZ",           "CALL",         "CLRF",         "CLRW",         "CLRWDT",      "COMF",
      "CPFSEQ",       "CPFSGT",       "CPFSLT",       "DAW",          "DCFSNZ",      "DECF",
      "DECFSZ",       "GOTO",         "HALT",         "INCF",         "INCFSZ",      "INFSNZ",
      "IORLW",        "IORWF",        "LCALL",        "LFSR",         "LOG",         "MOVF",
      "MOVFF",        "MOVFP",        "MOVLB",        "MOVLR",        "MOVLW",       "MOVPF",
      "MOVWF",        "MULLW",        "MULWF",        "NEGF",         "NEGW",        "NOP",
      "OPTION",       "PAUSE",        "POP",          "PUSH",         "RCALL",       "RESET",
      "RETFIE",       "RETLW",        "RETURN",       "RLCF",         "RLF",         "RLNCF",
      "RRCF",         "RRF",          "RRNCF",        "SETF",         "SLEEP",       "STOP",
      "SUBFWB",       "SUBLW",        "SUBWF",        "SUBWFB",       "SWAPF",       "TABLRD",
      "TABLWT",       "TBLRD",        "TBLRDPOSTDEC", "TBLRDPOSTINC", "TBLRDPREINC", "TBLWT",
      "TBLWTPOSTDEC", "TBLWTPOSTINC", "TBLWTPREINC",  "TLRD",         "TLWT",        "TRAP",
      "TRET",         "TRIS",         "TSTFSZ",       "WORD2",        "XORLW",       "XORWF",
      "BANKSEL",      "PAGESEL"};
  ASSERT_EQ(std::size(expected), 98u);
  for (int id = 1; id <= 98; ++id) {
    EXPECT_STREQ(instMnemonic(static_cast<OpcodeId>(id)), expected[id - 1]) << "id " << id;
  }
}

TEST(OpcodeIds, IdsTheLinkerNamesByNumber) {
  EXPECT_EQ(BCF, 7);
  EXPECT_EQ(BSF, 15);
  EXPECT_EQ(MOVLB, 45);
  EXPECT_EQ(MOVLR, 46);
  EXPECT_EQ(MOVLW, 47);
  EXPECT_EQ(MOVWF, 49);
  EXPECT_EQ(RETLW, 62);
  EXPECT_EQ(WORD2, 94);
  EXPECT_EQ(XORWF, 96);
  EXPECT_EQ(BANKSEL, 97);
  EXPECT_EQ(PAGESEL, 98);
}

// Every word of every family: valid exactly outside the invalid ranges,
// and the decoded ids form exactly the family's set.
TEST(Decoding, EveryWordOfEveryFamily) {
  const size_t expectedSetSizes[] = {37, 61, 33, 82};
  for (size_t f = 0; f < std::size(kFamilies); ++f) {
    const FamilyCase& fc = kFamilies[f];
    SCOPED_TRACE(fc.name);
    std::set<std::string> decoded;
    int mismatches = 0;
    for (uint32_t w = 0; w < kWordCount; ++w) {
      const uint16_t word = static_cast<uint16_t>(w);
      const bool expectValid = !inInvalidRange(word & fc.widthMask, fc.family);
      if ((instIsValid(word, fc.family) == 1) != expectValid && ++mismatches <= 5) {
        ADD_FAILURE() << "word 0x" << std::hex << w << " expected valid " << expectValid;
      }
      if (expectValid && instIsValid(word, fc.family)) {
        decoded.insert(instMnemonic(instDecode(word, fc.family)));
      }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(decoded.size(), expectedSetSizes[f]);
    EXPECT_EQ(decoded, familyMnemonics(fc.family));
  }
}

TEST(Decoding, BitsAboveTheWidthAreIgnored) {
  for (const FamilyCase& fc : kFamilies) {
    SCOPED_TRACE(fc.name);
    for (uint32_t w = 0; w < kWordCount; ++w) {
      const uint16_t word = static_cast<uint16_t>(w);
      const uint16_t low = word & fc.widthMask;
      ASSERT_EQ(instIsValid(word, fc.family), instIsValid(low, fc.family)) << std::hex << w;
      if (instIsValid(word, fc.family)) {
        ASSERT_EQ(instDecode(word, fc.family), instDecode(low, fc.family)) << std::hex << w;
      }
    }
  }
}

struct DecodeCase {
  CoreFamily family;
  uint16_t word;
  OpcodeId id;
};

TEST(Decoding, OverlappingPatternsAndEdgeWords) {
  const DecodeCase cases[] = {
      // The whole-word opcodes win over TRIS, TRIS wins over NOP.
      {CORE_VESK, 0x0062, OPTION},  {CORE_VESK, 0x0063, SLEEP},   {CORE_VESK, 0x0064, CLRWDT},
      {CORE_VESK, 0x0060, TRIS},    {CORE_VESK, 0x0061, TRIS},    {CORE_VESK, 0x0065, TRIS},
      {CORE_VESK, 0x0067, TRIS},    {CORE_VESK, 0x0000, NOP},     {CORE_VESK, 0x0020, NOP},
      {CORE_VESK, 0x0040, NOP},     {CORE_VESK, 0xFE05, ADDLW},   {CORE_VESK, 0x3E05, ADDLW},
      {CORE_VESK, 0x0008, RETURN},  {CORE_VESK, 0x0009, RETFIE},  {CORE_VESK, 0x0100, CLRW},
      {CORE_ZARN, 0x0000, NOP},     {CORE_ZARN, 0x0002, OPTION},  {CORE_ZARN, 0x0003, SLEEP},
      {CORE_ZARN, 0x0004, CLRWDT},  {CORE_ZARN, 0x0001, TRIS},    {CORE_ZARN, 0x0005, TRIS},
      {CORE_ZARN, 0x0006, TRIS},    {CORE_ZARN, 0x0007, TRIS},    {CORE_ZARN, 0xF040, CLRW},
      {CORE_ZARN, 0x0BFF, GOTO},    {CORE_OSTRA, 0xF123, WORD2},  {CORE_OSTRA, 0x0010, RETFIE},
      {CORE_OSTRA, 0x0011, RETFIE}, {CORE_OSTRA, 0x0012, RETURN}, {CORE_OSTRA, 0x0013, RETURN},
      {CORE_OSTRA, 0xEE3F, LFSR},   {CORE_OSTRA, 0x00FF, RESET},  {CORE_OSTRA, 0xEDFF, CALL},
      {CORE_MIREL, 0xE000, CALL},   {CORE_MIREL, 0xFFFF, CALL},   {CORE_MIREL, 0xBB0F, MOVLR},
      {CORE_MIREL, 0x000E, PAUSE},
  };
  for (const DecodeCase& c : cases) {
    ASSERT_TRUE(instIsValid(c.word, c.family)) << std::hex << c.word;
    EXPECT_STREQ(instMnemonic(instDecode(c.word, c.family)), instMnemonic(c.id))
        << "family " << int(c.family) << " word 0x" << std::hex << c.word;
  }
  EXPECT_EQ(instIsValid(0x0002, CORE_OSTRA), 0);
  EXPECT_EQ(instIsValid(0x0006, CORE_MIREL), 0);
}

}  // namespace
