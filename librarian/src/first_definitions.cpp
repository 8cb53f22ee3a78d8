#include "first_definitions.h"

#include <functional>

size_t FirstDefinitions::hashOf(std::string_view name) {
  return std::hash<std::string_view>{}(name);
}

void FirstDefinitions::clear(size_t expected) {
  cFirst.clear();
  cFirst.reserve(expected);
}

bool FirstDefinitions::take(std::string_view name, size_t hash, const std::string* member) {
  return cFirst.emplace(Key{name, hash}, member).second;
}

std::map<std::string, std::string> FirstDefinitions::byName() const {
  std::map<std::string, std::string> names;
  for (const auto& [key, member] : cFirst) names.emplace(key.name, *member);
  return names;
}
