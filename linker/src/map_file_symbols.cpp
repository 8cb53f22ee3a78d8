// The map file's symbol tables: every symbol with an address in a section,
// with the source file it belongs to, program symbols before data symbols.
#include <algorithm>

#include "linker_symbol_walk.h"
#include "map_file_parts.h"
#include "output_support.h"
#include "qassert.h"
#include "text_helpers.h"

namespace {

// The source file a ".file" symbol names in its aux entry; a ".file"
// without one still opens a (nameless) file, so that its ".eof" closes it
// and not the file around it.
std::string sourceFileOf(const Coff& output, size_t index) {
  if (!hasFileAux(output, index)) return "";
  return Coff::getName(AuxFile::from(output.cSymTbl[index + 1]), output.cStrTbl);
}

bool isListed(const SymbolEntry& symbol) {
  return symbol.n_scnum >= 1 &&
         (symbol.n_sclass == C_EXT || symbol.n_sclass == C_STAT || symbol.n_sclass == C_LABEL);
}

uint8_t locationOfSection(const Coff& output, int16_t sectionNumber) {
  const auto* section = sectionByNumber(output, sectionNumber);
  // The output was verified before its map is written: a symbol's section
  // is one of its own.
  QOR_ASSERT(section != nullptr);
  return locationOf(section->second);
}

SymbolInfo rowOf(const Coff& output, const SymbolEntry& symbol, const std::string& name,
                 const std::string& sourceFile) {
  const uint8_t storage = symbol.n_sclass == C_EXT ? 0 : 1;
  const uint8_t kind = Coff::isFunction(symbol) ? 0 : 1;
  return SymbolInfo(name, symbol.n_value, locationOfSection(output, symbol.n_scnum), storage, kind,
                    sourceFile);
}

void writeSymbolRow(std::ostream& out, const std::string& name, const std::string& address,
                    const std::string& location, const std::string& storage,
                    const std::string& file) {
  out << rightColumn(name, 25) << ' ' << rightColumn(address, 10) << ' '
      << rightColumn(location, 10) << ' ' << rightColumn(storage, 10) << ' ' << leftColumn(file, 25)
      << '\n';
}

void writeSymbolRows(std::ostream& out, const std::vector<SymbolInfo>& symbols) {
  for (const SymbolInfo& symbol : symbols) {
    writeSymbolRow(out, symbol.cName, formatHex(symbol.cAddress, 3), locationText(symbol.cLocation),
                   storageText(symbol.cStorageClass), symbol.cFile);
  }
}

template <typename Less>
void sortRows(MapRows<SymbolInfo>& symbols, Less less) {
  std::stable_sort(symbols.program.begin(), symbols.program.end(), less);
  std::stable_sort(symbols.data.begin(), symbols.data.end(), less);
}

}  // namespace

MapRows<SymbolInfo> collectSymbols(const Coff& output) {
  MapRows<SymbolInfo> symbols;
  // The files being read, innermost last: ".file" opens one, ".eof" closes
  // it.
  std::vector<std::string> files;
  // The output's own record of which slots are aux entries decides, so that
  // a symbol whose aux count and aux kind disagree is neither skipped nor
  // misread.
  forEachPrimarySymbol(output, [&](size_t i, const SymbolEntry& symbol) {
    const std::string name = Coff::getName(symbol, output.cStrTbl);
    if (name == ".file") files.push_back(sourceFileOf(output, i));
    // An ".eof" with no file open closes nothing.
    if (name == ".eof" && !files.empty()) files.pop_back();
    if (!isListed(symbol)) return;
    symbols.add(rowOf(output, symbol, name, files.empty() ? "" : files.back()));
  });
  return symbols;
}

// Stable sorts: rows of one key keep their earlier order, so that the
// address tables list the symbols of one address by name.
void sortByName(MapRows<SymbolInfo>& symbols) { sortRows(symbols, SymbolInfo::lessByName); }

void sortByAddress(MapRows<SymbolInfo>& symbols) { sortRows(symbols, SymbolInfo::lessByAddress); }

void writeSymbolTable(std::ostream& out, const char* title, const MapRows<SymbolInfo>& symbols) {
  out << "\n                              " << title << '\n';
  writeSymbolRow(out, "Name", "Address", "Location", "Storage", "File");
  const std::string rule = "---------";
  writeSymbolRow(out, rule, rule, rule, rule, rule);
  writeSymbolRows(out, symbols.program);
  writeSymbolRows(out, symbols.data);
  out << "\n\n";
}
