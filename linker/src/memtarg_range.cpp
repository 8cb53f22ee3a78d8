// A piece of a memory: fit tests, the split of a hole when a section takes
// it, and the record of where each input file's part of the section lies.
#include <cstdint>

#include "memtarg.h"
#include "qassert.h"

Range::Range() : Range(0, 0, 1, 8) {}

Range::Range(uint32_t start, uint32_t size, uint8_t type, uint16_t widthBits)
    : cStart(start), cSize(size), pc(start), type(type), cWidthBits(widthBits) {}

uint32_t Range::getEnd() const {
  QOR_ASSERT(cSize > 0);
  return cStart + cSize - 1;
}

uint16_t Range::getWidthBits() const {
  QOR_ASSERT(cWidthBits);
  return cWidthBits;
}

uint32_t Range::bytesPerLoc() const {
  QOR_ASSERT(cWidthBits);
  return (cWidthBits + 7u) >> 3;
}

uint32_t Range::sizeInBytes() const {
  // Saturates rather than wrapping for a span of more than 4 GiB, which
  // would otherwise look small or even empty.
  const uint64_t bytes = uint64_t{bytesPerLoc()} * cSize;
  return bytes > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(bytes);
}

uint32_t Range::locs(uint32_t length) const {
  // Without the usual (length + n - 1) / n, which wraps for huge lengths.
  const uint32_t perLoc = bytesPerLoc();
  return length / perLoc + (length % perLoc != 0 ? 1 : 0);
}

uint64_t Range::alignedStart(uint16_t alignment) const {
  const uint64_t step = alignment == 0 ? 1 : alignment;  // 0 asks for nothing
  return (cStart + step - 1) / step * step;
}

int Range::canFit(uint32_t length, uint16_t alignment) const {
  if (length == 0) return 1;
  if (sizeInBytes() == 0) return 0;
  const uint64_t first = alignedStart(alignment);
  const uint64_t last = getEnd();
  if (first > last) return 0;
  return (last - first + 1) * bytesPerLoc() >= length ? 1 : 0;
}

int Range::canFit(uint32_t start, uint32_t length) const {
  if (length == 0) return 1;
  if (sizeInBytes() == 0) return 0;
  return start >= cStart && uint64_t{start} + locs(length) - 1 <= getEnd() ? 1 : 0;
}

int Range::allocate(const std::string& name, uint32_t start, uint32_t length,
                    std::list<Range>& leftovers, int isOverlay) {
  QOR_ASSERT(!isAllocated());
  // clang-format off
  QOR_ASSERT(canFit(start,length));
  // clang-format on
  allocName = name;
  this->isOverlay = isOverlay ? 1 : 0;
  if (length == 0) {
    // The section takes no location: the whole hole stays free.
    leftovers.emplace_back(cStart, cSize, type, cWidthBits);
    cSize = 0;
  } else {
    const uint32_t last = start + locs(length) - 1;
    const uint32_t oldEnd = getEnd();
    if (start != cStart) leftovers.emplace_back(cStart, start - cStart, type, cWidthBits);
    if (last != oldEnd) leftovers.emplace_back(last + 1, oldEnd - last, type, cWidthBits);
    cSize = locs(length);
  }
  cStart = start;
  pc = start;
  return 1;
}

void Range::load(const std::string& file, uint32_t length) {
  QOR_ASSERT(isAllocated());
  QOR_ASSERT(!isLoaded(file));
  if (length > 0) QOR_ASSERT(!loadComplete());
  loadedFiles.push_back(file);
  loadStart[file] = pc;
  loadSize[file] = length;
  if (cSize == 0) {
    if (!isOverlay) cLoadComplete = 1;
    return;
  }
  // The end check in 64 bits, so that a piece ending at the last address
  // does not wrap to 0.
  const auto getEnd = [this]() -> uint64_t { return Range::getEnd(); };
  const uint64_t newPc = uint64_t{pc} + locs(length);
  QOR_ASSERT(newPc <= (getEnd() + 1));
  if (isOverlay) return;  // every part starts at the same location
  pc = static_cast<uint32_t>(newPc);
  if (newPc > getEnd()) cLoadComplete = 1;
}

void Range::load(const std::string& file, uint32_t start, uint32_t length) {
  QOR_ASSERT(isAllocated());
  QOR_ASSERT(!isLoaded(file));
  QOR_ASSERT(!loadComplete());
  QOR_ASSERT(start == cStart);
  // An overlay piece has the size of its longest part; the others are shorter.
  if (!isOverlay) QOR_ASSERT(locs(length) == cSize);
  loadedFiles.push_back(file);
  loadStart[file] = cStart;
  loadSize[file] = length;
  if (isOverlay) return;
  cLoadComplete = 1;
  if (cSize > 0) pc = getEnd() + 1;
}

uint32_t Range::getLoadStart(const std::string& file) const {
  QOR_ASSERT(isLoaded(file));
  return loadStart.at(file);
}

uint32_t Range::getLoadSize(const std::string& file) const {
  QOR_ASSERT(isLoaded(file));
  return loadSize.at(file);
}
