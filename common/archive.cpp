#include "archive.h"

#include <iomanip>
#include <iostream>
#include <new>

#include "coff.h"
#include "debug_switches.h"
#include "diagnostics.h"
#include "qassert.h"

Archive::Archive(const Archive& other) : cName(other.cName) {
  copyMembersFrom(other);
  makeSymbols();
}

Archive& Archive::operator=(const Archive& other) {
  if (this != &other) {
    // The index points into the members: drop it first.
    cSymbols.clear();
    cMembers.clear();
    cName = other.cName;
    copyMembersFrom(other);
    makeSymbols();
  }
  return *this;
}

void Archive::copyMembersFrom(const Archive& other) {
  cMembers.reserve(other.cMembers.size());
  for (const auto& member : other.cMembers) cMembers.push_back(std::make_unique<Coff>(*member));
}

namespace {

void traceSymbols(const std::map<std::string, Coff*>& symbols) {
  std::cout << "  Symbols: " << std::endl;
  for (const auto& [name, member] : symbols) {
    std::cout << "    " << std::left << std::setw(15) << name << std::right << " -> "
              << member->cName << std::endl;
  }
}

}  // namespace

int Archive::makeSymbols() {
  cSymbols.clear();
  int result = 1;
  for (const auto& owned : cMembers) {
    Coff* member = owned.get();
    QOR_ASSERT(member->cAuxType.size() == member->cSymTbl.size());
    for (size_t i = 0; i < member->cSymTbl.size(); ++i) {
      if (member->cAuxType[i] != 0) continue;
      const SymbolEntry& symbol = member->cSymTbl[i];
      if (!Coff::isDefinedGlobal(symbol)) continue;
      std::string name = Coff::getName(symbol, member->cStrTbl);
      if (!cSymbols.emplace(name, member).second) {
        reportError("Archive::makeSymbols()", "Symbol '", name, "' has multiple external definitions.");
        result = 0;
      }
    }
  }
  if (traceOn("Archive::makeSymbols")) traceSymbols(cSymbols);
  return result;
}

int Archive::hasSymbol(const std::string& symbol) const { return cSymbols.count(symbol) != 0 ? 1 : 0; }

std::unique_ptr<Coff> Archive::getMember(const std::string& symbol) const {
  auto found = cSymbols.find(symbol);
  if (found == cSymbols.end()) return nullptr;
  return std::unique_ptr<Coff>(new (std::nothrow) Coff(*found->second));
}

void Archive::dump(std::ostream& out) const {
  out << "Archive: " << std::endl;
  out << "  Symbols: " << std::endl;
  for (const auto& [name, member] : cSymbols) {
    out << "    '" << name << "' -> " << member->cName << std::endl;
  }
  out << std::endl;
  out << "  Members: " << std::endl;
  for (size_t i = 0; i < cMembers.size(); ++i) {
    out << "    Member[" << i << "] = " << std::endl;
    cMembers[i]->dump(out);
    out << std::endl;
  }
}
