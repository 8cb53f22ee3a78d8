// An owned, copyable byte buffer.
#pragma once

#include <cstdint>
#include <ostream>

class Data {
 public:
  Data() = default;
  Data(uint32_t size, const uint8_t* source);
  explicit Data(uint32_t size);
  Data(const Data& other);
  Data& operator=(const Data& other);
  Data(Data&& other) noexcept;
  Data& operator=(Data&& other) noexcept;
  ~Data();

  uint8_t* data() { return cBytes; }
  const uint8_t* data() const { return cBytes; }
  uint32_t size() const { return cSize; }
  void append(const Data& other);
  // Hex dump: groups of four bytes, 32 bytes a line.
  void dump(std::ostream& out) const;

  bool operator==(const Data& other) const;

 private:
  uint32_t cSize = 0;
  uint8_t* cBytes = nullptr;  // exactly cSize bytes; null when cSize is 0
};
