// The symbol index check of a library of many members: each defined
// external name with the member that defined it first. An open-addressing
// table of views, so that tens of thousands of names cost no allocation
// each (the names stay where they are: in the library's bytes, or with
// the caller).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class FirstDefinitions {
 public:
  static size_t hashOf(std::string_view name);

  // Forgets every name; the table keeps its room for the next check.
  void clear(size_t expected);
  // Takes the name (with its hashOf) for the member; false when an
  // earlier member has it.
  bool take(std::string_view name, size_t hash, const std::string* member);
  // Every name with its member's name, in name order (for the trace).
  std::map<std::string, std::string> byName() const;

 private:
  struct Entry {
    std::string_view name;
    size_t hash;
    const std::string* member;
  };
  void grow();
  size_t slotOf(std::string_view name, size_t hash) const;

  std::vector<Entry> cEntries;
  std::vector<uint32_t> cSlots = std::vector<uint32_t>(16, 0);  // 0 empty, else index + 1
};
