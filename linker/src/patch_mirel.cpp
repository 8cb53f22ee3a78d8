// The Mirel patcher. Program addresses are word addresses. A bank is
// selected with MOVLR for the general-purpose registers and MOVLB for the
// special-function registers; a page by loading the page register (3).
#include <cstdint>
#include <string>

#include "linker.h"
#include "patch_site.h"
#include "reloctypes.h"

namespace {

enum class Rule : uint8_t {
  Field,        // the bits of the value
  BankNumber,   // the bits of the value's bank number
  BankSelect,   // one word: MOVLR or MOVLB of the bank number
  PageLiteral,  // two words: MOVLW of the high byte, MOVWF into the page register
};

struct Row {
  uint16_t type;
  Rule rule;
  patch::Field field;
};

constexpr uint16_t PAGE_REGISTER = 3;

// Types missing here (11, 14 to 22, 24) are unsupported.
// clang-format off
constexpr Row ROWS[] = {
    {RELOCT_CALL, Rule::Field, {0, 0, 13}},
    {RELOCT_GOTO, Rule::Field, {0, 0, 13}},
    {RELOCT_HIGH, Rule::Field, {8, 0, 8}},
    {RELOCT_LOW, Rule::Field, {0, 0, 8}},
    {RELOCT_F, Rule::Field, {0, 0, 8}},
    {RELOCT_P, Rule::Field, {0, 8, 5}},
    {RELOCT_ALL, Rule::Field, {0, 0, 16}},
    {RELOCT_MOVLR, Rule::BankNumber, {0, 4, 4}},
    {RELOCT_MOVLB, Rule::BankNumber, {0, 0, 4}},
    {RELOCT_BANKSEL, Rule::BankSelect, {}},
    {RELOCT_IBANKSEL, Rule::BankSelect, {}},
    {RELOCT_PAGESEL, Rule::PageLiteral, {}},
    {RELOCT_PAGESEL_WREG, Rule::PageLiteral, {}},
};
// clang-format on

}  // namespace

int Linker::doPatchMirel(Data& data, const reloc& entry, const std::vector<SymbolEntry>& symTbl,
                         const StringTable&, std::string& error) {
  patch::PatchSite site("Linker::doPatchMirel", cFamily, data, entry, error);
  const Row* row = patch::findRow(ROWS, entry.r_type);
  if (!row) return site.unsupported();
  const uint32_t value = patch::relocValue(entry, symTbl);
  switch (row->rule) {
    case Rule::Field: return site.field(row->field, value);
    case Rule::BankNumber: return site.field(row->field, procBankOf(cProcessor, value));
    case Rule::BankSelect: {
      const int isGpr = procIsGeneralRegister(cProcessor, value) ? 1 : 0;
      site.trace("Linker::doPatchMirel() -  RELOCT_BANKSEL, isgpr=" + std::to_string(isGpr));
      const auto bank = static_cast<uint16_t>(procBankOf(cProcessor, value));
      const patch::BuiltWord word[] = {{patch::buildWord(isGpr ? MOVLR : MOVLB, bank, cFamily)}};
      return site.words(word);
    }
    case Rule::PageLiteral: return site.pageLiteral(PAGE_REGISTER, value);
  }
  return site.unsupported();
}
