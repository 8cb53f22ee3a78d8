// Section and symbol names: inline in the 8-byte name field, or in the
// string table. A name that should be in the table and is not cannot be
// recovered from, so it ends the program.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "coff.h"
#include "diagnostics.h"
#include "string_index.h"

namespace {

constexpr size_t INLINE_NAME_LENGTH = 8;

std::string inlineName(const NameField& field) {
  return std::string(field.bytes, field.bytes + field.inlineLength());
}

[[noreturn]] void fatal(const char* context, const std::string& message) {
  reportMessage(SEVERITY_ERROR, context, message, 1);
  // reportMessage ends the program on a fatal report.
  std::abort();
}

std::string lookUp(uint32_t offset, const StringTable& strTbl, const char* missingMessage) {
  if (offset <= static_cast<uint32_t>(INT_MAX)) {
    const auto found = strTbl.find(static_cast<int>(offset));
    if (found != strTbl.end()) return found->second;
  }
  fatal("Coff::getName()", missingMessage);
}

std::string nameOf(const NameField& field, const StringTable& strTbl, const char* missingMessage) {
  if (!field.inStringTable()) return inlineName(field);
  return lookUp(field.offset(), strTbl, missingMessage);
}

// A long name's offset comes from `firstOffset`, which answers the first
// offset (in offset order) of a string, or none.
template <typename FirstOffset>
void setNameWith(NameField& field, const std::string& name, const char* what,
                 FirstOffset firstOffset) {
  if (name.size() <= INLINE_NAME_LENGTH) {
    std::memset(field.bytes, 0, INLINE_NAME_LENGTH);
    std::memcpy(field.bytes, name.data(), name.size());
    return;
  }
  if (const std::optional<int> offset = firstOffset(name)) {
    field.setOffset(static_cast<uint32_t>(*offset));
    return;
  }
  fatal("Coff::setName()",
        std::string("Could not find ") + what + " name '" + name + "' in string table.");
}

void setNameField(NameField& field, const StringTable& strTbl, const std::string& name,
                  const char* what) {
  setNameWith(field, name, what, [&strTbl](const std::string& text) -> std::optional<int> {
    for (const auto& [offset, stored] : strTbl)
      if (stored == text) return offset;
    return std::nullopt;
  });
}

void setNameField(NameField& field, const StringIndex& names, const std::string& name,
                  const char* what) {
  setNameWith(field, name, what, [&names](const std::string& text) { return names.find(text); });
}

}  // namespace

std::string Coff::getName(const SectionHeader& header, const StringTable& strTbl) {
  return nameOf(header._s_name, strTbl, "Unable to find section name in string table.");
}

std::string Coff::getName(const SymbolEntry& symbol, const StringTable& strTbl) {
  return nameOf(symbol._n_name, strTbl, "Unable to find symbol name in string table.");
}

std::string Coff::getName(const AuxFile& aux, const StringTable& strTbl) {
  return lookUp(aux.x_offset, strTbl, "Unable to find aux_file name in string table.");
}

void Coff::setName(SectionHeader& header, const StringTable& strTbl, const std::string& name) {
  setNameField(header._s_name, strTbl, name, "section");
}

void Coff::setName(SymbolEntry& symbol, const StringTable& strTbl, const std::string& name) {
  setNameField(symbol._n_name, strTbl, name, "symbol");
}

void Coff::setIndexedName(SectionHeader& header, const StringIndex& names,
                          const std::string& name) {
  setNameField(header._s_name, names, name, "section");
}

void Coff::setIndexedName(SymbolEntry& symbol, const StringIndex& names, const std::string& name) {
  setNameField(symbol._n_name, names, name, "symbol");
}

int Coff::nameInStringTable(const SectionHeader& header) {
  return header._s_name.inStringTable() ? 1 : 0;
}

int Coff::nameInStringTable(const SymbolEntry& symbol) {
  return symbol._n_name.inStringTable() ? 1 : 0;
}
