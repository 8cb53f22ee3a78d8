// The index of the memory lists that section placement asks.
#include <iterator>

#include "linker.h"
#include "placement_index.h"

namespace allocation {

PlacementIndex::ListIndex& PlacementIndex::indexOf(std::list<Memory>& memories) {
  const auto known = cLists.find(&memories);
  if (known != cLists.end()) return known->second;
  ListIndex& index = cLists[&memories];
  std::size_t position = 0;
  for (Memory& memory : memories) {
    // A share bank name may repeat: the first of the list is the one meant.
    index.byName.emplace(memory.getName(), &memory);
    if (!memory.isProtected()) {
      const SizeKey key(memory.largestHole(), position);
      index.bySize.emplace(key, &memory);
      cSlots[&memory] = Slot{&index, key};
    }
    ++position;
  }
  for (Memory& memory : memories) index.byStart.emplace(memory.getStart(), &memory);
  // Disjoint when each memory ends before the next one starts.
  const Memory* previous = nullptr;
  for (const auto& [start, memory] : index.byStart) {
    if (memory->getEnd() < start || (previous != nullptr && previous->getEnd() >= start)) {
      index.byStart.clear();
      break;
    }
    previous = memory;
  }
  if (index.byStart.size() != memories.size()) index.byStart.clear();
  return index;
}

Memory* PlacementIndex::find(std::list<Memory>& memories, const std::string& name) {
  const ListIndex& index = indexOf(memories);
  const auto found = index.byName.find(name);
  return found == index.byName.end() ? nullptr : found->second;
}

Memory* PlacementIndex::search(std::list<Memory>& memories, uint32_t atLeast,
                               const std::function<bool(Memory&, uint32_t)>& take) {
  const ListIndex& index = indexOf(memories);
  for (auto entry = index.bySize.lower_bound(SizeKey(atLeast, 0)); entry != index.bySize.end();
       ++entry) {
    if (take(*entry->second, entry->first.first)) return entry->second;
  }
  return nullptr;
}

bool PlacementIndex::holding(std::list<Memory>& memories, uint32_t location, Memory*& memory) {
  const ListIndex& index = indexOf(memories);
  memory = nullptr;
  if (index.byStart.empty()) return memories.empty();
  auto after = index.byStart.upper_bound(location);
  if (after == index.byStart.begin()) return true;
  Memory* candidate = std::prev(after)->second;
  if (location <= candidate->getEnd()) memory = candidate;
  return true;
}

void PlacementIndex::placed(const Memory& memory) {
  const auto slot = cSlots.find(&memory);
  if (slot == cSlots.end()) return;
  Slot& held = slot->second;
  const SizeKey key(memory.largestHole(), held.key.second);
  if (key == held.key) return;
  auto node = held.list->bySize.extract(held.key);
  node.key() = key;
  held.list->bySize.insert(std::move(node));
  held.key = key;
}

ScopedPlacementIndex::ScopedPlacementIndex(Linker& linker) : cLinker(linker) {
  cLinker.cPlacementIndex = &cIndex;
}

ScopedPlacementIndex::~ScopedPlacementIndex() { cLinker.cPlacementIndex = nullptr; }

}  // namespace allocation
