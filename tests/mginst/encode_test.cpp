// Operand fields, operand getters and the in-place encoders.
#include <gtest/gtest.h>

#include <bit>
#include <vector>

#include "family_cases.h"
#include "mginst.h"

namespace {

constexpr uint16_t kAllOnes = 0xFFFF;

void setOperand(uint16_t* word, int index, uint16_t value, CoreFamily family) {
  switch (index) {
    case 0: instSetOperand1(word, value, family); break;
    case 1: instSetOperand2(word, value, family); break;
    default: instSetOperand3(word, value, family); break;
  }
}

// The bits that operand `index` of the word occupies: those that differ
// between the operand set to all ones and set to zero.
uint16_t fieldBits(uint16_t word, int index, CoreFamily family) {
  uint16_t ones = word;
  uint16_t zeros = word;
  setOperand(&ones, index, kAllOnes, family);
  setOperand(&zeros, index, 0, family);
  return static_cast<uint16_t>(ones ^ zeros);
}

bool isContiguous(uint16_t bits) {
  if (bits == 0) return true;
  const unsigned shifted = bits >> std::countr_zero(bits);
  return (shifted & (shifted + 1)) == 0;
}

// For every valid word: writing back its own opcode and operands changes
// nothing, and each operand set to all ones changes only its own field,
// which lies inside the word width, apart from the opcode and the other
// fields.
TEST(Encoding, OwnFieldsRoundTripAndFieldsAreIsolated) {
  for (const FamilyCase& fc : kFamilies) {
    SCOPED_TRACE(fc.name);
    for (uint32_t w = 0; w < kWordCount; ++w) {
      const uint16_t word = static_cast<uint16_t>(w);
      if (!instIsValid(word, fc.family)) continue;
      const OpcodeId id = instDecode(word, fc.family);
      uint16_t copy = word;
      instSetOpcode(&copy, id, fc.family);
      ASSERT_EQ(copy, word) << std::hex << w;
      uint16_t usedBits = 0;
      for (int index = 0; index < 3; ++index) {
        if (!instHasOperand(id, fc.family, index)) continue;
        copy = word;
        setOperand(&copy, index, instOperand(word, fc.family, index), fc.family);
        ASSERT_EQ(copy, word) << std::hex << w << " operand " << index;

        const uint16_t bits = fieldBits(word, index, fc.family);
        uint16_t ones = word;
        setOperand(&ones, index, kAllOnes, fc.family);
        ASSERT_EQ(ones, word | bits) << std::hex << w << " operand " << index;
        ASSERT_TRUE(isContiguous(bits)) << std::hex << w << " operand " << index;
        ASSERT_EQ(bits & ~fc.widthMask, 0) << std::hex << w << " operand " << index;
        ASSERT_EQ(bits & usedBits, 0) << std::hex << w << " operand " << index;
        ASSERT_EQ(instDecode(ones, fc.family), id) << std::hex << w << " operand " << index;
        const uint16_t expectedValue =
            bits ? static_cast<uint16_t>(bits >> std::countr_zero(bits)) : 0;
        ASSERT_EQ(instOperand(ones, fc.family, index), expectedValue) << std::hex << w;
        usedBits |= bits;
      }
    }
  }
}

struct FieldCase {
  CoreFamily family;
  uint16_t word;
  std::vector<uint16_t> fields;  // bits of operands 1, 2, 3 the opcode has
};

// One opcode of every operand group of every family, with the bits each of
// its operands occupies.
TEST(Encoding, OperandFieldsOfEachGroup) {
  const FieldCase cases[] = {
      {CORE_VESK, 0x0700, {0x007F, 0x0080}},           // ADDWF f,d
      {CORE_VESK, 0x1000, {0x007F, 0x0380}},           // BCF f,b
      {CORE_VESK, 0x0180, {0x007F}},                   // CLRF f
      {CORE_VESK, 0x3E00, {0x00FF}},                   // ADDLW k
      {CORE_VESK, 0x2000, {0x07FF}},                   // CALL
      {CORE_VESK, 0x0060, {0x0007}},                   // TRIS
      {CORE_VESK, 0x0100, {}},                         // CLRW
      {CORE_MIREL, 0x0E00, {0x00FF, 0x0100}},          // ADDWF
      {CORE_MIREL, 0x2E00, {0x00FF, 0x0100}},          // DAW
      {CORE_MIREL, 0x3800, {0x00FF, 0x0700}},          // BTG
      {CORE_MIREL, 0x0100, {0x00FF}},                  // MOVWF
      {CORE_MIREL, 0xB700, {0x00FF}},                  // LCALL
      {CORE_MIREL, 0xB800, {0x000F}},                  // MOVLB
      {CORE_MIREL, 0xBA00, {0x00F0}},                  // MOVLR
      {CORE_MIREL, 0xC000, {0x1FFF}},                  // GOTO
      {CORE_MIREL, 0x6000, {0x00FF, 0x1F00}},          // MOVFP f,p
      {CORE_MIREL, 0x4000, {0x1F00, 0x00FF}},          // MOVPF p,f
      {CORE_MIREL, 0xA800, {0x0200, 0x0100, 0x00FF}},  // TABLRD
      {CORE_MIREL, 0xA400, {0x0200, 0x00FF}},          // TLWT
      {CORE_MIREL, 0x0005, {}},                        // RETFIE
      {CORE_ZARN, 0x01C0, {0x001F, 0x0020}},           // ADDWF
      {CORE_ZARN, 0x0400, {0x001F, 0x00E0}},           // BCF
      {CORE_ZARN, 0x0020, {0x001F}},                   // MOVWF
      {CORE_ZARN, 0x0900, {0x00FF}},                   // CALL
      {CORE_ZARN, 0x0A00, {0x01FF}},                   // GOTO
      {CORE_ZARN, 0x0001, {0x0007}},                   // TRIS
      {CORE_OSTRA, 0x1000, {0x00FF, 0x0200, 0x0100}},  // IORWF f,d,a
      {CORE_OSTRA, 0x7000, {0x00FF, 0x0E00, 0x0100}},  // BTG f,b,a
      {CORE_OSTRA, 0x6A00, {0x00FF, 0x0100}},          // CLRF f,a
      {CORE_OSTRA, 0x0100, {0x00FF}},                  // MOVLB
      {CORE_OSTRA, 0xE000, {0x00FF}},                  // BZ
      {CORE_OSTRA, 0xD800, {0x07FF}},                  // RCALL
      {CORE_OSTRA, 0xEC00, {0x00FF, 0x0100}},          // CALL k,s
      {CORE_OSTRA, 0xEF00, {0x00FF}},                  // GOTO
      {CORE_OSTRA, 0xEE00, {0x0030, 0x000F}},          // LFSR
      {CORE_OSTRA, 0xC000, {0x0FFF, 0x0000}},          // MOVFF: operand 2 is empty
      {CORE_OSTRA, 0x0010, {0x0001}},                  // RETFIE s
      {CORE_OSTRA, 0xF000, {0x0FFF}},                  // WORD2
      {CORE_OSTRA, 0x00E0, {}},                        // TRAP
  };
  for (const FieldCase& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "family " << int(c.family) << " word 0x" << std::hex << c.word);
    const OpcodeId id = instDecode(c.word, c.family);
    for (int index = 0; index < 3; ++index) {
      const bool has = index < static_cast<int>(c.fields.size());
      ASSERT_EQ(instHasOperand(id, c.family, index), has ? 1 : 0) << "operand " << index;
      if (has) {
        EXPECT_EQ(fieldBits(c.word, index, c.family), c.fields[index]) << "operand " << index;
      }
    }
  }
}

