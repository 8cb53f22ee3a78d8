// Pulling library members into a link. Each step imports the member that
// defines the smallest still-undefined name some library supplies, from the
// first library that supplies it, until no such name is left. Firmware
// links import thousands of members, so the names are kept up to date one
// member at a time instead of rescanning every input after each import.
#include <iostream>
#include <map>
#include <set>
#include <string>

#include "debug_switches.h"
#include "linker.h"
#include "linker_symbol_walk.h"
#include "qassert.h"

namespace {

// The external names of the inputs so far: those defined, and those
// referenced but not defined that some library can supply (the others can
// never be imported, so they are not kept).
class WantedNames {
 public:
  // For each name, the first library, in the order named, that defines it.
  explicit WantedNames(const std::vector<std::unique_ptr<Archive>>& libraries) {
    for (const auto& library : libraries)
      for (const auto& entry : library->cSymbols) cSupplier.emplace(entry.first, library.get());
  }

  // Takes in one more input's symbols.
  void add(const Coff& object) {
    forEachPrimarySymbol(object, [this, &object](size_t, const SymbolEntry& symbol) {
      if (Coff::isDefinedGlobal(symbol)) {
        std::string name = Coff::getName(symbol, object.cStrTbl);
        cWanted.erase(name);
        cDefined.insert(std::move(name));
      } else if (Coff::isExternRef(symbol)) {
        std::string name = Coff::getName(symbol, object.cStrTbl);
        if (cDefined.count(name) == 0 && cSupplier.count(name) != 0)
          cWanted.insert(std::move(name));
      }
    });
  }

  bool empty() const { return cWanted.empty(); }
  const std::string& first() const { return *cWanted.begin(); }
  const Archive& supplierOf(const std::string& name) const { return *cSupplier.at(name); }
  bool defines(const std::string& name) const { return cDefined.count(name) != 0; }

 private:
  std::map<std::string, const Archive*> cSupplier;
  std::set<std::string> cDefined;
  std::set<std::string> cWanted;
};

void traceImport(const Archive& library, const Coff& member, const std::string& symbol) {
  std::cout << "Linker::importLibraryMembers() - imported library '" << library.cName
            << "', member '" << member.cName << "' for symbol '" << symbol << "'." << std::endl;
}

}  // namespace

int Linker::importLibraryMembers(std::string& error) {
  WantedNames names(cArchives);
  for (const auto& object : cCoff) names.add(*object);
  while (!names.empty()) {
    const std::string symbol = names.first();
    const Archive& library = names.supplierOf(symbol);
    std::unique_ptr<Coff> member = library.getMember(symbol);
    if (!member) {
      error = "out of memory";
      return 0;
    }
    // Later phases index a member's tables by its relocations and line
    // entries just as an object file's; it is checked the same way.
    if (member->verify() == 0) return 0;
    if (traceOn("Linker::importLibraryMembers")) traceImport(library, *member, symbol);
    names.add(*member);
    // The library's index holds only names its member defines.
    QOR_ASSERT(names.defines(symbol));
    cCoff.push_back(std::move(member));
  }
  return 1;
}
