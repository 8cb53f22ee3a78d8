#include "hex_record.h"

namespace {

void appendHexByte(std::string& out, uint8_t value) {
  static const char digits[] = "0123456789ABCDEF";
  out += digits[value >> 4];
  out += digits[value & 0x0F];
}

}  // namespace

void appendHexRecord(std::string& out, uint8_t type, uint16_t address, const uint8_t* bytes,
                     uint8_t count) {
  const uint8_t head[] = {count, static_cast<uint8_t>(address >> 8),
                          static_cast<uint8_t>(address & 0xFF), type};
  uint8_t sum = 0;
  out += ':';
  for (uint8_t value : head) {
    appendHexByte(out, value);
    sum = static_cast<uint8_t>(sum + value);
  }
  for (uint8_t i = 0; i < count; ++i) {
    appendHexByte(out, bytes[i]);
    sum = static_cast<uint8_t>(sum + bytes[i]);
  }
  appendHexByte(out, static_cast<uint8_t>(0x100 - sum));
  out += '\n';
}

void HexText::add(uint8_t type, uint16_t address, const uint8_t* bytes, uint8_t count) {
  if (!cCounting) {
    appendHexRecord(cText, type, address, bytes, count);
    return;
  }
  // ':', count, address, type, the bytes and the checksum in two digits
  // each, and the newline.
  cLength += 1 + 2 * (1 + 2 + 1 + size_t{count} + 1) + 1;
}

void HexText::startWriting() {
  cCounting = false;
  cText.reserve(cLength);
}
