// Vesk instruction set: 14-bit words.
#include "mginst_tables.h"

namespace mginst {
namespace {

constexpr InstForm kFileDest{.operand = {field(0, 0x7F), field(7, 0x1)}};
constexpr InstForm kFileBit{.operand = {field(0, 0x7F), field(7, 0x7)}};
constexpr InstForm kFile{.operand = {field(0, 0x7F)}};
constexpr InstForm kLiteral{.operand = {field(0, 0xFF)}};
constexpr InstForm kAddress{.operand = {field(0, 0x7FF)}};
constexpr InstForm kTris{.operand = {field(0, 0x7)}};

// The whole-word opcodes come before TRIS (whose pattern also covers 0x0062
// to 0x0064), and TRIS before NOP (whose pattern also covers 0x0060).
// clang-format off
constexpr InstPattern kPatterns[] = {
    {0x3FFF, 0x0008, RETURN, &kNoOperands},
    {0x3FFF, 0x0009, RETFIE, &kNoOperands},
    {0x3FFF, 0x0062, OPTION, &kNoOperands},
    {0x3FFF, 0x0063, SLEEP, &kNoOperands},
    {0x3FFF, 0x0064, CLRWDT, &kNoOperands},
    {0x3FF8, 0x0060, TRIS, &kTris},
    {0x3F9F, 0x0000, NOP, &kNoOperands},
    {0x3800, 0x2000, CALL, &kAddress},
    {0x3800, 0x2800, GOTO, &kAddress},
    {0x3C00, 0x1000, BCF, &kFileBit},
    {0x3C00, 0x1400, BSF, &kFileBit},
    {0x3C00, 0x1800, BTFSC, &kFileBit},
    {0x3C00, 0x1C00, BTFSS, &kFileBit},
    {0x3C00, 0x3000, MOVLW, &kLiteral},
    {0x3C00, 0x3400, RETLW, &kLiteral},
    {0x3E00, 0x3C00, SUBLW, &kLiteral},
    {0x3E00, 0x3E00, ADDLW, &kLiteral},
    {0x3F00, 0x0200, SUBWF, &kFileDest},
    {0x3F00, 0x0300, DECF, &kFileDest},
    {0x3F00, 0x0400, IORWF, &kFileDest},
    {0x3F00, 0x0500, ANDWF, &kFileDest},
    {0x3F00, 0x0600, XORWF, &kFileDest},
    {0x3F00, 0x0700, ADDWF, &kFileDest},
    {0x3F00, 0x0800, MOVF, &kFileDest},
    {0x3F00, 0x0900, COMF, &kFileDest},
    {0x3F00, 0x0A00, INCF, &kFileDest},
    {0x3F00, 0x0B00, DECFSZ, &kFileDest},
    {0x3F00, 0x0C00, RRF, &kFileDest},
    {0x3F00, 0x0D00, RLF, &kFileDest},
    {0x3F00, 0x0E00, SWAPF, &kFileDest},
    {0x3F00, 0x0F00, INCFSZ, &kFileDest},
    {0x3F00, 0x3800, IORLW, &kLiteral},
    {0x3F00, 0x3900, ANDLW, &kLiteral},
    {0x3F00, 0x3A00, XORLW, &kLiteral},
    {0x3F80, 0x0080, MOVWF, &kFile},
    {0x3F80, 0x0100, CLRW, &kNoOperands},
    {0x3F80, 0x0180, CLRF, &kFile},
};
// clang-format on

}  // namespace

PatternTable veskPatterns() { return kPatterns; }

}  // namespace mginst
