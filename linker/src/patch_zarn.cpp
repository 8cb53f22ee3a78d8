// The Zarn patcher. Banks are selected by bits 5 and 6 of the FSR (4),
// pages by the page bits 5 and 6 of STATUS (3); a device with one page has
// no page bits to set.
#include <cstdint>
#include <string>

#include "linker.h"
#include "patch_site.h"
#include "reloctypes.h"

namespace {

using Count = patch::BitSelection::Count;

constexpr uint16_t STATUS = 3;
constexpr uint16_t FSR = 4;

// clang-format off
constexpr patch::BitSelection BANK_SELECTION = {
    Count::Always, 0, 0, {"rp0", 5, FSR, 5}, {"rp1", 6, FSR, 6}, ""};
// Both page types name RELOCT_PAGESEL in the line of the skipped case.
constexpr patch::BitSelection PAGE_SELECTION = {
    Count::Pages, 2, 3, {"pa0", 9, STATUS, 5}, {"pa1", 10, STATUS, 6},
    "Linker::doPatchZarn() - RELOCT_PAGESEL encountered for a device with only one page!"};
// clang-format on

struct Row {
  uint16_t type;
  patch::Field field;
  const patch::BitSelection* selection;  // a rewrite instead of the field
};

// Types missing here (5, 12 to 23) are unsupported.
constexpr Row ROWS[] = {
    {RELOCT_CALL, {0, 0, 8}, nullptr},
    {RELOCT_GOTO, {0, 0, 9}, nullptr},
    {RELOCT_HIGH, {8, 0, 8}, nullptr},
    {RELOCT_LOW, {0, 0, 8}, nullptr},
    {RELOCT_F, {0, 0, 5}, nullptr},
    {RELOCT_TRIS, {0, 0, 3}, nullptr},
    {RELOCT_ALL, {0, 0, 16}, nullptr},
    {RELOCT_BANKSEL, {}, &BANK_SELECTION},
    {RELOCT_IBANKSEL, {}, &BANK_SELECTION},
    {RELOCT_PAGESEL, {}, &PAGE_SELECTION},
    {RELOCT_PAGESEL_BITS, {}, &PAGE_SELECTION},
};

}  // namespace

int Linker::doPatchZarn(Data& data, const reloc& entry, const std::vector<SymbolEntry>& symTbl,
                        const StringTable&, std::string& error) {
  patch::PatchSite site("Linker::doPatchZarn", cFamily, data, entry, error);
  const Row* row = patch::findRow(ROWS, entry.r_type);
  if (!row) return site.unsupported();
  const uint32_t value = patch::relocValue(entry, symTbl);
  if (row->selection) return site.select(*row->selection, cProcessor, value);
  return site.field(row->field, value);
}
