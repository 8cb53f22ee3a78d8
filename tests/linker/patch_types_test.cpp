// Every relocation type of every core family through the whole patching
// phase: the bytes of the section afterwards, or the message of the link.
#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>

#include "patch_fixture.h"
#include "reloctypes.h"

namespace {

using patchtest::Bytes;
using patchtest::PatchLink;

// Devices by geometry.
constexpr ProcessorCode kOstra = 127;
constexpr ProcessorCode kMirel = 116;          // first general register 0x20 of each bank
constexpr ProcessorCode kZarnOnePage = 3;      // one bank
constexpr ProcessorCode kZarnTwoPages = 5;     // two banks
constexpr ProcessorCode kZarnFourPages = 29;   // four banks
constexpr ProcessorCode kVeskTwoBanks = 23;    // one page
constexpr ProcessorCode kVeskFourBanks = 103;  // one page
constexpr ProcessorCode kVeskTwoPages = 14;
constexpr ProcessorCode kVeskThreePages = 69;
constexpr ProcessorCode kVeskFourPages = 52;

const Bytes F4 = {0xFF, 0xFF, 0xFF, 0xFF};
const Bytes Z4 = {0x00, 0x00, 0x00, 0x00};
const Bytes kSame = {};  // nothing written

const std::string kUnsupported = "unsupported relocation type.";
const std::string kNotAligned =
    "Symbol 'target' is not word-aligned.\n"
    "It cannot be used as the target of a call or goto instruction.";
const std::string kOutOfRange = "Symbol 'target' out of range of relative branch instruction.";
const std::string kMovff = " cannot be used as the destination of a MOVFF instruction.";

struct PatchCase {
  const char* label;
  ProcessorCode processor;
  uint16_t type;
  uint32_t target;
  Bytes before;
  Bytes after;          // kSame: the section keeps its bytes
  std::string message;  // the patcher's message; empty when the link goes on
  uint32_t vaddr = 0;
  int16_t addend = 0;
  uint32_t symndx = 0;
  bool accessBanks = true;
};

void PrintTo(const PatchCase& c, std::ostream* out) { *out << c.label; }

// Ostra branches count from the instruction after the branch: at
// 0x1000 + r_vaddr + 2.
// clang-format off
const PatchCase kCases[] = {
    {"ostra CALL", kOstra, RELOCT_CALL, 0x1234, F4, {0x1A, 0xFF, 0xFF, 0xFF}, ""},
    {"ostra CALL odd", kOstra, RELOCT_CALL, 0x1235, F4, kSame, kNotAligned},
    {"ostra GOTO", kOstra, RELOCT_GOTO, 0x0ABC, Z4, {0x5E, 0, 0, 0}, ""},
    {"ostra GOTO odd", kOstra, RELOCT_GOTO, 0x0001, Z4, kSame, kNotAligned},
    {"ostra HIGH", kOstra, RELOCT_HIGH, 0x12345, F4, {0x23, 0xFF, 0xFF, 0xFF}, ""},
    {"ostra LOW", kOstra, RELOCT_LOW, 0x1234, Z4, {0x34, 0, 0, 0}, ""},
    {"ostra P", kOstra, RELOCT_P, 0x12, F4, kSame, kUnsupported},
    {"ostra BANKSEL", kOstra, RELOCT_BANKSEL, 0x0345, F4, {0x03, 0xFF, 0xFF, 0xFF}, ""},
    {"ostra PAGESEL", kOstra, RELOCT_PAGESEL, 0x12, F4, kSame, kUnsupported},
    {"ostra ALL", kOstra, RELOCT_ALL, 0x12345678, Z4, {0x78, 0x56, 0, 0}, ""},
    {"ostra IBANKSEL", kOstra, RELOCT_IBANKSEL, 0x0F80, Z4, {0x0F, 0, 0, 0}, ""},
    {"ostra F", kOstra, RELOCT_F, 0x0F80, F4, {0x80, 0xFF, 0xFF, 0xFF}, ""},
    {"ostra TRIS", kOstra, RELOCT_TRIS, 0x12, F4, kSame, kUnsupported},
    {"ostra MOVLR", kOstra, RELOCT_MOVLR, 0x12, F4, kSame, kUnsupported},
    {"ostra MOVLB", kOstra, RELOCT_MOVLB, 0x0580, {0x00, 0x01, 0, 0}, {0x05, 0x01, 0, 0}, ""},
    {"ostra CALL2 odd, second word", kOstra, RELOCT_CALL2, 0x1235, F4,
     {0xFF, 0xFF, 0x09, 0xF0}, "", 2},
    {"ostra FF1 TOSH", kOstra, RELOCT_FF1, 0xFFE, Z4, {0xFE, 0x0F, 0, 0}, ""},
    {"ostra FF2", kOstra, RELOCT_FF2, 0x123, F4, {0x23, 0xF1, 0xFF, 0xFF}, ""},
    {"ostra FF2 TOSU", kOstra, RELOCT_FF2, 0xFFF, F4, kSame, "TOSU" + kMovff},
    {"ostra FF2 TOSH", kOstra, RELOCT_FF2, 0xFFE, F4, kSame, "TOSH" + kMovff},
    {"ostra FF2 TOSL", kOstra, RELOCT_FF2, 0xFFD, F4, kSame, "TOSL" + kMovff},
    {"ostra FF2 PCL", kOstra, RELOCT_FF2, 0xFF9, F4, kSame, "PCL" + kMovff},
    {"ostra FF2 PCLATH", kOstra, RELOCT_FF2, 0xFFA, Z4, {0xFA, 0x0F, 0, 0}, ""},
    {"ostra LFSR1", kOstra, RELOCT_LFSR1, 0xABC, F4, {0xFA, 0xFF, 0xFF, 0xFF}, ""},
    // Over zero bytes every bit of the field shows: bit 11 of the target too.
    {"ostra LFSR1 over zeros", kOstra, RELOCT_LFSR1, 0xABC, Z4, {0x0A, 0, 0, 0}, ""},
    {"ostra LFSR2", kOstra, RELOCT_LFSR2, 0xABC, Z4, {0xBC, 0, 0, 0}, ""},
    {"ostra BRA 2046", kOstra, RELOCT_BRA, 0x1800, {0, 0xD0, 0, 0}, {0xFF, 0xD3, 0, 0}, ""},
    {"ostra BRA 2048", kOstra, RELOCT_BRA, 0x1802, {0, 0xD0, 0, 0}, kSame, kOutOfRange},
    {"ostra BRA -2048", kOstra, RELOCT_BRA, 0x0802, {0, 0xD0, 0, 0}, {0x00, 0xD4, 0, 0}, ""},
    {"ostra BRA -2050", kOstra, RELOCT_BRA, 0x0800, {0, 0xD0, 0, 0}, kSame, kOutOfRange},
    {"ostra BRA 0", kOstra, RELOCT_BRA, 0x1002, {0, 0xD0, 0, 0}, {0x00, 0xD0, 0, 0}, ""},
    {"ostra BRA -2", kOstra, RELOCT_BRA, 0x1000, {0, 0xD0, 0, 0}, {0xFF, 0xD7, 0, 0}, ""},
    {"ostra BRA odd", kOstra, RELOCT_BRA, 0x1003, {0, 0xD0, 0, 0}, kSame, kNotAligned},
    {"ostra BRA second word", kOstra, RELOCT_BRA, 0x100E, {0, 0xD0, 0, 0xD0},
     {0, 0xD0, 0x05, 0xD0}, "", 2},
    {"ostra CONDBRA 254", kOstra, RELOCT_CONDBRA, 0x1100, {0, 0xE0, 0, 0}, {0x7F, 0xE0, 0, 0},
     ""},
    {"ostra CONDBRA 256", kOstra, RELOCT_CONDBRA, 0x1102, {0, 0xE0, 0, 0}, kSame, kOutOfRange},
    {"ostra CONDBRA -256", kOstra, RELOCT_CONDBRA, 0x0F02, {0, 0xE0, 0, 0}, {0x80, 0xE0, 0, 0},
     ""},
    {"ostra CONDBRA -258", kOstra, RELOCT_CONDBRA, 0x0F00, {0, 0xE0, 0, 0}, kSame, kOutOfRange},
    {"ostra CONDBRA 0", kOstra, RELOCT_CONDBRA, 0x1002, {0, 0xE0, 0, 0}, {0, 0xE0, 0, 0}, ""},
    {"ostra CONDBRA odd", kOstra, RELOCT_CONDBRA, 0x1005, {0, 0xE0, 0, 0}, kSame, kNotAligned},
    {"ostra UPPER", kOstra, RELOCT_UPPER, 0x123456, F4, {0x12, 0xFF, 0xFF, 0xFF}, ""},
    {"ostra ACCESS inside", kOstra, RELOCT_ACCESS, 0x20, F4, {0xFF, 0xFE, 0xFF, 0xFF}, ""},
    {"ostra ACCESS second bank", kOstra, RELOCT_ACCESS, 0xF80, F4, {0xFF, 0xFE, 0xFF, 0xFF}, ""},
    {"ostra ACCESS outside", kOstra, RELOCT_ACCESS, 0x80, Z4, {0, 0x01, 0, 0}, ""},
    {"ostra ACCESS last of a bank", kOstra, RELOCT_ACCESS, 0x5F, F4, {0xFF, 0xFE, 0xFF, 0xFF}, ""},
    {"ostra ACCESS just past a bank", kOstra, RELOCT_ACCESS, 0x60, Z4, {0, 0x01, 0, 0}, ""},
    {"ostra ACCESS no bank", kOstra, RELOCT_ACCESS, 0x20, Z4, {0, 0x01, 0, 0}, "", 0, 0, 0,
     false},
    {"ostra PAGESEL_WREG", kOstra, RELOCT_PAGESEL_WREG, 0x12, F4, kSame, kUnsupported},
    {"ostra PAGESEL_BITS", kOstra, RELOCT_PAGESEL_BITS, 0x12, F4, kSame, kUnsupported},

    {"mirel CALL", kMirel, RELOCT_CALL, 0x1ABC, F4, {0xBC, 0xFA, 0xFF, 0xFF}, ""},
    {"mirel GOTO", kMirel, RELOCT_GOTO, 0x3ABC, Z4, {0xBC, 0x1A, 0, 0}, ""},
    {"mirel HIGH", kMirel, RELOCT_HIGH, 0x1234, F4, {0x12, 0xFF, 0xFF, 0xFF}, ""},
    {"mirel LOW", kMirel, RELOCT_LOW, 0x1230, Z4, {0x34, 0, 0, 0}, "", 0, 4},
    {"mirel P", kMirel, RELOCT_P, 0x2A, {0x55, 0xE0, 0, 0}, {0x55, 0xEA, 0, 0}, ""},
    {"mirel BANKSEL gpr", kMirel, RELOCT_BANKSEL, 0x0120, F4, {0x10, 0xBA, 0xFF, 0xFF}, ""},
    {"mirel BANKSEL sfr", kMirel, RELOCT_BANKSEL, 0x0310, F4, {0x03, 0xB8, 0xFF, 0xFF}, ""},
    {"mirel PAGESEL", kMirel, RELOCT_PAGESEL, 0x1A55, Z4, {0x1A, 0xB0, 0x03, 0x01}, ""},
    // MOVLW takes the whole high byte, not only the bits of a page number.
    {"mirel PAGESEL high byte", kMirel, RELOCT_PAGESEL, 0xE123, Z4, {0xE1, 0xB0, 0x03, 0x01}, ""},
    {"mirel ALL", kMirel, RELOCT_ALL, 0x1240, Z4, {0x34, 0x12, 0, 0}, "", 0, -0x0C},
    {"mirel IBANKSEL", kMirel, RELOCT_IBANKSEL, 0x0210, F4, {0x02, 0xB8, 0xFF, 0xFF}, ""},
    {"mirel F", kMirel, RELOCT_F, 0x0345, F4, {0x45, 0xFF, 0xFF, 0xFF}, ""},
    {"mirel TRIS", kMirel, RELOCT_TRIS, 0x12, F4, kSame, kUnsupported},
    {"mirel MOVLR", kMirel, RELOCT_MOVLR, 0x0345, {0x0F, 0xBA, 0, 0}, {0x3F, 0xBA, 0, 0}, ""},
    {"mirel MOVLB", kMirel, RELOCT_MOVLB, 0x0245, {0xF0, 0xB8, 0, 0}, {0xF2, 0xB8, 0, 0}, ""},
    {"mirel CALL2", kMirel, RELOCT_CALL2, 0x12, F4, kSame, kUnsupported},
    {"mirel FF1", kMirel, RELOCT_FF1, 0x12, F4, kSame, kUnsupported},
    {"mirel FF2", kMirel, RELOCT_FF2, 0x12, F4, kSame, kUnsupported},
    {"mirel LFSR1", kMirel, RELOCT_LFSR1, 0x12, F4, kSame, kUnsupported},
    {"mirel LFSR2", kMirel, RELOCT_LFSR2, 0x12, F4, kSame, kUnsupported},
    {"mirel BRA", kMirel, RELOCT_BRA, 0x12, F4, kSame, kUnsupported},
    {"mirel CONDBRA", kMirel, RELOCT_CONDBRA, 0x12, F4, kSame, kUnsupported},
    {"mirel UPPER", kMirel, RELOCT_UPPER, 0x12, F4, kSame, kUnsupported},
    {"mirel ACCESS", kMirel, RELOCT_ACCESS, 0x12, F4, kSame, kUnsupported},
    {"mirel PAGESEL_WREG", kMirel, RELOCT_PAGESEL_WREG, 0x0255, Z4, {0x02, 0xB0, 0x03, 0x01},
     ""},
    {"mirel PAGESEL_BITS", kMirel, RELOCT_PAGESEL_BITS, 0x12, F4, kSame, kUnsupported},

    {"zarn CALL", kZarnFourPages, RELOCT_CALL, 0x0FF, {0, 0x09, 0, 0}, {0xFF, 0x09, 0, 0}, ""},
    {"zarn GOTO", kZarnFourPages, RELOCT_GOTO, 0x1FF, {0, 0x0A, 0, 0}, {0xFF, 0x0B, 0, 0}, ""},
    {"zarn HIGH", kZarnFourPages, RELOCT_HIGH, 0x0345, F4, {0x03, 0xFF, 0xFF, 0xFF}, ""},
    {"zarn LOW", kZarnFourPages, RELOCT_LOW, 0x0345, Z4, {0x45, 0, 0, 0}, ""},
    {"zarn P", kZarnFourPages, RELOCT_P, 0x12, F4, kSame, kUnsupported},
    {"zarn BANKSEL one bank", kZarnOnePage, RELOCT_BANKSEL, 0x45, F4, {0xA4, 0x04, 0xC4, 0x05},
     ""},
    {"zarn PAGESEL one page", kZarnOnePage, RELOCT_PAGESEL, 0x600, F4, kSame, ""},
    {"zarn PAGESEL two pages", kZarnTwoPages, RELOCT_PAGESEL, 0x200, F4,
     {0xA3, 0x05, 0xFF, 0xFF}, ""},
    {"zarn PAGESEL four pages", kZarnFourPages, RELOCT_PAGESEL, 0x400, F4,
     {0xA3, 0x04, 0xC3, 0x05}, ""},
    {"zarn ALL", kZarnFourPages, RELOCT_ALL, 0x1234, Z4, {0x34, 0x12, 0, 0}, ""},
    {"zarn IBANKSEL", kZarnFourPages, RELOCT_IBANKSEL, 0x60, Z4, {0xA4, 0x05, 0xC4, 0x05}, ""},
    {"zarn F", kZarnFourPages, RELOCT_F, 0x2A, {0xE0, 0x02, 0, 0}, {0xEA, 0x02, 0, 0}, ""},
    {"zarn TRIS", kZarnFourPages, RELOCT_TRIS, 0x0E, F4, {0xFE, 0xFF, 0xFF, 0xFF}, ""},
    {"zarn MOVLR", kZarnFourPages, RELOCT_MOVLR, 0x12, F4, kSame, kUnsupported},
    {"zarn MOVLB", kZarnFourPages, RELOCT_MOVLB, 0x12, F4, kSame, kUnsupported},
    {"zarn CALL2", kZarnFourPages, RELOCT_CALL2, 0x12, F4, kSame, kUnsupported},
    {"zarn FF1", kZarnFourPages, RELOCT_FF1, 0x12, F4, kSame, kUnsupported},
    {"zarn FF2", kZarnFourPages, RELOCT_FF2, 0x12, F4, kSame, kUnsupported},
    {"zarn LFSR1", kZarnFourPages, RELOCT_LFSR1, 0x12, F4, kSame, kUnsupported},
    {"zarn LFSR2", kZarnFourPages, RELOCT_LFSR2, 0x12, F4, kSame, kUnsupported},
    {"zarn BRA", kZarnFourPages, RELOCT_BRA, 0x12, F4, kSame, kUnsupported},
    {"zarn CONDBRA", kZarnFourPages, RELOCT_CONDBRA, 0x12, F4, kSame, kUnsupported},
    {"zarn UPPER", kZarnFourPages, RELOCT_UPPER, 0x12, F4, kSame, kUnsupported},
    {"zarn ACCESS", kZarnFourPages, RELOCT_ACCESS, 0x12, F4, kSame, kUnsupported},
    {"zarn PAGESEL_WREG", kZarnFourPages, RELOCT_PAGESEL_WREG, 0x12, F4, kSame, kUnsupported},
    {"zarn PAGESEL_BITS one page", kZarnOnePage, RELOCT_PAGESEL_BITS, 0x600, F4, kSame, ""},
    {"zarn PAGESEL_BITS four pages", kZarnFourPages, RELOCT_PAGESEL_BITS, 0x600, F4,
     {0xA3, 0x05, 0xC3, 0x05}, ""},

    {"vesk CALL", kVeskTwoBanks, RELOCT_CALL, 0x7FF, {0, 0x20, 0, 0}, {0xFF, 0x27, 0, 0}, ""},
    {"vesk GOTO", kVeskTwoBanks, RELOCT_GOTO, 0x1ABC, {0, 0x28, 0, 0}, {0xBC, 0x2A, 0, 0}, ""},
    {"vesk HIGH", kVeskTwoBanks, RELOCT_HIGH, 0x1234, F4, {0x12, 0xFF, 0xFF, 0xFF}, ""},
    {"vesk LOW", kVeskTwoBanks, RELOCT_LOW, 0x1230, Z4, {0x34, 0, 0, 0}, "", 0, 4},
    {"vesk P", kVeskTwoBanks, RELOCT_P, 0x12, F4, kSame, kUnsupported},
    {"vesk BANKSEL two banks", kVeskTwoBanks, RELOCT_BANKSEL, 0x80, F4,
     {0x83, 0x16, 0xFF, 0xFF}, ""},
    {"vesk BANKSEL four banks", kVeskFourBanks, RELOCT_BANKSEL, 0x100, F4,
     {0x83, 0x12, 0x03, 0x17}, ""},
    {"vesk PAGESEL", kVeskFourPages, RELOCT_PAGESEL, 0x1234, Z4, {0x12, 0x30, 0x8A, 0x00}, ""},
    {"vesk PAGESEL high byte", kVeskFourPages, RELOCT_PAGESEL, 0xE123, Z4,
     {0xE1, 0x30, 0x8A, 0x00}, ""},
    {"vesk ALL", kVeskTwoBanks, RELOCT_ALL, 0x1234, Z4, {0x34, 0x12, 0, 0}, ""},
    {"vesk IBANKSEL two banks", kVeskTwoBanks, RELOCT_IBANKSEL, 0x100, F4, kSame, ""},
    {"vesk IBANKSEL four banks", kVeskFourBanks, RELOCT_IBANKSEL, 0x100, F4,
     {0x83, 0x17, 0xFF, 0xFF}, ""},
    {"vesk IBANKSEL four banks low", kVeskFourBanks, RELOCT_IBANKSEL, 0x80, F4,
     {0x83, 0x13, 0xFF, 0xFF}, ""},
    {"vesk F", kVeskTwoBanks, RELOCT_F, 0x1AA, {0x80, 0x01, 0, 0}, {0xAA, 0x01, 0, 0}, ""},
    {"vesk TRIS", kVeskTwoBanks, RELOCT_TRIS, 0x12, F4, kSame, kUnsupported},
    {"vesk MOVLR", kVeskTwoBanks, RELOCT_MOVLR, 0x12, F4, kSame, kUnsupported},
    {"vesk MOVLB", kVeskTwoBanks, RELOCT_MOVLB, 0x12, F4, kSame, kUnsupported},
    {"vesk CALL2", kVeskTwoBanks, RELOCT_CALL2, 0x12, F4, kSame, kUnsupported},
    {"vesk FF1", kVeskTwoBanks, RELOCT_FF1, 0x12, F4, kSame, kUnsupported},
    {"vesk FF2", kVeskTwoBanks, RELOCT_FF2, 0x12, F4, kSame, kUnsupported},
    {"vesk LFSR1", kVeskTwoBanks, RELOCT_LFSR1, 0x12, F4, kSame, kUnsupported},
    {"vesk LFSR2", kVeskTwoBanks, RELOCT_LFSR2, 0x12, F4, kSame, kUnsupported},
    {"vesk BRA", kVeskTwoBanks, RELOCT_BRA, 0x12, F4, kSame, kUnsupported},
    {"vesk CONDBRA", kVeskTwoBanks, RELOCT_CONDBRA, 0x12, F4, kSame, kUnsupported},
    {"vesk UPPER", kVeskTwoBanks, RELOCT_UPPER, 0x12, F4, kSame, kUnsupported},
    {"vesk ACCESS", kVeskTwoBanks, RELOCT_ACCESS, 0x12, F4, kSame, kUnsupported},
    {"vesk PAGESEL_WREG", kVeskTwoBanks, RELOCT_PAGESEL_WREG, 0x0800, Z4,
     {0x08, 0x30, 0x8A, 0x00}, ""},
    {"vesk PAGESEL_BITS one page", kVeskTwoBanks, RELOCT_PAGESEL_BITS, 0x1800, F4, kSame, ""},
    {"vesk PAGESEL_BITS two pages", kVeskTwoPages, RELOCT_PAGESEL_BITS, 0x0800, F4,
     {0x8A, 0x15, 0xFF, 0xFF}, ""},
    {"vesk PAGESEL_BITS three pages", kVeskThreePages, RELOCT_PAGESEL_BITS, 0x1800, F4,
     {0x8A, 0x15, 0x0A, 0x16}, ""},
    {"vesk PAGESEL_BITS four pages", kVeskFourPages, RELOCT_PAGESEL_BITS, 0x1000, F4,
     {0x8A, 0x11, 0x0A, 0x16}, ""},

    {"vesk type 0", kVeskTwoBanks, 0, 0x12, F4, kSame, kUnsupported},
    {"ostra type 25", kOstra, 25, 0x12, F4, kSame, kUnsupported},

    // Outside the section: every byte a patch writes must be in the data.
    {"ostra ALL at the last byte", kOstra, RELOCT_ALL, 0x1234, F4, kSame,
     "relocation at offset 0x00000003 lies outside the section.", 3},
    {"ostra CALL at the last byte", kOstra, RELOCT_CALL, 0x1234, F4, {0xFF, 0xFF, 0xFF, 0x1A},
     "", 3},
    {"ostra ACCESS at the last byte", kOstra, RELOCT_ACCESS, 0x80, Z4, kSame,
     "relocation at offset 0x00000003 lies outside the section.", 3},
    {"ostra ALL far past the end", kOstra, RELOCT_ALL, 0x1234, F4, kSame,
     "relocation at offset 0xffffffff lies outside the section.", 0xFFFFFFFF},
    {"zarn BANKSEL second word past the end", kZarnFourPages, RELOCT_BANKSEL, 0x60, F4, kSame,
     "relocation at offset 0x00000002 lies outside the section.", 2},
    {"zarn PAGESEL skipped near the end", kZarnOnePage, RELOCT_PAGESEL, 0x600, F4, kSame, "", 2},
    {"vesk BANKSEL one word at the end", kVeskTwoBanks, RELOCT_BANKSEL, 0x80, F4,
     {0xFF, 0xFF, 0x83, 0x16}, "", 2},
    {"vesk PAGESEL second word past the end", kVeskTwoBanks, RELOCT_PAGESEL, 0x0800, F4, kSame,
     "relocation at offset 0x00000002 lies outside the section.", 2},
    {"mirel BANKSEL at the end", kMirel, RELOCT_BANKSEL, 0x0120, F4, kSame,
     "relocation at offset 0x00000004 lies outside the section.", 4},

    // r_symndx must name a primary symbol entry: 2 is an aux entry.
    {"vesk LOW naming an aux entry", kVeskTwoBanks, RELOCT_LOW, 0x12, F4, kSame,
     "relocation at offset 0x00000000 names no symbol.", 0, 0, 2},
    {"ostra LOW naming past the table", kOstra, RELOCT_LOW, 0x12, F4, kSame,
     "relocation at offset 0x00000000 names no symbol.", 0, 0, 7},
};
// clang-format on

class PatchTypes : public testing::TestWithParam<PatchCase> {};

TEST_P(PatchTypes, PatchesTheSectionOrFailsTheLink) {
  const PatchCase& c = GetParam();
  const reloc entry = patchtest::relocAt(c.vaddr, c.type, c.symndx, c.addend);
  PatchLink link(c.processor, {{"a.o", c.before, {entry}, c.target}}, c.accessBanks);
  std::string error;
  const int result = link.cLinker.patchSections(error);
  EXPECT_EQ(link.text(), c.after.empty() ? c.before : c.after);
  if (c.message.empty()) {
    EXPECT_EQ(result, 1);
    EXPECT_EQ(error, "");
  } else {
    EXPECT_EQ(result, 0);
    EXPECT_EQ(error, "file 'a.o', section '.text', " + c.message);
  }
}

std::string caseName(const testing::TestParamInfo<PatchCase>& info) {
  std::string name = std::to_string(info.index) + "_";
  for (const char* c = info.param.label; *c; ++c)
    name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(EveryFamily, PatchTypes, testing::ValuesIn(kCases), caseName);

}  // namespace
