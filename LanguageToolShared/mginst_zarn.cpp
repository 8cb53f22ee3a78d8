// Zarn instruction set: 12-bit words.
#include "mginst_tables.h"

namespace mginst {
namespace {

constexpr InstForm kFileDest{.operand = {field(0, 0x1F), field(5, 0x1)}};
constexpr InstForm kFileBit{.operand = {field(0, 0x1F), field(5, 0x7)}};
constexpr InstForm kFile{.operand = {field(0, 0x1F)}};
// A literal, or the 8-bit call target.
constexpr InstForm kLiteral{.operand = {field(0, 0xFF)}};
constexpr InstForm kGoto{.operand = {field(0, 0x1FF)}};
constexpr InstForm kTris{.operand = {field(0, 0x7)}};

// The whole-word opcodes come before TRIS, whose pattern also covers
// 0x0000 and 0x0002 to 0x0004.
// clang-format off
constexpr InstPattern kPatterns[] = {
    {0x0FFF, 0x0000, NOP, &kNoOperands},
    {0x0FFF, 0x0002, OPTION, &kNoOperands},
    {0x0FFF, 0x0003, SLEEP, &kNoOperands},
    {0x0FFF, 0x0004, CLRWDT, &kNoOperands},
    {0x0FFF, 0x0040, CLRW, &kNoOperands},
    {0x0FF8, 0x0000, TRIS, &kTris},
    {0x0E00, 0x0A00, GOTO, &kGoto},
    {0x0F00, 0x0400, BCF, &kFileBit},
    {0x0F00, 0x0500, BSF, &kFileBit},
    {0x0F00, 0x0600, BTFSC, &kFileBit},
    {0x0F00, 0x0700, BTFSS, &kFileBit},
    {0x0F00, 0x0800, RETLW, &kLiteral},
    {0x0F00, 0x0900, CALL, &kLiteral},
    {0x0F00, 0x0C00, MOVLW, &kLiteral},
    {0x0F00, 0x0D00, IORLW, &kLiteral},
    {0x0F00, 0x0E00, ANDLW, &kLiteral},
    {0x0F00, 0x0F00, XORLW, &kLiteral},
    {0x0FC0, 0x0080, SUBWF, &kFileDest},
    {0x0FC0, 0x00C0, DECF, &kFileDest},
    {0x0FC0, 0x0100, IORWF, &kFileDest},
    {0x0FC0, 0x0140, ANDWF, &kFileDest},
    {0x0FC0, 0x0180, XORWF, &kFileDest},
    {0x0FC0, 0x01C0, ADDWF, &kFileDest},
    {0x0FC0, 0x0200, MOVF, &kFileDest},
    {0x0FC0, 0x0240, COMF, &kFileDest},
    {0x0FC0, 0x0280, INCF, &kFileDest},
    {0x0FC0, 0x02C0, DECFSZ, &kFileDest},
    {0x0FC0, 0x0300, RRF, &kFileDest},
    {0x0FC0, 0x0340, RLF, &kFileDest},
    {0x0FC0, 0x0380, SWAPF, &kFileDest},
    {0x0FC0, 0x03C0, INCFSZ, &kFileDest},
    {0x0FE0, 0x0020, MOVWF, &kFile},
    {0x0FE0, 0x0060, CLRF, &kFile},
};
// clang-format on

}  // namespace

PatternTable zarnPatterns() { return kPatterns; }

}  // namespace mginst
