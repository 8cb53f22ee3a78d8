#include "hex_format.h"

int hexFormatFromName(const std::string& name, HexFormat* format) {
  static const char* const names[] = {"INHX8M", "INHX8S", "INHX32"};
  for (HexFormat code = HEX_INHX8M; code <= HEX_INHX32; ++code) {
    if (name == names[code]) {
      *format = code;
      return 1;
    }
  }
  return 0;
}
