// Per-opcode properties: operands, two-word form, relocation types, class.
#include <gtest/gtest.h>

#include <set>

#include "family_cases.h"
#include "mginst.h"
#include "reloctypes.h"

namespace {

// The ids of a family's set, found by looking up every mnemonic.
std::set<OpcodeId> familyIds(CoreFamily family) {
  std::set<OpcodeId> ids;
  for (int id = OPCODE_FIRST; id <= OPCODE_LAST; ++id) {
    OpcodeId found = 0;
    if (instLookupMnemonic(instMnemonic(static_cast<OpcodeId>(id)), &found, family)) {
      ids.insert(found);
    }
  }
  return ids;
}

TEST(RelocTypes, SharedCodes) {
  EXPECT_EQ(RELOCT_CALL, 1);
  EXPECT_EQ(RELOCT_GOTO, 2);
  EXPECT_EQ(RELOCT_F, 10);
  EXPECT_EQ(RELOCT_MOVLB, 13);
  EXPECT_EQ(RELOCT_CALL2, 14);
  EXPECT_EQ(RELOCT_LFSR1, 17);
  EXPECT_EQ(RELOCT_LFSR2, 18);
  EXPECT_EQ(RELOCT_BRA, 19);
  EXPECT_EQ(RELOCT_CONDBRA, 20);
  EXPECT_EQ(RELOCT_PAGESEL_BITS, 24);
}

TEST(Properties, OpcodeWithoutOperands) {
  for (int index = 0; index < 3; ++index) {
    EXPECT_EQ(instHasOperand(NOP, CORE_VESK, index), 0);
    EXPECT_EQ(instOperandRelocType(NOP, CORE_VESK, index), -1);
  }
  EXPECT_EQ(instHasOperand1(NOP, CORE_VESK), 0);
  EXPECT_EQ(instHasOperand2(NOP, CORE_VESK), 0);
  EXPECT_EQ(instHasOperand3(NOP, CORE_VESK), 0);
  EXPECT_EQ(instOperand1RelocType(NOP, CORE_VESK), -1);
  EXPECT_EQ(instOperand2RelocType(NOP, CORE_VESK), -1);
  EXPECT_EQ(instOperand3RelocType(NOP, CORE_VESK), -1);
  EXPECT_EQ(instSecondWordRelocType(NOP, CORE_VESK), -1);
  EXPECT_EQ(instWordClass(NOP, CORE_VESK), -1);
}

TEST(Properties, HasOperandFollowsTheFields) {
  EXPECT_EQ(instHasOperand2(MOVFF, CORE_OSTRA), 1);
  EXPECT_EQ(instHasOperand3(MOVFF, CORE_OSTRA), 0);
  EXPECT_EQ(instHasOperand3(TABLRD, CORE_MIREL), 1);
  EXPECT_EQ(instHasOperand3(TLRD, CORE_MIREL), 0);
  EXPECT_EQ(instHasOperand2(CALL, CORE_OSTRA), 1);
  EXPECT_EQ(instHasOperand2(GOTO, CORE_OSTRA), 0);
  EXPECT_EQ(instHasOperand1(TRIS, CORE_ZARN), 1);
  EXPECT_EQ(instHasOperand1(RETURN, CORE_OSTRA), 1);
  EXPECT_EQ(instHasOperand1(RETURN, CORE_MIREL), 0);
}

TEST(Properties, TwoWordInstructionsAndWordClasses) {
  const std::set<OpcodeId> twoWord = {CALL, GOTO, LFSR, MOVFF};
  for (const FamilyCase& fc : kFamilies) {
    for (OpcodeId id : familyIds(fc.family)) {
      const bool expected = fc.family == CORE_OSTRA && twoWord.count(id);
      EXPECT_EQ(instIsTwoWord(id, fc.family), expected ? 1 : 0)
          << fc.name << " " << instMnemonic(id);
      int8_t expectedClass = -1;
      if (fc.family == CORE_OSTRA) {
        if (id == RCALL || id == TRAP || id == TRET) expectedClass = 0;
        if (id == CALL || id == GOTO) expectedClass = 1;
        if (id == LFSR || id == MOVFF) expectedClass = 2;
      }
      EXPECT_EQ(instWordClass(id, fc.family), expectedClass) << fc.name << " " << instMnemonic(id);
    }
  }
  EXPECT_EQ(instIsTwoWord(CALL, CORE_MIREL), 0);
  EXPECT_EQ(instIsTwoWord(MOVFF, CORE_OSTRA), 1);
}

int8_t expectedOperand1Reloc(OpcodeId id, CoreFamily family) {
  if (family == CORE_MIREL) return id == ADDLW ? RELOCT_F : -1;
  if (family != CORE_OSTRA) return -1;
  const std::set<OpcodeId> fileOrLiteral = {
      ADDLW, ADDWF,  ADDWFC, ANDLW,  ANDWF,  BCF,   BSF,    BTFSC, BTFSS,  BTG,    CLRF,
      COMF,  CPFSEQ, CPFSGT, CPFSLT, DCFSNZ, DECF,  DECFSZ, INCF,  INCFSZ, INFSNZ, IORLW,
      IORWF, MOVF,   MOVFF,  MOVLW,  MOVWF,  MULLW, MULWF,  NEGF,  RETLW,  RLCF,   RLNCF,
      RRCF,  RRNCF,  SETF,   SUBFWB, SUBLW,  SUBWF, SUBWFB, SWAPF, TSTFSZ, XORLW,  XORWF};
  const std::set<OpcodeId> conditional = {BC, BN, BNC, BNN, BNOV, BNZ, BOV, BZ};
  if (fileOrLiteral.count(id)) return RELOCT_F;
  if (conditional.count(id)) return RELOCT_CONDBRA;
  if (id == BRA || id == RCALL) return RELOCT_BRA;
  if (id == CALL) return RELOCT_CALL;
  if (id == GOTO) return RELOCT_GOTO;
  if (id == MOVLB) return RELOCT_MOVLB;
  return -1;
}

TEST(Properties, RelocationTypesOfEveryOpcode) {
  for (const FamilyCase& fc : kFamilies) {
    for (OpcodeId id : familyIds(fc.family)) {
      SCOPED_TRACE(testing::Message() << fc.name << " " << instMnemonic(id));
      const bool ostra = fc.family == CORE_OSTRA;
      EXPECT_EQ(instOperand1RelocType(id, fc.family), expectedOperand1Reloc(id, fc.family));
      EXPECT_EQ(instOperand2RelocType(id, fc.family), ostra && id == LFSR ? RELOCT_LFSR1 : -1);
      EXPECT_EQ(instOperand3RelocType(id, fc.family), -1);
      int8_t second = -1;
      if (ostra && (id == CALL || id == GOTO)) second = RELOCT_CALL2;
      if (ostra && id == LFSR) second = RELOCT_LFSR2;
      EXPECT_EQ(instSecondWordRelocType(id, fc.family), second);
      for (int index = 0; index < 3; ++index) {
        EXPECT_EQ(instOperandRelocType(id, fc.family, index),
                  index == 0   ? instOperand1RelocType(id, fc.family)
                  : index == 1 ? instOperand2RelocType(id, fc.family)
                               : instOperand3RelocType(id, fc.family));
      }
    }
  }
}

}  // namespace
