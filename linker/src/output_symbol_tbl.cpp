// The output's symbol table: the inputs' tables one after another. Each
// entry keeps its value and name as the symbol phases left them; only the
// section numbers and the symbol indexes inside aux entries move, to the
// output's numbering and to the place where the file's table now starts.
#include <iostream>

#include "debug_switches.h"
#include "linker.h"
#include "output_support.h"
#include "qassert.h"

namespace {

bool tracing() { return traceOn("Linker::buildOutputSymbolTbl"); }

// One symbol index of an aux entry moved by base. `symbol` is the index of
// its primary entry in the file, for the trace.
template <class Aux>
void shiftIndex(SymbolEntry& slot, uint32_t Aux::*field, uint32_t base, size_t symbol,
                const char* label) {
  Aux aux = Aux::from(slot);
  if (tracing())
    std::cout << "symbol[" << symbol << "]- " << label << " from " << aux.*field << " to "
              << aux.*field + base << std::endl;
  aux.*field += base;
  aux.storeInto(slot);
}

void shiftFunctionIndexes(SymbolEntry& slot, uint32_t base, size_t symbol) {
  AuxFcn aux = AuxFcn::from(slot);
  if (tracing())
    std::cout << "symbol[" << symbol << "]- aux_fcn x_tagndx from " << aux.x_tagndx << " to "
              << aux.x_tagndx + base << ", x_endndx from " << aux.x_endndx << " to "
              << aux.x_endndx + base << std::endl;
  aux.x_tagndx += base;
  aux.x_endndx += base;
  aux.storeInto(slot);
}

// The symbol indexes that an aux entry of this kind holds, moved by base.
void shiftAuxIndexes(SymbolEntry& slot, int kind, uint32_t base, size_t symbol) {
  switch (kind) {
    case AUX_TAG: return shiftIndex(slot, &AuxTag::x_endndx, base, symbol, "aux_tag x_endndx");
    case AUX_EOS: return shiftIndex(slot, &AuxEos::x_tagndx, base, symbol, "aux_eos x_tagndx");
    case AUX_FCN: return shiftFunctionIndexes(slot, base, symbol);
    case AUX_ARR: return shiftIndex(slot, &AuxArr::x_tagndx, base, symbol, "aux_arr x_tagndx");
    case AUX_BOBF: return shiftIndex(slot, &AuxBobf::x_endndx, base, symbol, "aux_bobf x_endndx");
    case AUX_VAR: return shiftIndex(slot, &AuxVar::x_tagndx, base, symbol, "aux_var x_tagndx");
    default:
      if (tracing())
        std::cout << "symbol[" << symbol << "] no x_tagndx or x_endndx to update" << std::endl;
      return;
  }
}

// The output's number of the section that the file numbers `number`, or
// the number itself when the file has no such section (an object that was
// never verified): the check of the output then reports it.
int16_t outputSection(const Coff& file, int16_t number,
                      const std::map<std::string, int16_t>& outputNumber) {
  const auto* section = sectionByNumber(file, number);
  if (section == nullptr) return number;
  const auto renumbered = outputNumber.find(section->first);
  QOR_ASSERT(renumbered != outputNumber.end());
  return renumbered->second;
}

}  // namespace

int Linker::buildOutputSymbolTbl(std::string& /*error*/) {
  if (cStrip) return 1;
  std::map<std::string, int16_t> outputNumber;
  for (const auto& [number, name] : cOutput.cScnNum)
    outputNumber[name] = static_cast<int16_t>(number);
  uint32_t base = 0;
  for (size_t position = 0; position < cCoff.size(); ++position) {
    const Coff& file = *cCoff[position];
    cSymBase[inputKey(position)] = static_cast<int>(base);
    // The object's own record of which slots are aux entries decides, so
    // that every slot is copied once and keeps its place.
    for (size_t i = 0; i < file.cSymTbl.size(); ++i) {
      SymbolEntry entry = file.cSymTbl[i];
      const int kind = file.cAuxType[i];
      if (kind != AUX_NONE) {
        shiftAuxIndexes(entry, kind, base, i - 1);
      } else if (entry.n_scnum >= 1) {
        const int16_t renumbered = outputSection(file, entry.n_scnum, outputNumber);
        if (tracing())
          std::cout << "Linker::buildOutputSymbolTbl() -  file '" << file.cName << "', symbol[" << i
                    << "] n_scnum from " << entry.n_scnum << " to " << renumbered << std::endl;
        entry.n_scnum = renumbered;
      }
      cOutput.cSymTbl.push_back(entry);
      cOutput.cAuxType.push_back(kind);
    }
    base += static_cast<uint32_t>(file.cSymTbl.size());
  }
  return 1;
}
