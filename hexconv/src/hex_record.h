// Formatting of single Intel HEX records.
#pragma once

#include <cstdint>
#include <string>

enum : uint8_t { HEX_RECORD_DATA = 0x00, HEX_RECORD_END = 0x01, HEX_RECORD_LINEAR_ADDRESS = 0x04 };

// Appends one record line: ':', count, address, type, the bytes and the
// checksum (two's complement of the sum of everything before it), all in
// upper-case hexadecimal, then a newline.
void appendHexRecord(std::string& out, uint8_t type, uint16_t address, const uint8_t* bytes, uint8_t count);