TEST(Encoding, ValuesAreCutToTheField) {
  uint16_t word = 0x3E00;  // Vesk ADDLW
  instSetOperand1(&word, 0xFFFF, CORE_VESK);
  EXPECT_EQ(word, 0x3EFF);
  word = 0x1000;  // Vesk BCF: only the low three bits of the bit number count
  instSetOperand2(&word, 0x5A, CORE_VESK);
  EXPECT_EQ(word, 0x1100);
  word = 0xBAF0;  // Mirel MOVLR
  EXPECT_EQ(instOperand1(word, CORE_MIREL), 0xF);
  instSetOperand1(&word, 0x5A, CORE_MIREL);
  EXPECT_EQ(word, 0xBAA0);
}

TEST(Encoding, SetOpcodeKeepsOperandAndHighBits) {
  uint16_t word = 0xC0FF;
  instSetOpcode(&word, RETLW, CORE_VESK);
  EXPECT_EQ(word, 0xF4FF);
  // Whole-word opcodes overwrite the operand bits but not the bits above
  // the width.
  word = 0xFFFF;
  instSetOpcode(&word, OPTION, CORE_VESK);
  EXPECT_EQ(word, 0xC062);
  word = 0xFFFF;
  instSetOpcode(&word, SLEEP, CORE_ZARN);
  EXPECT_EQ(word, 0xF003);
  word = 0xFFFF;
  instSetOpcode(&word, NOP, CORE_ZARN);
  EXPECT_EQ(word, 0xF000);
  word = 0x0000;
  instSetOpcode(&word, CALL, CORE_OSTRA);
  EXPECT_EQ(word, 0xEC00);
}

TEST(Encoding, BuildingWordsTheWayTheLinkerDoes) {
  uint16_t word = 0;
  instSetOpcode(&word, RETLW, CORE_ZARN);
  instSetOperand1(&word, 0x1A5, CORE_ZARN);
  EXPECT_EQ(word, 0x08A5);
  word = 0;
  instSetOpcode(&word, BSF, CORE_VESK);
  instSetOperand1(&word, 0x83, CORE_VESK);
  instSetOperand2(&word, 5, CORE_VESK);
  EXPECT_EQ(word, 0x1683);
  word = 0;
  instSetOpcode(&word, MOVLB, CORE_MIREL);
  instSetOperand1(&word, 0x3, CORE_MIREL);
  EXPECT_EQ(word, 0xB803);
}

TEST(Operands, EdgeValues) {
  EXPECT_EQ(instOperand1(0x0005, CORE_ZARN), 5);      // TRIS
  EXPECT_EQ(instOperand1(0x1234, CORE_OSTRA), 0x34);  // IORWF
  EXPECT_EQ(instOperand2(0x1234, CORE_OSTRA), 1);
  EXPECT_EQ(instOperand3(0x1234, CORE_OSTRA), 0);
  EXPECT_EQ(instOperand(0x1234, CORE_OSTRA, 0), 0x34);
  EXPECT_EQ(instOperand(0x1234, CORE_OSTRA, 1), 1);
  EXPECT_EQ(instOperand(0x1234, CORE_OSTRA, 2), 0);
  EXPECT_EQ(instOperand1(0xEE12, CORE_OSTRA), 1);  // LFSR
  EXPECT_EQ(instOperand2(0xEE12, CORE_OSTRA), 2);
  for (uint32_t w = 0xC000; w <= 0xCFFF; ++w) {
    const uint16_t word = static_cast<uint16_t>(w);
    ASSERT_EQ(instOperand2(word, CORE_OSTRA), 0) << std::hex << w;
    uint16_t copy = word;
    instSetOperand2(&copy, 0xFFFF, CORE_OSTRA);
    ASSERT_EQ(copy, word) << std::hex << w;
  }
}

}  // namespace
