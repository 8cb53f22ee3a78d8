// Placement of sections in a memory: best fit over the free holes, or at a
// given location, and the queries that later phases make of the result.
#include <algorithm>
#include <iterator>
#include <utility>

#include "memtarg.h"
#include "qassert.h"

Memory::Memory() { cLeftovers.emplace_back(0, 1, 1, 0); }

Memory::Memory(const std::string& name, uint32_t start, uint32_t end, uint8_t type,
               uint32_t isProtected, uint32_t hasFill, const std::string& fill)
    : name(name),
      type(type),
      cProtected(isProtected),
      cHasFill(hasFill),
      fill(fill),
      start(start),
      end(end) {
  cLeftovers.emplace_back(start, end - start + 1, type, 0);
}

int Memory::overlaps(const Memory& a, const Memory& b) {
  return std::max(a.start, b.start) <= std::min(a.end, b.end) ? 1 : 0;
}

void Memory::forEachFreeHole(const std::function<void(const Range&)>& visit) const {
  for (const auto& [key, hole] : cSortedHoles) visit(hole);
  for (const Range& hole : cLeftovers) visit(hole);
}

// The holes go back into the free list's tail in the order they have,
// unsorted: their sizes change with the width, and the next placement sorts
// the whole list afresh, as the first one does.
void Memory::setWidthBits(uint16_t bits) {
  std::list<Range> holes;
  for (auto& [key, hole] : cSortedHoles) holes.push_back(std::move(hole));
  holes.splice(holes.end(), cLeftovers);
  cLeftovers = std::move(holes);
  cSortedHoles.clear();
  cSortedByStart.clear();
  for (Range& hole : cLeftovers) hole.setWidthBits(bits);
}

// A stable sort of the whole free list: each leftover goes behind the
// holes of its size or less, in the order the leftovers came.
void Memory::sortInLeftovers() {
  for (Range& hole : cLeftovers) {
    const SizeKey key(hole.sizeInBytes(), cArrivals++);
    cSortedByStart[hole.getStart()] = key;
    cSortedHoles.emplace(key, std::move(hole));
  }
  cLeftovers.clear();
}

int Memory::canFit(uint32_t length, uint16_t alignment) const {
  const auto fits = [&](const Range& hole) { return hole.canFit(length, alignment); };
  if (std::any_of(cLeftovers.begin(), cLeftovers.end(), fits)) return 1;
  // No hole smaller than the section takes it (a zero length fits any).
  return std::any_of(cSortedHoles.lower_bound(SizeKey(length, 0)), cSortedHoles.end(),
                     [&](const auto& entry) { return fits(entry.second); })
             ? 1
             : 0;
}

int Memory::canFit(uint32_t start, uint32_t length) const {
  const auto fits = [&](const Range& hole) { return hole.canFit(start, length); };
  if (std::any_of(cLeftovers.begin(), cLeftovers.end(), fits)) return 1;
  if (length == 0) return cSortedHoles.empty() ? 0 : 1;
  // Only the hole that holds the start can hold the section.
  auto holding = cSortedByStart.upper_bound(start);
  if (holding == cSortedByStart.begin()) return 0;
  return fits(cSortedHoles.at(std::prev(holding)->second)) ? 1 : 0;
}

std::map<Memory::SizeKey, Range>::iterator Memory::holeBySize(uint32_t length, uint16_t alignment) {
  sortInLeftovers();
  auto hole = cSortedHoles.lower_bound(SizeKey(length, 0));
  while (hole != cSortedHoles.end() && !hole->second.canFit(length, alignment)) ++hole;
  const bool found = hole != cSortedHoles.end();
  QOR_ASSERT(found);
  return hole;
}

std::map<Memory::SizeKey, Range>::iterator Memory::holeAt(uint32_t start, uint32_t length) {
  sortInLeftovers();
  // A zero length fits the first hole of all, wherever it is.
  auto hole = cSortedHoles.begin();
  if (length != 0) {
    const auto holding = cSortedByStart.upper_bound(start);
    hole = holding == cSortedByStart.begin() ? cSortedHoles.end()
                                             : cSortedHoles.find(std::prev(holding)->second);
  }
  const bool found = hole != cSortedHoles.end() && hole->second.canFit(start, length);
  QOR_ASSERT(found);
  return hole;
}

