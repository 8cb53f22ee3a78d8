// Formatting of single Intel HEX records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

enum : uint8_t { HEX_RECORD_DATA = 0x00, HEX_RECORD_END = 0x01, HEX_RECORD_LINEAR_ADDRESS = 0x04 };

// Appends one record line: ':', count, address, type, the bytes and the
// checksum (two's complement of the sum of everything before it), all in
// upper-case hexadecimal, then a newline.
void appendHexRecord(std::string& out, uint8_t type, uint16_t address, const uint8_t* bytes,
                     uint8_t count);

// The text of one hex file, composed twice over the same walk of its
// records: first only counted, then written into a string given that exact
// size at once (a string grown by doubling may hold up to twice the text).
class HexText {
 public:
  void add(uint8_t type, uint16_t address, const uint8_t* bytes, uint8_t count);
  // Ends the counting; the records added from now on are written.
  void startWriting();
  std::string take() { return std::move(cText); }

 private:
  bool cCounting = true;
  size_t cLength = 0;
  std::string cText;
};
