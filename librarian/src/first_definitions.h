// The symbol index check of a library of many members: each defined
// external name with the member that defined it first. A table of views,
// so that tens of thousands of names cost no copy each (the names stay
// where they are: in the library's bytes, or with the caller), keyed by
// the hash the caller computed once.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>

class FirstDefinitions {
 public:
  static size_t hashOf(std::string_view name);

  // Forgets every name and makes room for `expected` of them.
  void clear(size_t expected);
  // Takes the name (with its hashOf) for the member; false when an
  // earlier member has it.
  bool take(std::string_view name, size_t hash, const std::string* member);
  // Every name with its member's name, in name order (for the trace).
  std::map<std::string, std::string> byName() const;

 private:
  struct Key {
    std::string_view name;
    size_t hash;
    bool operator==(const Key& other) const { return name == other.name; }
  };
  struct KeyHash {
    size_t operator()(const Key& key) const { return key.hash; }
  };

  std::unordered_map<Key, const std::string*, KeyHash> cFirst;
};
