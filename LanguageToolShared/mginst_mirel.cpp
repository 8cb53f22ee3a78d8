// Mirel instruction set: 16-bit words.
#include "mginst_tables.h"

#include "reloctypes.h"

namespace mginst {
namespace {

constexpr InstForm kFileDest{.operand = {field(0, 0xFF), field(8, 0x1)}};
constexpr InstForm kFileBit{.operand = {field(0, 0xFF), field(8, 0x7)}};
constexpr InstForm kFile{.operand = {field(0, 0xFF)}};
constexpr InstForm kLiteral{.operand = {field(0, 0xFF)}};
constexpr InstForm kAddlw{.operand = {field(0, 0xFF)}, .operandReloc = {RELOCT_F, -1, -1}};
constexpr InstForm kMovlb{.operand = {field(0, 0xF)}};
constexpr InstForm kMovlr{.operand = {field(4, 0xF)}};
constexpr InstForm kAddress{.operand = {field(0, 0x1FFF)}};
constexpr InstForm kMovfp{.operand = {field(0, 0xFF), field(8, 0x1F)}};
constexpr InstForm kMovpf{.operand = {field(8, 0x1F), field(0, 0xFF)}};
constexpr InstForm kTable{.operand = {field(9, 0x1), field(8, 0x1), field(0, 0xFF)}};
constexpr InstForm kTableLatch{.operand = {field(9, 0x1), field(0, 0xFF)}};

// No two patterns overlap.
// clang-format off
constexpr InstPattern kPatterns[] = {
    {0xE000, 0x4000, MOVPF, &kMovpf},
    {0xE000, 0x6000, MOVFP, &kMovfp},
    {0xE000, 0xC000, GOTO, &kAddress},
    {0xE000, 0xE000, CALL, &kAddress},
    {0xF800, 0x3800, BTG, &kFileBit},
    {0xF800, 0x8000, BSF, &kFileBit},
    {0xF800, 0x8800, BCF, &kFileBit},
    {0xF800, 0x9000, BTFSS, &kFileBit},
    {0xF800, 0x9800, BTFSC, &kFileBit},
    {0xFC00, 0xA000, TLRD, &kTableLatch},
    {0xFC00, 0xA400, TLWT, &kTableLatch},
    {0xFC00, 0xA800, TABLRD, &kTable},
    {0xFC00, 0xAC00, TABLWT, &kTable},
    {0xFE00, 0x0200, SUBWFB, &kFileDest},
    {0xFE00, 0x0400, SUBWF, &kFileDest},
    {0xFE00, 0x0600, DECF, &kFileDest},
    {0xFE00, 0x0800, IORWF, &kFileDest},
    {0xFE00, 0x0A00, ANDWF, &kFileDest},
    {0xFE00, 0x0C00, XORWF, &kFileDest},
    {0xFE00, 0x0E00, ADDWF, &kFileDest},
    {0xFE00, 0x1000, ADDWFC, &kFileDest},
    {0xFE00, 0x1200, COMF, &kFileDest},
    {0xFE00, 0x1400, INCF, &kFileDest},
    {0xFE00, 0x1600, DECFSZ, &kFileDest},
    {0xFE00, 0x1800, RRCF, &kFileDest},
    {0xFE00, 0x1A00, RLCF, &kFileDest},
    {0xFE00, 0x1C00, SWAPF, &kFileDest},
    {0xFE00, 0x1E00, INCFSZ, &kFileDest},
    {0xFE00, 0x2000, RRNCF, &kFileDest},
    {0xFE00, 0x2200, RLNCF, &kFileDest},
    {0xFE00, 0x2400, INFSNZ, &kFileDest},
    {0xFE00, 0x2600, DCFSNZ, &kFileDest},
    {0xFE00, 0x2800, CLRF, &kFileDest},
    {0xFE00, 0x2A00, SETF, &kFileDest},
    {0xFE00, 0x2C00, NEGW, &kFileDest},
    {0xFE00, 0x2E00, DAW, &kFileDest},
    {0xFE00, 0xBA00, MOVLR, &kMovlr},
    {0xFF00, 0x0100, MOVWF, &kFile},
    {0xFF00, 0x3000, CPFSLT, &kFile},
    {0xFF00, 0x3100, CPFSEQ, &kFile},
    {0xFF00, 0x3200, CPFSGT, &kFile},
    {0xFF00, 0x3300, TSTFSZ, &kFile},
    {0xFF00, 0x3400, MULWF, &kFile},
    {0xFF00, 0xB000, MOVLW, &kLiteral},
    {0xFF00, 0xB100, ADDLW, &kAddlw},
    {0xFF00, 0xB200, SUBLW, &kLiteral},
    {0xFF00, 0xB300, IORLW, &kLiteral},
    {0xFF00, 0xB400, XORLW, &kLiteral},
    {0xFF00, 0xB500, ANDLW, &kLiteral},
    {0xFF00, 0xB600, RETLW, &kLiteral},
    {0xFF00, 0xB700, LCALL, &kLiteral},
    {0xFF00, 0xB800, MOVLB, &kMovlb},
    {0xFF00, 0xBC00, MULLW, &kLiteral},
    {0xFFFF, 0x0000, NOP, &kNoOperands},
    {0xFFFF, 0x0001, STOP, &kNoOperands},
    {0xFFFF, 0x0002, RETURN, &kNoOperands},
    {0xFFFF, 0x0003, SLEEP, &kNoOperands},
    {0xFFFF, 0x0004, CLRWDT, &kNoOperands},
    {0xFFFF, 0x0005, RETFIE, &kNoOperands},
    {0xFFFF, 0x0008, LOG, &kNoOperands},
    {0xFFFF, 0x000E, PAUSE, &kNoOperands},
};
// clang-format on

}  // namespace

PatternTable mirelPatterns() { return kPatterns; }

}  // namespace mginst
