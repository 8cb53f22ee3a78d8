// A string table looked up by text: the first offset, in offset order, at
// which each string stands. Coff::setName takes a long name's offset from
// the table; a search of the whole table for each name made the output of
// a link, with its thousands of long section names, cost the names times
// the strings.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "coff.h"

class StringIndex {
 public:
  // The strings of the table; the index refers to them, so the table must
  // keep every indexed string, unchanged, for as long as the index is used.
  explicit StringIndex(const StringTable& strTbl);

  // The string that the table just gained at `offset` (taken from the table).
  void add(const StringTable& strTbl, int offset);
  // The first offset of `text`; none when the table does not hold it.
  std::optional<int> find(const std::string& text) const;

 private:
  std::unordered_map<std::string_view, int> cFirst;
};
