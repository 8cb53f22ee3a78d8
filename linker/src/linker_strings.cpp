// One string table for the whole link: every string of every input once, in
// ascending order, and every name reference of the inputs renumbered into
// it, so that the output and all inputs share one numbering.
//
// The output object holds the whole merged table. Each input keeps only its
// own strings, each under its merged offset: every offset the input refers
// to finds the same string there as in the whole table, and a link of many
// inputs does not hold one copy of every string per input.
#include <iostream>
#include <set>
#include <utility>

#include "debug_switches.h"
#include "linker.h"
#include "linker_symbol_walk.h"
#include "qassert.h"

namespace {

constexpr int FIRST_STRING_OFFSET = 4;

int mergedOffset(const std::map<std::string, int>& offsets, const std::string& name) {
  const auto found = offsets.find(name);
  // The offsets were made from every string of every input.
  QOR_ASSERT(found != offsets.end());
  return found->second;
}

void renumberSectionNames(Coff& file, const std::map<std::string, int>& offsets) {
  for (auto& [name, header] : file.cScnHdr) {
    if (!Coff::nameInStringTable(header)) continue;
    // The key is the name the header was read under.
    header._s_name.setOffset(static_cast<uint32_t>(mergedOffset(offsets, name)));
  }
}

class SymbolRenumbering {
 public:
  SymbolRenumbering(Coff& file, const StringTable& merged,
                    const std::map<std::string, int>& offsets)
      : cFile(file),
        cMerged(merged),
        cOffsets(offsets),
        cTrace(traceOn("Linker::replaceStringTbl")) {}

  void run() {
    forEachPrimarySymbol(cFile, [this](size_t i, SymbolEntry& symbol) {
      if (Coff::nameInStringTable(symbol)) renumberName(symbol);
      // The file-name reference is renumbered only where the object really
      // holds a file aux entry; a ".file" symbol without one is followed by
      // an ordinary symbol whose bytes are no file name.
      if (hasFileAux(cFile, i)) renumberFileName(cFile.cSymTbl[i + 1]);
    });
  }

 private:
  void renumberName(SymbolEntry& symbol) {
    const std::string name = Coff::getName(symbol, cFile.cStrTbl);
    if (cTrace) traceSlot("';    updating symbol:", symbol, AUX_NONE);
    symbol._n_name.setOffset(static_cast<uint32_t>(mergedOffset(cOffsets, name)));
    if (cTrace)
      traceSlot("'; updated symbol '" + Coff::getName(symbol, cMerged) + "': ", symbol, AUX_NONE);
  }

  void renumberFileName(SymbolEntry& slot) {
    AuxFile aux = AuxFile::from(slot);
    const std::string name = Coff::getName(aux, cFile.cStrTbl);
    if (cTrace) traceSlot("';    updating aux_file:", slot, AUX_FILE);
    aux.x_offset = static_cast<uint32_t>(mergedOffset(cOffsets, name));
    aux.storeInto(slot);
    if (cTrace) traceSlot("'; updated aux_file: ", slot, AUX_FILE);
  }

  void traceSlot(const std::string& what, const SymbolEntry& slot, int kind) const {
    std::cout << "Linker::replaceStringTbl() - file '" << cFile.cName << what;
    Coff::dumpSymbol(std::cout, slot, kind);
  }

  Coff& cFile;
  const StringTable& cMerged;
  const std::map<std::string, int>& cOffsets;
  const bool cTrace;
};

// The input's own strings under their merged offsets.
StringTable ownStringsRenumbered(const Coff& file, const std::map<std::string, int>& offsets) {
  StringTable renumbered;
  for (const auto& [offset, text] : file.cStrTbl)
    renumbered.emplace(mergedOffset(offsets, text), text);
  return renumbered;
}

}  // namespace

int Linker::mergeStringTbls(std::string& /*error*/) {
  std::set<std::string> strings;
  for (const auto& file : cCoff)
    for (const auto& [offset, text] : file->cStrTbl) strings.insert(text);

  StringTable merged;
  std::map<std::string, int> offsets;
  int next = FIRST_STRING_OFFSET;
  for (const std::string& text : strings) {
    merged.emplace_hint(merged.end(), next, text);
    offsets.emplace_hint(offsets.end(), text, next);
    next += static_cast<int>(text.size()) + 1;
  }
  cOutput.cStrTbl = std::move(merged);
  if (traceOn("Linker::mergeStringTbls")) {
    std::cout << "Linker::mergeStringTbls() - cOutput=" << std::endl;
    cOutput.dump(std::cout);
  }

  for (const auto& file : cCoff) replaceStringTbl(*file, cOutput.cStrTbl, offsets);
  return 1;
}

void Linker::replaceStringTbl(Coff& file, const StringTable& merged,
                              const std::map<std::string, int>& offsets) {
  renumberSectionNames(file, offsets);
  SymbolRenumbering(file, merged, offsets).run();
  file.cStrTbl = ownStringsRenumbered(file, offsets);
}
