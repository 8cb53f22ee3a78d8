// Placement of sections in a memory: best fit over the free holes, or at a
// given location, and the queries that later phases make of the result.
#include <algorithm>

#include "memtarg.h"
#include "qassert.h"

Memory::Memory() { unallocatedRanges.emplace_back(0, 1, 1, 0); }

Memory::Memory(const std::string& name, uint32_t start, uint32_t end, uint8_t type,
               uint32_t isProtected, uint32_t hasFill, const std::string& fill)
    : name(name),
      type(type),
      cProtected(isProtected),
      cHasFill(hasFill),
      fill(fill),
      start(start),
      end(end) {
  unallocatedRanges.emplace_back(start, end - start + 1, type, 0);
}

int Memory::overlaps(const Memory& a, const Memory& b) {
  return std::max(a.start, b.start) <= std::min(a.end, b.end) ? 1 : 0;
}

void Memory::setWidthBits(uint16_t bits) {
  for (Range& hole : unallocatedRanges) hole.setWidthBits(bits);
}

int Memory::canFit(uint32_t length, uint16_t alignment) const {
  return std::any_of(unallocatedRanges.begin(), unallocatedRanges.end(),
                     [&](const Range& hole) { return hole.canFit(length, alignment); });
}

int Memory::canFit(uint32_t start, uint32_t length) const {
  return std::any_of(unallocatedRanges.begin(), unallocatedRanges.end(),
                     [&](const Range& hole) { return hole.canFit(start, length); });
}

std::list<Range>::iterator Memory::chooseHole(const std::function<bool(const Range&)>& fits) {
  // Smallest first; the stable sort keeps holes of one size in the order
  // they had, which decides the choice between them. The free list keeps
  // this order: the fill sections are numbered by it.
  unallocatedRanges.sort(
      [](const Range& a, const Range& b) { return a.sizeInBytes() < b.sizeInBytes(); });
  const auto hole = std::find_if(unallocatedRanges.begin(), unallocatedRanges.end(), fits);
  const bool found = hole != unallocatedRanges.end();
  QOR_ASSERT(found);
  return hole;
}

void Memory::takeHole(std::list<Range>::iterator hole, const std::string& secName,
                      uint32_t start, uint32_t length, int isOverlay) {
  std::list<Range> leftovers;
  hole->allocate(secName, start, length, leftovers, isOverlay);
  allocatedRanges.emplace(secName, *hole);
  unallocatedRanges.erase(hole);
  unallocatedRanges.splice(unallocatedRanges.end(), leftovers);
}

int Memory::allocate(const std::string& secName, uint32_t length, int isOverlay,
                     uint16_t alignment) {
  QOR_ASSERT(!isAllocated(secName));
  // clang-format off
  QOR_ASSERT(canFit(length,alignment));
  // clang-format on
  const auto hole =
      chooseHole([&](const Range& r) { return r.canFit(length, alignment); });
  takeHole(hole, secName, static_cast<uint32_t>(hole->alignedStart(alignment)), length,
           isOverlay);
  return 1;
}

int Memory::allocate(const std::string& secName, uint32_t start, uint32_t length,
                     int isOverlay) {
  QOR_ASSERT(!isAllocated(secName));
  // clang-format off
  QOR_ASSERT(canFit(start,length));
  // clang-format on
  const auto hole = chooseHole([&](const Range& r) { return r.canFit(start, length); });
  takeHole(hole, secName, start, length, isOverlay);
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
  uint32_t largest = 0;
  for (const Range& hole : unallocatedRanges) largest = std::max(largest, hole.sizeInBytes());
  return largest;
}

void Memory::forEachFillHole(const FillHoleCallback& callback, void* userData) const {
  if (!cHasFill) return;
  for (const Range& hole : unallocatedRanges) {
    // A span of 2^32 locations, or an END below START, wraps around the
    // address space: such a hole has no end to report, and filling it
    // would ask for gigabytes.
    if (hole.sizeInBytes() == 0 || hole.getEnd() < hole.getStart()) continue;
    callback(userData, *this, hole.getStart(), hole.getEnd(), fill);
  }
}
