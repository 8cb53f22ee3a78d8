#include "bounded_reader.h"

#include <climits>
#include <cstring>
#include <utility>

#include "file_info.h"

BoundedReader::BoundedReader(const std::string& path)
    : cOwnedFile(isPipe(path) ? nullptr : std::fopen(path.c_str(), "rb")), cFile(cOwnedFile.get()) {
  measureFile();
}

BoundedReader::BoundedReader(std::FILE* file) : cFile(file) { measureFile(); }

BoundedReader::BoundedReader(std::vector<uint8_t> image)
    : cImage(std::move(image)), cFromImage(true), cMeasured(true), cLength(cImage.size()) {}

void BoundedReader::measureFile() {
  if (cFile == nullptr || std::fseek(cFile, 0, SEEK_END) != 0) return;
  const long length = std::ftell(cFile);
  cMeasured = length >= 0;
  if (length > 0) cLength = static_cast<uint64_t>(length);
}

bool BoundedReader::fits(uint64_t offset, uint64_t count) const {
  // Compared against what is left behind the offset, so no sum can wrap.
  return offset <= cLength && count <= cLength - offset;
}

bool BoundedReader::read(uint64_t offset, uint64_t count, uint8_t* out) {
  if (!fits(offset, count)) return false;
  if (count == 0) return true;
  if (cFromImage) {
    std::memcpy(out, cImage.data() + offset, static_cast<size_t>(count));
    return true;
  }
  if (offset > static_cast<uint64_t>(LONG_MAX)) return false;
  if (std::fseek(cFile, static_cast<long>(offset), SEEK_SET) != 0) return false;
  return std::fread(out, 1, static_cast<size_t>(count), cFile) == count;
}

bool BoundedReader::read(uint64_t offset, uint64_t count, std::vector<uint8_t>& out) {
  if (!fits(offset, count)) return false;
  out.resize(static_cast<size_t>(count));
  return read(offset, count, out.data());
}

bool BoundedReader::readAll(uint64_t limit, std::vector<uint8_t>& out) {
  return cMeasured && cLength <= limit && read(0, cLength, out);
}
