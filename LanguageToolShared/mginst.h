// Instruction sets of the four core families: opcode ids, decoding and
// validity, operand fields and in-place encoders, per-opcode properties,
// disassembly and mnemonic lookup.
//
// Instruction words travel as unsigned 16-bit values. Only the family's
// word width is looked at (Vesk 14 bits, Zarn 12, Mirel and Ostra 16); the
// encoders leave every bit outside the field they write unchanged. Every
// routine takes the core family and holds no state.
//
// Broken invariants (a family outside 1 to 4, an id outside the family's
// set, a word that does not decode, an operand the opcode lacks, an operand
// index outside 0 to 2) fail an assertion. Words read from files must pass
// instIsValid before they reach any other routine here.
#pragma once

#include <cstdint>
#include <string>

#include "mgproc.h"

typedef uint8_t OpcodeId;

// Ids 1 to 96 follow the mnemonics in alphabetical order. WORD2 is the
// second word of an Ostra two-word instruction. BANKSEL and PAGESEL have a
// text only: no family decodes, encodes, describes or looks them up.
// clang-format off
enum : OpcodeId {
  ADDLW = 1, ADDWF, ADDWFC, ANDLW, ANDWF, BC, BCF, BN, BNC, BNN,
  BNOV, BNZ, BOV, BRA, BSF, BTFSC, BTFSS, BTG, BZ, CALL,
  CLRF, CLRW, CLRWDT, COMF, CPFSEQ, CPFSGT, CPFSLT, DAW, DCFSNZ, DECF,
  DECFSZ, GOTO, HALT, INCF, INCFSZ, INFSNZ, IORLW, IORWF, LCALL, LFSR,
  LOG, MOVF, MOVFF, MOVFP, MOVLB, MOVLR, MOVLW, MOVPF, MOVWF, MULLW,
  MULWF, NEGF, NEGW, NOP, OPTION, PAUSE, POP, PUSH, RCALL, RESET,
  RETFIE, RETLW, RETURN, RLCF, RLF, RLNCF, RRCF, RRF, RRNCF, SETF,
  SLEEP, STOP, SUBFWB, SUBLW, SUBWF, SUBWFB, SWAPF, TABLRD, TABLWT, TBLRD,
  TBLRDPOSTDEC, TBLRDPOSTINC, TBLRDPREINC, TBLWT, TBLWTPOSTDEC, TBLWTPOSTINC, TBLWTPREINC, TLRD, TLWT, TRAP,
  TRET, TRIS, TSTFSZ, WORD2, XORLW, XORWF, BANKSEL, PAGESEL
};
// clang-format on

enum : OpcodeId { OPCODE_FIRST = ADDLW, OPCODE_LAST = PAGESEL };

// Static mnemonic text of an id 1 to 98.
const char* instMnemonic(OpcodeId id);

// Decoding. instDecode requires a word that is valid in the family.
OpcodeId instDecode(uint16_t word, CoreFamily family);
int instIsValid(uint16_t word, CoreFamily family);

// Operand getters: operands are numbered 1 to 3 in printing order; the
// index form takes 0 to 2.
uint16_t instOperand1(uint16_t word, CoreFamily family);
uint16_t instOperand2(uint16_t word, CoreFamily family);
uint16_t instOperand3(uint16_t word, CoreFamily family);
uint16_t instOperand(uint16_t word, CoreFamily family, int index);

// In-place encoders. instSetOpcode writes the opcode's pattern bits only;
// the operand setters work on the opcode the word already holds (so set
// the opcode first) and cut the value to the field.
void instSetOpcode(uint16_t* word, OpcodeId id, CoreFamily family);
void instSetOperand1(uint16_t* word, uint16_t value, CoreFamily family);
void instSetOperand2(uint16_t* word, uint16_t value, CoreFamily family);
void instSetOperand3(uint16_t* word, uint16_t value, CoreFamily family);

// Properties of an opcode of the family, without a word at hand.
// Relocation types are the RELOCT_ codes of reloctypes.h, or -1.
int instHasOperand1(OpcodeId id, CoreFamily family);
int instHasOperand2(OpcodeId id, CoreFamily family);
int instHasOperand3(OpcodeId id, CoreFamily family);
int instHasOperand(OpcodeId id, CoreFamily family, int index);
int instIsTwoWord(OpcodeId id, CoreFamily family);
int8_t instOperand1RelocType(OpcodeId id, CoreFamily family);
int8_t instOperand2RelocType(OpcodeId id, CoreFamily family);
int8_t instOperand3RelocType(OpcodeId id, CoreFamily family);
int8_t instOperandRelocType(OpcodeId id, CoreFamily family, int index);
int8_t instSecondWordRelocType(OpcodeId id, CoreFamily family);
// 0 for Ostra RCALL, TRAP, TRET; 1 for Ostra CALL, GOTO; 2 for Ostra LFSR,
// MOVFF; -1 for everything else.
int8_t instWordClass(OpcodeId id, CoreFamily family);

// One line of assembly text for the instruction at `address` (a byte
// address for Ostra; ignored by the other families). `first` must be valid
// in the family; `second` is the word that follows in program memory and
// is used only by the Ostra two-word instructions. *wordCount is set to 1,
// or 2 when the second word was used.
std::string instDisassemble(uint32_t address, uint16_t first, uint16_t second, uint8_t* wordCount,
                            CoreFamily family);

// 1 and *id when `text` equals a mnemonic of the family's set, compared
// without regard to case; else 0 with *id untouched.
int instLookupMnemonic(const char* text, OpcodeId* id, CoreFamily family);
