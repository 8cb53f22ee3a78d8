#include "coff_image_reader.h"

#include <climits>

CoffImageReader::CoffImageReader(std::FILE* file, uint64_t baseOffset)
    : cFile(file), cBase(baseOffset) {
  if (cFile != nullptr && std::fseek(cFile, 0, SEEK_END) == 0) {
    const long length = std::ftell(cFile);
    if (length > 0) cFileLength = static_cast<uint64_t>(length);
  }
}

uint64_t CoffImageReader::remaining() const {
  return cBase < cFileLength ? cFileLength - cBase : 0;
}

bool CoffImageReader::fits(uint64_t offset, uint64_t length) const {
  // Each operand is at most a 32-bit count times a record size, so the sums
  // cannot wrap; comparing against what remains keeps them that way.
  const uint64_t available = remaining();
  return length != 0 && offset <= available && length <= available - offset;
}

bool CoffImageReader::read(uint64_t offset, uint64_t length, std::vector<uint8_t>& out) {
  if (!fits(offset, length)) return false;
  out.resize(static_cast<size_t>(length));
  return read(offset, length, out.data());
}

bool CoffImageReader::read(uint64_t offset, uint64_t length, uint8_t* out) {
  if (!fits(offset, length)) return false;
  const uint64_t position = cBase + offset;
  if (position > static_cast<uint64_t>(LONG_MAX)) return false;
  if (std::fseek(cFile, static_cast<long>(position), SEEK_SET) != 0) return false;
  return std::fread(out, 1, static_cast<size_t>(length), cFile) == length;
}
