// Selection of the program-memory bytes of an absolute object for the hex
// writer: every code and romdata section, or only the parts of them that
// lie in the "/r" ranges.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "addr_range.h"
#include "coff.h"
#include "data.h"
#include "hex.h"
#include "range_set.h"

// The bytes of one code or romdata section, its program-memory address and
// its name (for messages).
struct RomSection {
  uint32_t paddr = 0;
  Data bytes;
  std::string name;
};

class Coff2Hex : public Hex {
 public:
  // Fills the image from `coff`, taking the bytes of its program-memory
  // sections over (the image is held once); the converter itself, or null
  // when ranges were given and nothing fell inside them (reported), when
  // the object does not say how wide its program words are, when the width
  // it states is none or more than 16 bits (reported), or when a section
  // lies beyond the addresses of a hex file (reported).
  Coff2Hex* convert(Coff& coff, const std::vector<AddrRange>& ranges);
  // The selection on sections already taken from an object, with
  // `bytesPerAddress` bytes at each program-memory address.
  Coff2Hex* convertSections(std::vector<RomSection> sections, uint32_t bytesPerAddress,
                            const std::vector<AddrRange>& ranges);

  // 1 when one of the ranges holds the program-memory address (a byte
  // address on a byte-addressed memory, else a word address), else 0.
  static int inRanges(uint32_t address, const RangeSet& ranges);
  // The code and romdata sections of `coff` in name order, their bytes
  // moved out of `coff`.
  static std::vector<RomSection> romSections(Coff& coff);

 private:
  void addWholeSection(RomSection& section, uint32_t bytesPerAddress);
  // Returns the number of runs added.
  size_t addRangeRuns(const RomSection& section, uint32_t bytesPerAddress, const RangeSet& ranges);
  // The bytes of the section's addresses `first` up to but not including `end`.
  void addRun(const RomSection& section, uint32_t bytesPerAddress, uint32_t first, uint32_t end);
};
