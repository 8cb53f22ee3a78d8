// The Vesk patcher. Banks are selected by RP0 and RP1 (bits 5 and 6 of
// STATUS, 3) and, for indirect access, by IRP (bit 7); pages by loading
// PCLATH (0x0A) or by its bits 3 and 4. A device with too few banks or
// pages has no such bits to set.
#include <cstdint>
#include <string>

#include "linker.h"
#include "patch_site.h"
#include "reloctypes.h"

namespace {

using Count = patch::BitSelection::Count;

constexpr uint16_t STATUS = 3;
constexpr uint16_t PCLATH = 0x0A;

// clang-format off
constexpr patch::BitSelection BANK_SELECTION = {
    Count::Banks, 2, 3, {"rp0", 7, STATUS, 5}, {"rp1", 8, STATUS, 6},
    "Linker::doPatchVesk() - RELOCT_BANKSEL encountered for a device with only one bank!"};
constexpr patch::BitSelection INDIRECT_BANK_SELECTION = {
    Count::Banks, 3, 0, {"irp", 8, STATUS, 7}, {},
    "Linker::doPatchVesk() - RELOCT_IBANKSEL encountered for a device with one or two banks!"};
constexpr patch::BitSelection PAGE_SELECTION = {
    Count::Pages, 2, 3, {"pclath3", 11, PCLATH, 3}, {"pclath4", 12, PCLATH, 4},
    "Linker::doPatchVesk() - RELOCT_PAGESEL_BITS encountered for a device with only one page!"};
// clang-format on

enum class Rule : uint8_t {
  Field,        // the bits of the value
  Selection,    // set and clear instructions
  PageLiteral,  // two words: MOVLW of the high byte, MOVWF into PCLATH
};

struct Row {
  uint16_t type;
  Rule rule;
  patch::Field field;
  const patch::BitSelection* selection = nullptr;
};

// Types missing here (5, 11 to 22) are unsupported.
constexpr Row ROWS[] = {
    {RELOCT_CALL, Rule::Field, {0, 0, 11}},
    {RELOCT_GOTO, Rule::Field, {0, 0, 11}},
    {RELOCT_HIGH, Rule::Field, {8, 0, 8}},
    {RELOCT_LOW, Rule::Field, {0, 0, 8}},
    {RELOCT_F, Rule::Field, {0, 0, 7}},
    {RELOCT_ALL, Rule::Field, {0, 0, 16}},
    {RELOCT_BANKSEL, Rule::Selection, {}, &BANK_SELECTION},
    {RELOCT_IBANKSEL, Rule::Selection, {}, &INDIRECT_BANK_SELECTION},
    {RELOCT_PAGESEL, Rule::PageLiteral, {}},
    {RELOCT_PAGESEL_WREG, Rule::PageLiteral, {}},
    {RELOCT_PAGESEL_BITS, Rule::Selection, {}, &PAGE_SELECTION},
};

}  // namespace

int Linker::doPatchVesk(Data& data, const reloc& entry, const std::vector<SymbolEntry>& symTbl,
                        const StringTable&, std::string& error) {
  patch::PatchSite site("Linker::doPatchVesk", cFamily, data, entry, error);
  const Row* row = patch::findRow(ROWS, entry.r_type);
  if (!row) return site.unsupported();
  const uint32_t value = patch::relocValue(entry, symTbl);
  switch (row->rule) {
    case Rule::Field: return site.field(row->field, value);
    case Rule::Selection: return site.select(*row->selection, cProcessor, value);
    case Rule::PageLiteral: return site.pageLiteral(PCLATH, value);
  }
  return site.unsupported();
}
