// Lookups over the memory lists while the sections of a link are placed:
// a list's memories by name, and its unprotected memories in best-fit
// order (smallest largest hole first, ties in list order). A list is
// indexed when first asked and kept up to date as sections are placed, so
// that placing one section neither sorts nor scans every memory again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>

#include "memtarg.h"

class Linker;

namespace allocation {

class PlacementIndex {
 public:
  // The first memory of that name in list order; null when there is none.
  Memory* find(std::list<Memory>& memories, const std::string& name);
  // Offers the list's unprotected memories in best-fit order, with their
  // largest holes, from the first whose largest hole is at least `atLeast`
  // bytes, until `take` accepts one; that one, or null.
  Memory* search(std::list<Memory>& memories, uint32_t atLeast,
                 const std::function<bool(Memory&, uint32_t)>& take);
  // The memory whose span holds the location, when the list's memories
  // are disjoint (as the command operations keep them): no other can take
  // a section that starts there. Null when none holds it; false when the
  // memories overlap and only a walk of the list can tell.
  bool holding(std::list<Memory>& memories, uint32_t location, Memory*& memory);
  // After a section was placed in the memory, whose largest hole may then
  // be smaller.
  void placed(const Memory& memory);

 private:
  using SizeKey = std::pair<uint32_t, std::size_t>;  // largest hole, list position
  struct ListIndex {
    std::unordered_map<std::string, Memory*> byName;
    std::map<SizeKey, Memory*> bySize;
    std::map<uint32_t, Memory*> byStart;  // empty when the memories overlap
  };
  struct Slot {
    ListIndex* list;
    SizeKey key;
  };

  ListIndex& indexOf(std::list<Memory>& memories);

  std::map<const std::list<Memory>*, ListIndex> cLists;
  std::unordered_map<const Memory*, Slot> cSlots;  // the memories of cLists' bySize
};

// Makes the index the linker's for the placement of one link.
class ScopedPlacementIndex {
 public:
  explicit ScopedPlacementIndex(Linker& linker);
  ~ScopedPlacementIndex();
  ScopedPlacementIndex(const ScopedPlacementIndex&) = delete;
  ScopedPlacementIndex& operator=(const ScopedPlacementIndex&) = delete;

 private:
  Linker& cLinker;
  PlacementIndex cIndex;
};

}  // namespace allocation
