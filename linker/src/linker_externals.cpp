// External symbols: every defined global of the link (the linker's own
// "_cinit", "_stack" and "_stksize" among them) collected by name, and every
// external reference given the value of its definition.
#include <iostream>

#include "debug_switches.h"
#include "linker.h"
#include "linker_symbol_walk.h"
#include "output_support.h"
#include "text_helpers.h"

namespace {

// One of the linker's own symbols: a defined external without a section,
// like "_cinit".
void setOwnSymbol(SymbolEntry& symbol, const StringTable& strTbl, const std::string& name,
                  uint32_t value) {
  symbol = SymbolEntry{};
  Coff::setName(symbol, strTbl, name);
  symbol.n_value = value;
  symbol.n_scnum = N_UNDEF;
  symbol.n_type = 0;
  symbol.n_sclass = C_EXT;
  symbol.n_numaux = 0;
}

}  // namespace

int Linker::buildExtSymDef(std::string& error) {
  cExtSymDef["_cinit"] = &cCinitSym;
  // Without a STACK directive there is no stack, so neither name exists.
  if (cHasStack) {
    // Allocation placed the stack whenever there is one.
    const Memory& memory = memoryOfSection(cScnMem, cStackScnName);
    setOwnSymbol(cStackSym, cOutput.cStrTbl, "_stack", memory.getAllocStart(cStackScnName));
    setOwnSymbol(cStkSizeSym, cOutput.cStrTbl, "_stksize", memory.getAllocSize(cStackScnName));
    cExtSymDef["_stack"] = &cStackSym;
    cExtSymDef["_stksize"] = &cStkSizeSym;
  }

  const bool trace = traceOn("Linker::buildExtSymDef");
  for (const auto& file : cCoff) {
    const bool unique = primarySymbolsWhile(*file, [&](size_t, SymbolEntry& symbol) {
      if (!Coff::isDefinedGlobal(symbol)) return true;
      const std::string name = Coff::getName(symbol, file->cStrTbl);
      if (!cExtSymDef.try_emplace(name, &symbol).second) {
        error = "symbol '" + name + "' has multiple definitions.";
        return false;
      }
      if (trace)
        std::cout << "Linker::buildExtSymDef() - adding external definition symbol '" << name
                  << "' in file '" << file->cName << "'. " << std::endl;
      return true;
    });
    if (!unique) return 0;
  }
  return 1;
}

int Linker::resolveExternals(std::string& error) {
  const bool trace = traceOn("Linker::resolveExternals");
  for (const auto& file : cCoff) {
    const bool resolved = primarySymbolsWhile(*file, [&](size_t, SymbolEntry& symbol) {
      if (!Coff::isExternRef(symbol)) return true;
      const std::string name = Coff::getName(symbol, file->cStrTbl);
      const auto definition = cExtSymDef.find(name);
      if (definition == cExtSymDef.end()) {
        error = "could not resolve symbol '" + name + "' in file '" + file->cName + "'.";
        return false;
      }
      if (trace)
        std::cout << "Linker::resolveExternals() - resolving external reference symbol '" << name
                  << "' in file '" << file->cName << "'; from " << formatHex(symbol.n_value, 4)
                  << " to " << formatHex(definition->second->n_value, 4) << std::endl;
      symbol.n_value = definition->second->n_value;
      return true;
    });
    if (!resolved) return 0;
  }
  return 1;
}
