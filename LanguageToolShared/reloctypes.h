// Relocation types: the r_type codes of COFF relocation entries. The
// assembler writes them, the linker applies them, and the instruction
// tables name the one that fits each operand.
#pragma once

#include <cstdint>

enum : uint16_t {
  RELOCT_CALL = 1,
  RELOCT_GOTO = 2,
  RELOCT_HIGH = 3,
  RELOCT_LOW = 4,
  RELOCT_P = 5,
  RELOCT_BANKSEL = 6,
  RELOCT_PAGESEL = 7,
  RELOCT_ALL = 8,
  RELOCT_IBANKSEL = 9,
  RELOCT_F = 10,
  RELOCT_TRIS = 11,
  RELOCT_MOVLR = 12,
  RELOCT_MOVLB = 13,
  RELOCT_CALL2 = 14,
  RELOCT_FF1 = 15,
  RELOCT_FF2 = 16,
  RELOCT_LFSR1 = 17,
  RELOCT_LFSR2 = 18,
  RELOCT_BRA = 19,
  RELOCT_CONDBRA = 20,
  RELOCT_UPPER = 21,
  RELOCT_ACCESS = 22,
  RELOCT_PAGESEL_WREG = 23,
  RELOCT_PAGESEL_BITS = 24
};
