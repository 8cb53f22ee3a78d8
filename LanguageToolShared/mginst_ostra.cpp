// Ostra instruction set: 16-bit words in byte-addressed program memory.
// CALL, GOTO, LFSR and MOVFF continue in a second word that decodes as
// WORD2 and holds the rest of their operand in its low 12 bits.
#include "mginst_tables.h"

#include "reloctypes.h"

namespace mginst {
namespace {

constexpr int8_t kF = RELOCT_F;

constexpr InstForm kFileDestAccess{.operand = {field(0, 0xFF), field(9, 0x1), field(8, 0x1)},
                                   .operandReloc = {kF, -1, -1}};
constexpr InstForm kBitAccess{.operand = {field(0, 0xFF), field(9, 0x7), field(8, 0x1)},
                              .operandReloc = {kF, -1, -1}};
constexpr InstForm kFileAccess{.operand = {field(0, 0xFF), field(8, 0x1)},
                               .operandReloc = {kF, -1, -1}};
constexpr InstForm kLiteral{.operand = {field(0, 0xFF)}, .operandReloc = {kF, -1, -1}};
constexpr InstForm kMovlb{.operand = {field(0, 0xFF)}, .operandReloc = {RELOCT_MOVLB, -1, -1}};
constexpr InstForm kCondBranch{.operand = {field(0, 0xFF)},
                               .operandReloc = {RELOCT_CONDBRA, -1, -1}};
constexpr InstForm kBra{.operand = {field(0, 0x7FF)}, .operandReloc = {RELOCT_BRA, -1, -1}};
constexpr InstForm kRcall{
    .operand = {field(0, 0x7FF)}, .operandReloc = {RELOCT_BRA, -1, -1}, .wordClass = 0};
// Operand 1 is the low byte of the target's word address; the second word
// holds its bits 8 to 19.
constexpr InstForm kCall{.operand = {field(0, 0xFF), field(8, 0x1)},
                         .operandReloc = {RELOCT_CALL, -1, -1},
                         .secondWordReloc = RELOCT_CALL2,
                         .wordClass = 1,
                         .twoWord = true};
constexpr InstForm kGoto{.operand = {field(0, 0xFF)},
                         .operandReloc = {RELOCT_GOTO, -1, -1},
                         .secondWordReloc = RELOCT_CALL2,
                         .wordClass = 1,
                         .twoWord = true};
// Register number, then the literal's bits 8 to 11; the second word holds
// the literal's low byte.
constexpr InstForm kLfsr{.operand = {field(4, 0x3), field(0, 0xF)},
                         .operandReloc = {-1, RELOCT_LFSR1, -1},
                         .secondWordReloc = RELOCT_LFSR2,
                         .wordClass = 2,
                         .twoWord = true};
// The destination lies in the second word: operand 2 of the first word is
// an empty field, always read as 0.
constexpr InstForm kMovff{.operand = {field(0, 0xFFF), field(0, 0x0)},
                          .operandReloc = {kF, -1, -1},
                          .wordClass = 2,
                          .twoWord = true};
constexpr InstForm kFastReturn{.operand = {field(0, 0x1)}};
constexpr InstForm kWord2{.operand = {field(0, 0xFFF)}};
constexpr InstForm kTrap{.wordClass = 0};

// No two patterns overlap.
// clang-format off
constexpr InstPattern kPatterns[] = {
    {0xF000, 0x7000, BTG, &kBitAccess},
    {0xF000, 0x8000, BSF, &kBitAccess},
    {0xF000, 0x9000, BCF, &kBitAccess},
    {0xF000, 0xA000, BTFSS, &kBitAccess},
    {0xF000, 0xB000, BTFSC, &kBitAccess},
    {0xF000, 0xC000, MOVFF, &kMovff},
    {0xF000, 0xF000, WORD2, &kWord2},
    {0xF800, 0xD000, BRA, &kBra},
    {0xF800, 0xD800, RCALL, &kRcall},
    {0xFC00, 0x0400, DECF, &kFileDestAccess},
    {0xFC00, 0x1000, IORWF, &kFileDestAccess},
    {0xFC00, 0x1400, ANDWF, &kFileDestAccess},
    {0xFC00, 0x1800, XORWF, &kFileDestAccess},
    {0xFC00, 0x1C00, COMF, &kFileDestAccess},
    {0xFC00, 0x2000, ADDWFC, &kFileDestAccess},
    {0xFC00, 0x2400, ADDWF, &kFileDestAccess},
    {0xFC00, 0x2800, INCF, &kFileDestAccess},
    {0xFC00, 0x2C00, DECFSZ, &kFileDestAccess},
    {0xFC00, 0x3000, RRCF, &kFileDestAccess},
    {0xFC00, 0x3400, RLCF, &kFileDestAccess},
    {0xFC00, 0x3800, SWAPF, &kFileDestAccess},
    {0xFC00, 0x3C00, INCFSZ, &kFileDestAccess},
    {0xFC00, 0x4000, RRNCF, &kFileDestAccess},
    {0xFC00, 0x4400, RLNCF, &kFileDestAccess},
    {0xFC00, 0x4800, INFSNZ, &kFileDestAccess},
    {0xFC00, 0x4C00, DCFSNZ, &kFileDestAccess},
    {0xFC00, 0x5000, MOVF, &kFileDestAccess},
    {0xFC00, 0x5400, SUBFWB, &kFileDestAccess},
    {0xFC00, 0x5800, SUBWFB, &kFileDestAccess},
    {0xFC00, 0x5C00, SUBWF, &kFileDestAccess},
    {0xFE00, 0x0200, MULWF, &kFileAccess},
    {0xFE00, 0x6000, CPFSLT, &kFileAccess},
    {0xFE00, 0x6200, CPFSEQ, &kFileAccess},
    {0xFE00, 0x6400, CPFSGT, &kFileAccess},
    {0xFE00, 0x6600, TSTFSZ, &kFileAccess},
    {0xFE00, 0x6800, SETF, &kFileAccess},
    {0xFE00, 0x6A00, CLRF, &kFileAccess},
    {0xFE00, 0x6C00, NEGF, &kFileAccess},
    {0xFE00, 0x6E00, MOVWF, &kFileAccess},
    {0xFE00, 0xEC00, CALL, &kCall},
    {0xFF00, 0x0100, MOVLB, &kMovlb},
    {0xFF00, 0x0800, SUBLW, &kLiteral},
    {0xFF00, 0x0900, IORLW, &kLiteral},
    {0xFF00, 0x0A00, XORLW, &kLiteral},
    {0xFF00, 0x0B00, ANDLW, &kLiteral},
    {0xFF00, 0x0C00, RETLW, &kLiteral},
    {0xFF00, 0x0D00, MULLW, &kLiteral},
    {0xFF00, 0x0E00, MOVLW, &kLiteral},
    {0xFF00, 0x0F00, ADDLW, &kLiteral},
    {0xFF00, 0xE000, BZ, &kCondBranch},
    {0xFF00, 0xE100, BNZ, &kCondBranch},
    {0xFF00, 0xE200, BC, &kCondBranch},
    {0xFF00, 0xE300, BNC, &kCondBranch},
    {0xFF00, 0xE400, BOV, &kCondBranch},
    {0xFF00, 0xE500, BNOV, &kCondBranch},
    {0xFF00, 0xE600, BN, &kCondBranch},
    {0xFF00, 0xE700, BNN, &kCondBranch},
    {0xFF00, 0xEF00, GOTO, &kGoto},
    {0xFFC0, 0xEE00, LFSR, &kLfsr},
    {0xFFFE, 0x0010, RETFIE, &kFastReturn},
    {0xFFFE, 0x0012, RETURN, &kFastReturn},
    {0xFFFF, 0x0000, NOP, &kNoOperands},
    {0xFFFF, 0x0001, HALT, &kNoOperands},
    {0xFFFF, 0x0003, SLEEP, &kNoOperands},
    {0xFFFF, 0x0004, CLRWDT, &kNoOperands},
    {0xFFFF, 0x0005, PUSH, &kNoOperands},
    {0xFFFF, 0x0006, POP, &kNoOperands},
    {0xFFFF, 0x0007, DAW, &kNoOperands},
    {0xFFFF, 0x0008, TBLRD, &kNoOperands},
    {0xFFFF, 0x0009, TBLRDPOSTINC, &kNoOperands},
    {0xFFFF, 0x000A, TBLRDPOSTDEC, &kNoOperands},
    {0xFFFF, 0x000B, TBLRDPREINC, &kNoOperands},
    {0xFFFF, 0x000C, TBLWT, &kNoOperands},
    {0xFFFF, 0x000D, TBLWTPOSTINC, &kNoOperands},
    {0xFFFF, 0x000E, TBLWTPOSTDEC, &kNoOperands},
    {0xFFFF, 0x000F, TBLWTPREINC, &kNoOperands},
    {0xFFFF, 0x0020, STOP, &kNoOperands},
    {0xFFFF, 0x0021, LOG, &kNoOperands},
    {0xFFFF, 0x0022, PAUSE, &kNoOperands},
    {0xFFFF, 0x00E0, TRAP, &kTrap},
    {0xFFFF, 0x00E1, TRET, &kTrap},
    {0xFFFF, 0x00FF, RESET, &kNoOperands},
};
// clang-format on

}  // namespace

PatternTable ostraPatterns() { return kPatterns; }

}  // namespace mginst
