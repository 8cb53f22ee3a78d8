#include "coff_image_reader.h"

CoffImageReader::CoffImageReader(BoundedReader& source, uint64_t baseOffset)
    : cSource(source), cBase(baseOffset) {}

uint64_t CoffImageReader::remaining() const {
  return cBase < cSource.length() ? cSource.length() - cBase : 0;
}

bool CoffImageReader::fits(uint64_t offset, uint64_t length) const {
  // Each operand is at most a 32-bit count times a record size, so the sums
  // cannot wrap; comparing against what remains keeps them that way.
  const uint64_t available = remaining();
  return length != 0 && offset <= available && length <= available - offset;
}

bool CoffImageReader::read(uint64_t offset, uint64_t length, std::vector<uint8_t>& out) {
  if (!fits(offset, length)) return false;
  return cSource.read(cBase + offset, length, out);
}

bool CoffImageReader::read(uint64_t offset, uint64_t length, uint8_t* out) {
  return fits(offset, length) && cSource.read(cBase + offset, length, out);
}
