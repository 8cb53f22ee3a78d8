#include "first_definitions.h"

#include <algorithm>
#include <bit>
#include <functional>

#include "qassert.h"

size_t FirstDefinitions::hashOf(std::string_view name) {
  return std::hash<std::string_view>{}(name);
}

void FirstDefinitions::clear(size_t expected) {
  cEntries.clear();
  cEntries.reserve(expected);
  cSlots.assign(std::max(cSlots.size(), std::bit_ceil(2 * expected + 16)), 0);
}

// Where the name stands, or the empty slot where it would go.
size_t FirstDefinitions::slotOf(std::string_view name, size_t hash) const {
  const size_t mask = cSlots.size() - 1;
  for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const uint32_t held = cSlots[slot];
    if (held == 0) return slot;
    const Entry& entry = cEntries[held - 1];
    if (entry.hash == hash && entry.name == name) return slot;
  }
}

bool FirstDefinitions::take(std::string_view name, size_t hash, const std::string* member) {
  const size_t slot = slotOf(name, hash);
  if (cSlots[slot] != 0) return false;
  QOR_ASSERT(cEntries.size() < UINT32_MAX);
  cEntries.push_back({name, hash, member});
  cSlots[slot] = static_cast<uint32_t>(cEntries.size());
  // At most half full, so that every search ends soon at an empty slot.
  if (2 * cEntries.size() > cSlots.size()) grow();
  return true;
}

void FirstDefinitions::grow() {
  cSlots.assign(2 * cSlots.size(), 0);
  for (size_t k = 0; k < cEntries.size(); ++k)
    cSlots[slotOf(cEntries[k].name, cEntries[k].hash)] = static_cast<uint32_t>(k + 1);
}

std::map<std::string, std::string> FirstDefinitions::byName() const {
  std::map<std::string, std::string> names;
  for (const Entry& entry : cEntries) names.emplace(entry.name, *entry.member);
  return names;
}
