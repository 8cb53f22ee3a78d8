#include "family_inputs.h"

namespace qorlantest {

std::vector<uint8_t> wordBytes(const std::vector<uint16_t>& words) {
  std::vector<uint8_t> bytes;
  for (uint16_t word : words) {
    bytes.push_back(static_cast<uint8_t>(word & 0xFF));
    bytes.push_back(static_cast<uint8_t>(word >> 8));
  }
  return bytes;
}

ObjectBuilder unusedMember(uint8_t processorCode, uint16_t word) {
  ObjectBuilder unused = objectFor(processorCode, "unused.o");
  unused.code("unused").bytes(wordBytes({word})).global("unused_fn", 0, 1);
  return unused;
}

void addLines(ObjectBuilder& builder, const std::vector<uint16_t>& lineOfWord, uint32_t step) {
  uint32_t address = 0;
  for (uint16_t line : lineOfWord) {
    builder.line(0, line, address);
    address += step;
  }
}

}  // namespace qorlantest
