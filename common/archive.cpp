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

void reportMultipleDefinitions(const std::string& symbol) {
  reportError("Archive::makeSymbols()", "Symbol '", symbol, "' has multiple external definitions.");
}

void traceSymbolIndex(const std::map<std::string, std::string>& memberOfSymbol) {
  std::cout << "  Symbols: " << std::endl;
  for (const auto& [name, member] : memberOfSymbol) {
    std::cout << "    " << std::left << std::setw(15) << name << std::right << " -> " << member
              << std::endl;
  }
}

void forEachDefinedGlobal(const Coff& member, const std::function<void(const std::string&)>& take) {
  QOR_ASSERT(member.cAuxType.size() == member.cSymTbl.size());
  for (size_t i = 0; i < member.cSymTbl.size(); ++i) {
    if (member.cAuxType[i] != 0) continue;
    const SymbolEntry& symbol = member.cSymTbl[i];
    if (Coff::isDefinedGlobal(symbol)) take(Coff::getName(symbol, member.cStrTbl));
  }
}

int Archive::makeSymbols() {
  cSymbols.clear();
  int result = 1;
  for (const auto& member : cMembers) {
    forEachDefinedGlobal(*member, [&](const std::string& name) {
      if (cSymbols.try_emplace(name, member.get()).second) return;
      reportMultipleDefinitions(name);
      result = 0;
    });
  }
  if (traceOn("Archive::makeSymbols")) {
    std::map<std::string, std::string> memberOfSymbol;
    for (const auto& [name, member] : cSymbols) memberOfSymbol.emplace(name, member->cName);
    traceSymbolIndex(memberOfSymbol);
  }
  return result;
}

int Archive::hasSymbol(const std::string& symbol) const {
  return cSymbols.count(symbol) != 0 ? 1 : 0;
}

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
