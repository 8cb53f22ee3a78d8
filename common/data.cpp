#include "data.h"

#include <cstring>
#include <iomanip>
#include <utility>

Data::Data(uint32_t size, const uint8_t* source) : cSize(size) {
  if (cSize != 0) {
    cBytes = new uint8_t[cSize];
    std::memcpy(cBytes, source, cSize);
  }
}

Data::Data(uint32_t size) : cSize(size) {
  if (cSize != 0) cBytes = new uint8_t[cSize]();
}

Data::Data(const Data& other) : Data(other.cSize, other.cBytes) {}

Data& Data::operator=(const Data& other) {
  if (this != &other) {
    Data copy(other);
    *this = std::move(copy);
  }
  return *this;
}

Data::Data(Data&& other) noexcept
    : cSize(std::exchange(other.cSize, 0)), cBytes(std::exchange(other.cBytes, nullptr)) {}

Data& Data::operator=(Data&& other) noexcept {
  if (this != &other) {
    delete[] cBytes;
    cSize = std::exchange(other.cSize, 0);
    cBytes = std::exchange(other.cBytes, nullptr);
  }
  return *this;
}

Data::~Data() { delete[] cBytes; }

void Data::append(const Data& other) {
  if (other.cSize == 0) return;
  uint8_t* joined = new uint8_t[cSize + other.cSize];
  if (cSize != 0) std::memcpy(joined, cBytes, cSize);
  std::memcpy(joined + cSize, other.cBytes, other.cSize);
  delete[] cBytes;
  cBytes = joined;
  cSize += other.cSize;
}

void Data::dump(std::ostream& out) const {
  const auto oldFlags = out.flags();
  const char oldFill = out.fill();
  for (uint32_t i = 0; i < cSize; ++i) {
    if (i != 0 && i % 4 == 0) out << ' ';
    if (i != 0 && i % 32 == 0) out << std::endl;
    out << std::hex << std::setfill('0') << std::setw(2) << static_cast<unsigned>(cBytes[i]);
  }
  out << std::endl;
  out.flags(oldFlags);
  out.fill(oldFill);
}

bool Data::operator==(const Data& other) const {
  return cSize == other.cSize && (cSize == 0 || std::memcmp(cBytes, other.cBytes, cSize) == 0);
}
