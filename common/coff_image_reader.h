// Bounded reads from an object image that starts at some offset of a
// source (a library member starts behind its header). Offsets are counted
// from the image start; every block is checked against what the source
// really holds before anything is allocated.
#pragma once

#include <cstdint>
#include <vector>

#include "bounded_reader.h"

class CoffImageReader {
 public:
  // The image starts at baseOffset of the source, which outlives the reader.
  CoffImageReader(BoundedReader& source, uint64_t baseOffset);

  // Bytes from the image start to the end of the source.
  uint64_t remaining() const;
  // True when `length` bytes (at least one) lie at `offset` of the image.
  bool fits(uint64_t offset, uint64_t length) const;
  // One read of the whole block; false when it does not fit or the read
  // delivers less. A block of zero bytes counts as a failed read.
  bool read(uint64_t offset, uint64_t length, std::vector<uint8_t>& out);
  bool read(uint64_t offset, uint64_t length, uint8_t* out);

 private:
  BoundedReader& cSource;
  uint64_t cBase;
};
