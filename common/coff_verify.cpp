// Coff::verify: the cross-references of an object. Every fault is reported
// and checking goes on, so one run lists them all.
#include <utility>

#include "coff.h"
#include "diagnostics.h"
#include "qassert.h"

namespace {

const char* const VERIFY_CONTEXT = "Coff::verify()";

class CoffVerifier {
 public:
  explicit CoffVerifier(const Coff& coff)
      : cCoff(coff), cLast(static_cast<uint32_t>(coff.cSymTbl.size() - 1)) {
    QOR_ASSERT(coff.cAuxType.size() == coff.cSymTbl.size());
  }

  int run() {
    checkSymbolSections();
    checkSymbolNames();
    checkSectionNames();
    checkRelocations();
    checkAuxIndexes();
    checkLineNumbers();
    checkSectionCounts();
    return cResult;
  }

 private:
  // With an empty table the count wraps to the largest index, so no index
  // counts as too large (the relocation check reports the empty table).
  bool aboveLast(uint32_t index) const { return index > cLast; }

  // Every fault names the file first; one fault makes the whole check fail.
  template <typename... Parts>
  void report(Parts&&... parts) {
    reportError(VERIFY_CONTEXT, "Coff file '", cCoff.cName, std::forward<Parts>(parts)...);
    cResult = 0;
  }

  bool isPrimary(size_t i) const { return cCoff.cAuxType[i] == AUX_NONE; }

  void checkSymbolSections() {
    for (size_t i = 0; i < cCoff.cSymTbl.size(); ++i) {
      if (!isPrimary(i)) continue;
      const int16_t section = cCoff.cSymTbl[i].n_scnum;
      if (section == N_DEBUG || section == N_ABS || section == N_UNDEF ||
          cCoff.cScnNum.count(section) != 0)
        continue;
      report("' symbol[", i, "] has an invalid n_scnum.");
    }
  }

  void checkSymbolNames() {
    for (size_t i = 0; i < cCoff.cSymTbl.size(); ++i) {
      const SymbolEntry& symbol = cCoff.cSymTbl[i];
      if (!isPrimary(i) || !Coff::nameInStringTable(symbol) || hasString(symbol._n_offset()))
        continue;
      report("' symbol[", i, "] has an invalid n_offset.");
    }
  }

  void checkSectionNames() {
    size_t i = 0;
    for (const auto& [name, header] : cCoff.cScnHdr) {
      if (Coff::nameInStringTable(header) && !hasString(header._s_offset())) {
        report("' section[", i, "] has an invalid s_offset.");
      }
      ++i;
    }
  }

  void checkRelocations() {
    for (const auto& [section, relocs] : cCoff.cScnReloc) {
      if (cCoff.cSymTbl.empty() && !relocs.empty()) {
        report("' has relocation entries but an empty symbol table.");
      }
      size_t j = 0;
      for (const reloc& entry : relocs) {
        if (aboveLast(entry.r_symndx)) {
          report("', section '", section, "' reloc[", j, "] has an invalid r_symndx.");
        }
        ++j;
      }
    }
  }

  void checkAuxIndexes() {
    for (size_t i = 0; i < cCoff.cSymTbl.size(); ++i) {
      if (!auxIndexesValid(cCoff.cAuxType[i], cCoff.cSymTbl[i])) {
        report("' symbol[", i, "] has an invalid x_tagndx or x_endndx.");
      }
    }
  }

  bool auxIndexesValid(int kind, const SymbolEntry& slot) const {
    switch (kind) {
      case AUX_TAG: return !aboveLast(AuxTag::from(slot).x_endndx);
      case AUX_BOBF: return !aboveLast(AuxBobf::from(slot).x_endndx);
      case AUX_EOS: return !aboveLast(AuxEos::from(slot).x_tagndx);
      case AUX_ARR: return !aboveLast(AuxArr::from(slot).x_tagndx);
      case AUX_VAR: return !aboveLast(AuxVar::from(slot).x_tagndx);
      case AUX_FCN: {
        const AuxFcn fcn = AuxFcn::from(slot);
        return !aboveLast(fcn.x_tagndx) && !aboveLast(fcn.x_endndx);
      }
      default: return true;
    }
  }

  void checkLineNumbers() {
    for (const auto& [section, lines] : cCoff.cScnLineno) {
      size_t j = 0;
      for (const coff_lineno& line : lines) {
        if (aboveLast(line.l_srcndx)) {
          report("', section '", section, "' line[", j, "] has an invalid l_srcndx.");
        }
        if (aboveLast(line.l_fcnndx)) {
          report("', section '", section, "' line[", j, "] has an invalid l_fcnndx.");
        }
        ++j;
      }
    }
  }

  void checkSectionCounts() {
    if (cCoff.cScnHdr.size() == cCoff.cScnNum.size()) return;
    report("', cScnHdr.size() != cScnNum.size() . ");
  }

  bool hasString(uint32_t offset) const {
    return offset <= static_cast<uint32_t>(INT32_MAX) &&
           cCoff.cStrTbl.count(static_cast<int>(offset)) != 0;
  }

  const Coff& cCoff;
  const uint32_t cLast;
  int cResult = 1;
};

}  // namespace

int Coff::verify() const { return CoffVerifier(*this).run(); }
