// The three Intel HEX layouts the converter writes.
#pragma once

#include <cstdint>
#include <string>

typedef uint8_t HexFormat;

enum : HexFormat {
  HEX_INHX8M = 0,  // one ".hex" file, 16-bit byte addresses
  HEX_INHX8S = 1,  // ".hxl" low bytes and ".hxh" high bytes, 16-bit word addresses
  HEX_INHX32 = 2   // one ".hex" file with extended linear address records
};

// The format whose name is exactly `name` (case counts); 0 when none is.
int hexFormatFromName(const std::string& name, HexFormat* format);