void Memory::takeHole(std::map<SizeKey, Range>::iterator hole, const std::string& secName,
                      uint32_t start, uint32_t length, int isOverlay) {
  Range piece = std::move(hole->second);
  cSortedByStart.erase(piece.getStart());
  cSortedHoles.erase(hole);
  piece.allocate(secName, start, length, cLeftovers, isOverlay);
  allocatedRanges.emplace(secName, std::move(piece));
}

int Memory::allocate(const std::string& secName, uint32_t length, int isOverlay,
                     uint16_t alignment) {
  QOR_ASSERT(!isAllocated(secName));
  // clang-format off
  QOR_ASSERT(canFit(length,alignment));
  // clang-format on
  const auto hole = holeBySize(length, alignment);
  takeHole(hole, secName, static_cast<uint32_t>(hole->second.alignedStart(alignment)), length,
           isOverlay);
  return 1;
}

int Memory::allocate(const std::string& secName, uint32_t start, uint32_t length, int isOverlay) {
  QOR_ASSERT(!isAllocated(secName));
  // clang-format off
  QOR_ASSERT(canFit(start,length));
  // clang-format on
  takeHole(holeAt(start, length), secName, start, length, isOverlay);
  return 1;
}

int Memory::isAllocated(const std::string& secName) const {
  return allocatedRanges.count(secName) ? 1 : 0;
}

int Memory::isLoaded(const std::string& file, const std::string& secName) const {
  const auto piece = allocatedRanges.find(secName);
  return piece != allocatedRanges.end() && piece->second.isLoaded(file) ? 1 : 0;
}

Range& Memory::loadablePiece(const std::string& file, const std::string& secName) {
  QOR_ASSERT(isAllocated(secName));
  // clang-format off
  QOR_ASSERT(!isLoaded(file,secName));
  // clang-format on
  return allocatedRanges.at(secName);
}

void Memory::load(const std::string& file, const std::string& secName, uint32_t length) {
  loadablePiece(file, secName).load(file, length);
}

void Memory::load(const std::string& file, const std::string& secName, uint32_t start,
                  uint32_t length) {
  loadablePiece(file, secName).load(file, start, length);
}

uint32_t Memory::getAllocStart(const std::string& secName) const {
  QOR_ASSERT(isAllocated(secName));
  return allocatedRanges.at(secName).getStart();
}

uint32_t Memory::getAllocSize(const std::string& secName) const {
  QOR_ASSERT(isAllocated(secName));
  return allocatedRanges.at(secName).sizeInBytes();
}

uint32_t Memory::getLoadStart(const std::string& file, const std::string& secName) const {
  // clang-format off
  QOR_ASSERT(isLoaded(file,secName));
  // clang-format on
  return allocatedRanges.at(secName).getLoadStart(file);
}

uint32_t Memory::getLoadSize(const std::string& file, const std::string& secName) const {
  // clang-format off
  QOR_ASSERT(isLoaded(file,secName));
  // clang-format on
  return allocatedRanges.at(secName).getLoadSize(file);
}

int Memory::loadComplete() const {
  return std::all_of(allocatedRanges.begin(), allocatedRanges.end(),
                     [](const auto& entry) { return entry.second.loadComplete(); });
}

uint32_t Memory::largestHole() const {
  uint32_t largest = cSortedHoles.empty() ? 0 : cSortedHoles.rbegin()->first.first;
  for (const Range& hole : cLeftovers) largest = std::max(largest, hole.sizeInBytes());
  return largest;
}

void Memory::forEachFillHole(const FillHoleCallback& callback, void* userData) const {
  if (!cHasFill) return;
  forEachFreeHole([&](const Range& hole) {
    // A span of 2^32 locations, or an END below START, wraps around the
    // address space: such a hole has no end to report, and filling it
    // would ask for gigabytes.
    if (hole.sizeInBytes() == 0 || hole.getEnd() < hole.getStart()) return;
    callback(userData, *this, hole.getStart(), hole.getEnd(), fill);
  });
}
