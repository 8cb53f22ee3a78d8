// Bounded reads from an object image inside an open file. Every block is
// checked against the file's real length before anything is allocated, so a
// damaged count or pointer fails the read instead of causing a huge
// allocation or a read past the end.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

class CoffImageReader {
 public:
  // The image starts at baseOffset; the file's length is measured once.
  CoffImageReader(std::FILE* file, uint64_t baseOffset);

  // Bytes from the image start to the end of the file.
  uint64_t remaining() const;
  // True when `length` bytes (at least one) lie at `offset` of the image.
  bool fits(uint64_t offset, uint64_t length) const;
  // One seek and one read of the whole block; false when it does not fit or
  // the read delivers less. A block of zero bytes counts as a failed read.
  bool read(uint64_t offset, uint64_t length, std::vector<uint8_t>& out);
  bool read(uint64_t offset, uint64_t length, uint8_t* out);

 private:
  std::FILE* cFile;
  uint64_t cBase;
  uint64_t cFileLength = 0;  // 0 when the length cannot be measured
};
