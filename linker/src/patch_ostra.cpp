// The Ostra patcher. Program memory is addressed in bytes, so symbol values
// and load starts are byte addresses, and instruction targets are stored
// as word addresses (the value without its lowest bit).
#include <cstdint>
#include <string>

#include "linker.h"
#include "patch_site.h"
#include "reloctypes.h"

namespace {

enum class Rule : uint8_t {
  Field,             // the bits of the value
  WordAligned,       // a call or goto target: must be even
  MovffDestination,  // the destination of a MOVFF: no return-stack or PC register
  Branch,            // an offset from the next instruction, in a limited range
  AccessBit,         // 0 inside an ACCESSBANK, else 1
};

struct Row {
  uint16_t type;
  Rule rule;
  patch::Field field;
  // Branch rows: the offsets that reach, and the wrap that makes a
  // backward (or zero) offset the field's two's complement.
  int32_t lowest = 0;
  int32_t highest = 0;
  int32_t wrap = 0;
};

// Types missing here (5, 7, 11, 12, 23, 24) are unsupported.
// clang-format off
constexpr Row ROWS[] = {
    {RELOCT_CALL, Rule::WordAligned, {1, 0, 8}},
    {RELOCT_GOTO, Rule::WordAligned, {1, 0, 8}},
    {RELOCT_CALL2, Rule::Field, {9, 0, 12}},
    {RELOCT_HIGH, Rule::Field, {8, 0, 8}},
    {RELOCT_BANKSEL, Rule::Field, {8, 0, 8}},
    {RELOCT_IBANKSEL, Rule::Field, {8, 0, 8}},
    {RELOCT_MOVLB, Rule::Field, {8, 0, 8}},
    {RELOCT_LOW, Rule::Field, {0, 0, 8}},
    {RELOCT_F, Rule::Field, {0, 0, 8}},
    {RELOCT_LFSR2, Rule::Field, {0, 0, 8}},
    {RELOCT_UPPER, Rule::Field, {16, 0, 8}},
    {RELOCT_ALL, Rule::Field, {0, 0, 16}},
    {RELOCT_FF1, Rule::Field, {0, 0, 12}},
    {RELOCT_FF2, Rule::MovffDestination, {0, 0, 12}},
    {RELOCT_LFSR1, Rule::Field, {8, 0, 4}},
    {RELOCT_BRA, Rule::Branch, {1, 0, 11}, -2048, 2046, 4096},
    {RELOCT_CONDBRA, Rule::Branch, {1, 0, 8}, -256, 254, 512},
    {RELOCT_ACCESS, Rule::AccessBit, {0, 8, 1}},
};
// clang-format on

// Registers that a MOVFF may not write: the top of the return stack and
// the program counter's low byte.
struct Forbidden {
  uint32_t address;
  const char* name;
};
constexpr Forbidden MOVFF_FORBIDDEN[] = {
    {0xFFF, "TOSU"}, {0xFFE, "TOSH"}, {0xFFD, "TOSL"}, {0xFF9, "PCL"}};

std::string notWordAligned(const std::string& symbol) {
  return "Symbol '" + symbol + "' is not word-aligned.\n" +
         "It cannot be used as the target of a call or goto instruction.";
}

const char* forbiddenDestination(uint32_t value) {
  for (const Forbidden& reg : MOVFF_FORBIDDEN) {
    if (reg.address == value) return reg.name;
  }
  return nullptr;
}

int inAccessBank(const std::list<Memory>& accessBanks, uint32_t value) {
  for (const Memory& bank : accessBanks) {
    if (value >= bank.getStart() && value <= bank.getEnd()) return 1;
  }
  return 0;
}

}  // namespace

int Linker::doPatchOstra(uint32_t loadStart, Data& data, const reloc& entry,
                         const std::vector<SymbolEntry>& symTbl, const StringTable& strTbl,
                         std::string& error) {
  patch::PatchSite site("Linker::doPatchOstra", cFamily, data, entry, error);
  const Row* row = patch::findRow(ROWS, entry.r_type);
  if (!row) return site.unsupported();
  const uint32_t value = patch::relocValue(entry, symTbl);
  switch (row->rule) {
    case Rule::Field: return site.field(row->field, value);
    case Rule::WordAligned:
      if (value & 1u) return site.fail(notWordAligned(patch::symbolName(entry, symTbl, strTbl)));
      return site.field(row->field, value);
    case Rule::MovffDestination:
      if (const char* name = forbiddenDestination(value))
        return site.fail(std::string(name) +
                         " cannot be used as the destination of a MOVFF instruction.");
      return site.field(row->field, value);
    case Rule::Branch: {
      // The offset counts from the instruction that follows the branch.
      int32_t offset = static_cast<int32_t>(value - (loadStart + entry.r_vaddr + 2u));
      if (offset > row->highest || offset < row->lowest)
        return site.fail("Symbol '" + patch::symbolName(entry, symTbl, strTbl) +
                         "' out of range of relative branch instruction.");
      if (offset <= 0) offset += row->wrap;
      if (offset & 1) return site.fail(notWordAligned(patch::symbolName(entry, symTbl, strTbl)));
      return site.field(row->field, static_cast<uint32_t>(offset));
    }
    case Rule::AccessBit: return site.field(row->field, inAccessBank(cAccessBanks, value) ? 0 : 1);
  }
  return site.unsupported();
}
