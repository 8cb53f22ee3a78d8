// The symbol walk of the link phases: the primary entries of an input's
// symbol table in table order. Which slots are auxiliary entries is what the
// object recorded when it was read (cAuxType), not what n_numaux claims, so
// a symbol whose aux count disagrees with its aux kind neither hides the
// symbol after it nor makes an aux entry's bytes pass for a symbol.
#pragma once

#include <cstddef>

#include "coff.h"
#include "qassert.h"

// CoffType: Coff or const Coff. visit(index, symbol entry) returns false to
// end the walk; the result is false when the walk was ended early.
template <typename CoffType, typename Visit>
bool primarySymbolsWhile(CoffType& file, Visit&& visit) {
  QOR_ASSERT(file.cAuxType.size() == file.cSymTbl.size());
  for (size_t i = 0; i < file.cSymTbl.size(); ++i) {
    if (file.cAuxType[i] == AUX_NONE && !visit(i, file.cSymTbl[i])) return false;
  }
  return true;
}

// The whole walk: visit(index, symbol entry).
template <typename CoffType, typename Visit>
void forEachPrimarySymbol(CoffType& file, Visit&& visit) {
  primarySymbolsWhile(file, [&visit](size_t i, auto& symbol) {
    visit(i, symbol);
    return true;
  });
}

// Whether the slot after symbol i is its file-name aux entry.
inline bool hasFileAux(const Coff& file, size_t i) {
  return i + 1 < file.cAuxType.size() && file.cAuxType[i + 1] == AUX_FILE;
}
