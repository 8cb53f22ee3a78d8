// The target's memory as the linker command file describes it: each
// CODEPAGE, DATABANK, SHAREBANK or ACCESSBANK block is one Memory, which
// keeps its free holes and the pieces given to sections.
//
// Units: addresses, starts, sizes and the load pointer count locations
// (one program word of a code page, one byte of a data bank); every length
// a caller passes counts bytes. A location holds (width bits + 7) >> 3
// bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <ostream>
#include <string>
#include <utility>

// One contiguous piece of a Memory: a free hole, or the piece of one section
// together with the record of which input file's part of it lies where.
class Range {
 public:
  Range();  // (0, 0, ram, 8 bits)
  Range(uint32_t start, uint32_t size, uint8_t type, uint16_t widthBits);

  uint32_t getStart() const { return cStart; }
  uint32_t getEnd() const;  // inclusive; the piece must have a location
  uint16_t getWidthBits() const;
  void setWidthBits(uint16_t bits) { cWidthBits = bits; }
  uint32_t bytesPerLoc() const;
  uint32_t sizeInBytes() const;
  uint32_t locs(uint32_t length) const;  // locations that length bytes take
  // First multiple of alignment at or above the start; 64 bits, so that a
  // start aligned past the last address stays recognisably too big.
  uint64_t alignedStart(uint16_t alignment) const;

  int isAllocated() const { return allocName.empty() ? 0 : 1; }
  // Can a section of length bytes go here at a multiple of alignment?
  int canFit(uint32_t length, uint16_t alignment) const;
  // Can a section of length bytes start at location start here?
  int canFit(uint32_t start, uint32_t length) const;
  // Turns this hole into the piece of section name at start; the remainder
  // of the hole is appended to leftovers as new free holes.
  int allocate(const std::string& name, uint32_t start, uint32_t length,
               std::list<Range>& leftovers, int isOverlay);

  int isLoaded(const std::string& file) const { return loadStart.count(file) ? 1 : 0; }
  void load(const std::string& file, uint32_t length);                  // at the load pointer
  void load(const std::string& file, uint32_t start, uint32_t length);  // absolute
  uint32_t getLoadStart(const std::string& file) const;
  uint32_t getLoadSize(const std::string& file) const;  // bytes
  int loadComplete() const { return cLoadComplete ? 1 : 0; }

  void dump(std::ostream& out) const;

 private:
  std::string allocName;  // owning section; empty for a free hole
  uint32_t cStart = 0;
  uint32_t cSize = 0;  // locations; 0 for a zero-length section
  uint32_t pc = 0;     // where the next sequential part is loaded
  uint8_t type = 1;    // 0 rom, else ram
  uint16_t cWidthBits = 8;
  uint32_t isOverlay = 0;  // every part loads at the piece's start
  uint32_t cLoadComplete = 0;
  std::list<std::string> loadedFiles;         // in load order
  std::map<std::string, uint32_t> loadStart;  // per file, a location
  std::map<std::string, uint32_t> loadSize;   // per file, bytes
};

class Memory;

// Called once per free hole of a memory with FILL=: (user data, the memory,
// first location, last location, the FILL text).
using FillHoleCallback = std::function<void(void* userData, const Memory& memory, uint32_t start,
                                            uint32_t end, const std::string& fill)>;

// One memory block of the command file. The linker points at its memories
// once sections are placed, so a Memory must stay where it is from then on.
class Memory {
 public:
  Memory();
  Memory(const std::string& name, uint32_t start, uint32_t end, uint8_t type, uint32_t isProtected,
         uint32_t hasFill, const std::string& fill);

  std::string getName() const { return name; }
  uint32_t getStart() const { return start; }
  uint32_t getEnd() const { return end; }
  int isRam() const { return type; }
  int isProtected() const { return cProtected ? 1 : 0; }
  int hasFill() const { return cHasFill ? 1 : 0; }
  std::string getFill() const { return fill; }
  uint32_t getSize() const { return end - start + 1; }  // locations
  // Do the two address spans share a location?
  static int overlaps(const Memory& a, const Memory& b);

  // Must be called before any size query or allocation.
  void setWidthBits(uint16_t bits);

  int canFit(uint32_t length, uint16_t alignment) const;
  int canFit(uint32_t start, uint32_t length) const;
  // Best fit: the smallest free hole that takes the section.
  int allocate(const std::string& secName, uint32_t length, int isOverlay, uint16_t alignment);
  // At a given location.
  int allocate(const std::string& secName, uint32_t start, uint32_t length, int isOverlay);

  int isAllocated(const std::string& secName) const;
  int isLoaded(const std::string& file, const std::string& secName) const;
  void load(const std::string& file, const std::string& secName, uint32_t length);
  void load(const std::string& file, const std::string& secName, uint32_t start, uint32_t length);
  uint32_t getAllocStart(const std::string& secName) const;  // a location
  uint32_t getAllocSize(const std::string& secName) const;   // bytes
  uint32_t getLoadStart(const std::string& file, const std::string& secName) const;
  uint32_t getLoadSize(const std::string& file, const std::string& secName) const;
  int loadComplete() const;
  uint32_t largestHole() const;  // bytes; 0 when nothing is free

  // Nothing unless the memory has FILL=; the holes come in free-list order.
  void forEachFillHole(const FillHoleCallback& callback, void* userData) const;
  // This memory's table of the partial map.
  void printMap(std::ostream& out, int withHeader) const;
  void dump(std::ostream& out) const;

 private:
  // The free list is kept sorted by size, smallest first, ties in the
  // order the holes had; each placement takes the first hole that fits
  // and appends what is left of it. Those leftovers stay behind the sorted
  // holes until the next placement sorts them in, which is the order the
  // free list shows (the fill numbers its sections by it). The holes are
  // indexed by size and by start, so that a memory cut into thousands of
  // holes is not sorted and searched whole for each section.
  using SizeKey = std::pair<uint32_t, uint64_t>;  // bytes, then order of arrival

  void sortInLeftovers();
  // The first hole in free-list order that takes the section.
  std::map<SizeKey, Range>::iterator holeBySize(uint32_t length, uint16_t alignment);
  std::map<SizeKey, Range>::iterator holeAt(uint32_t start, uint32_t length);
  void takeHole(std::map<SizeKey, Range>::iterator hole, const std::string& secName, uint32_t start,
                uint32_t length, int isOverlay);
  // The free holes in free-list order.
  void forEachFreeHole(const std::function<void(const Range&)>& visit) const;
  Range& loadablePiece(const std::string& file, const std::string& secName);

  std::string name;
  uint8_t type = 1;         // 0 rom (code page), 1 ram
  uint32_t cProtected = 0;  // the PROTECTED flag
  uint32_t cHasFill = 0;
  std::string fill;
  uint32_t start = 0;
  uint32_t end = 0;  // inclusive
  std::map<SizeKey, Range> cSortedHoles;
  std::map<uint32_t, SizeKey> cSortedByStart;  // free holes never overlap
  std::list<Range> cLeftovers;                 // behind the sorted holes
  uint64_t cArrivals = 0;
  std::map<std::string, Range> allocatedRanges;  // by section name
};

// A memory paired with its largest hole, to order memories for best fit.
struct MemSize {
  MemSize() = default;
  MemSize(Memory& m, uint32_t bytes) : memory(&m), size(bytes) {}

  bool operator<(const MemSize& other) const { return size < other.size; }
  bool operator>(const MemSize& other) const { return size > other.size; }

  Memory* memory = nullptr;
  uint32_t size = 0;  // bytes
};
