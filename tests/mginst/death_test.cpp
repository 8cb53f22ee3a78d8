// Broken invariants end the program through the assertion facility with the
// expression "0" and the instruction module's source file.
#include <gtest/gtest.h>

#include "mginst.h"

namespace {

constexpr const char* kAssertion = "Assertion failed: 0, file LanguageToolShared/mginst";

class MginstDeathTest : public testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(MginstDeathTest, FamilyOutsideOneToFour) {
  EXPECT_DEATH(instIsValid(0, 0), kAssertion);
  EXPECT_DEATH(instDecode(0, 5), kAssertion);
  OpcodeId id = 0;
  EXPECT_DEATH(instLookupMnemonic("NOP", &id, 0), kAssertion);
  uint16_t word = 0;
  EXPECT_DEATH(instSetOpcode(&word, NOP, 5), kAssertion);
  EXPECT_DEATH(instOperand1(0x1234, 0), kAssertion);
  EXPECT_DEATH(instSetOperand1(&word, 1, 5), kAssertion);
  EXPECT_DEATH(instHasOperand1(NOP, 0), kAssertion);
  EXPECT_DEATH(instWordClass(NOP, 5), kAssertion);
  uint8_t count = 0;
  EXPECT_DEATH(instDisassemble(0, 0, 0, &count, 5), kAssertion);
}

TEST_F(MginstDeathTest, WordThatDoesNotDecode) {
  EXPECT_DEATH(instDecode(0x0002, CORE_OSTRA), kAssertion);
  EXPECT_DEATH(instOperand1(0x0006, CORE_MIREL), kAssertion);
  uint8_t count = 0;
  EXPECT_DEATH(instDisassemble(0, 0x3B00, 0, &count, CORE_VESK), kAssertion);
}

TEST_F(MginstDeathTest, OperandTheOpcodeLacks) {
  EXPECT_DEATH(instOperand3(0x0785, CORE_VESK), kAssertion);
  uint16_t word = 0x0000;
  EXPECT_DEATH(instSetOperand1(&word, 1, CORE_VESK), kAssertion);
  word = 0x0100;  // Vesk CLRW: no operands either
  EXPECT_DEATH(instSetOperand2(&word, 1, CORE_VESK), kAssertion);
  word = 0xEF00;  // Ostra GOTO: the target only
  EXPECT_DEATH(instOperand2(word, CORE_OSTRA), kAssertion);
  EXPECT_DEATH(instSetOperand3(&word, 1, CORE_OSTRA), kAssertion);
}

TEST_F(MginstDeathTest, IdOutsideTheFamilySet) {
  uint16_t word = 0;
  EXPECT_DEATH(instSetOpcode(&word, BRA, CORE_VESK), kAssertion);
  EXPECT_DEATH(instSetOpcode(&word, BANKSEL, CORE_OSTRA), kAssertion);
  EXPECT_DEATH(instHasOperand1(BRA, CORE_VESK), kAssertion);
  EXPECT_DEATH(instHasOperand2(BRA, CORE_VESK), kAssertion);
  EXPECT_DEATH(instHasOperand3(BRA, CORE_VESK), kAssertion);
  EXPECT_DEATH(instHasOperand(BRA, CORE_VESK, 0), kAssertion);
  EXPECT_DEATH(instIsTwoWord(BRA, CORE_VESK), kAssertion);
  EXPECT_DEATH(instOperand1RelocType(BRA, CORE_VESK), kAssertion);
  EXPECT_DEATH(instOperand2RelocType(BRA, CORE_VESK), kAssertion);
  EXPECT_DEATH(instOperand3RelocType(BRA, CORE_VESK), kAssertion);
  EXPECT_DEATH(instOperandRelocType(BRA, CORE_VESK, 0), kAssertion);
  EXPECT_DEATH(instHasOperand1(PAGESEL, CORE_OSTRA), kAssertion);
  EXPECT_DEATH(instSecondWordRelocType(BRA, CORE_VESK), kAssertion);
  EXPECT_DEATH(instWordClass(BRA, CORE_VESK), kAssertion);
  EXPECT_DEATH(instMnemonic(0), kAssertion);
  EXPECT_DEATH(instMnemonic(99), kAssertion);
}

TEST_F(MginstDeathTest, OperandIndexOutsideZeroToTwo) {
  EXPECT_DEATH(instOperand(0x1234, CORE_OSTRA, 3), kAssertion);
  EXPECT_DEATH(instOperand(0x1234, CORE_OSTRA, -1), kAssertion);
  EXPECT_DEATH(instHasOperand(NOP, CORE_VESK, 3), kAssertion);
  EXPECT_DEATH(instOperandRelocType(NOP, CORE_VESK, 3), kAssertion);
}

}  // namespace
