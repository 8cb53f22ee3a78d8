#include "bounded_reader.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

#include "file_info.h"

namespace {

// Larger reads go straight to their buffer.
constexpr uint64_t kWindowSize = uint64_t{1} << 16;

}  // namespace

BoundedReader::BoundedReader(const std::string& path)
    : cOwnedFile(isPipe(path) ? nullptr : std::fopen(path.c_str(), "rb")), cFile(cOwnedFile.get()) {
  // The window is the buffer: each read goes to the system once.
  if (cFile != nullptr) std::setvbuf(cFile, nullptr, _IONBF, 0);
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
  if (count >= kWindowSize) return readFromFile(offset, count, out);
  const bool inWindow = offset >= cWindowStart && count <= cWindow.size() &&
                        offset - cWindowStart <= cWindow.size() - count;
  if (!inWindow && !fillWindow(offset, count)) return false;
  std::memcpy(out, cWindow.data() + (offset - cWindowStart), static_cast<size_t>(count));
  return true;
}

bool BoundedReader::readFromFile(uint64_t offset, uint64_t count, uint8_t* out) {
  if (offset > static_cast<uint64_t>(LONG_MAX)) return false;
  if (std::fseek(cFile, static_cast<long>(offset), SEEK_SET) != 0) return false;
  return std::fread(out, 1, static_cast<size_t>(count), cFile) == count;
}

// Reads ahead no further than the measured length, and keeps only what the
// file really delivered.
bool BoundedReader::fillWindow(uint64_t offset, uint64_t count) {
  cWindow.resize(static_cast<size_t>(std::min(kWindowSize, cLength - offset)));
  cWindowStart = offset;
  size_t delivered = 0;
  if (offset <= static_cast<uint64_t>(LONG_MAX) &&
      std::fseek(cFile, static_cast<long>(offset), SEEK_SET) == 0) {
    delivered = std::fread(cWindow.data(), 1, cWindow.size(), cFile);
  }
  cWindow.resize(delivered);
  return delivered >= count;
}

bool BoundedReader::read(uint64_t offset, uint64_t count, std::vector<uint8_t>& out) {
  if (!fits(offset, count)) return false;
  out.resize(static_cast<size_t>(count));
  return read(offset, count, out.data());
}

bool BoundedReader::readAll(uint64_t limit, std::vector<uint8_t>& out) {
  return cMeasured && cLength <= limit && read(0, cLength, out);
}
