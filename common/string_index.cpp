#include "string_index.h"

#include "qassert.h"

StringIndex::StringIndex(const StringTable& strTbl) {
  cFirst.reserve(strTbl.size());
  // In offset order, so the first offset of a repeated string stays.
  for (const auto& [offset, text] : strTbl) cFirst.emplace(text, offset);
}

void StringIndex::add(const StringTable& strTbl, int offset) {
  const auto added = strTbl.find(offset);
  QOR_ASSERT(added != strTbl.end());
  const auto [entry, inserted] = cFirst.emplace(added->second, offset);
  // A string added before an equal one that was there already comes first.
  if (!inserted && offset < entry->second) entry->second = offset;
}

std::optional<int> StringIndex::find(const std::string& text) const {
  const auto found = cFirst.find(text);
  if (found == cFirst.end()) return std::nullopt;
  return found->second;
}
