// The inputs of the placement benchmark: as many code pages as sections,
// so that what grows is the work of choosing a memory for each section.
//
//   place.o     COUNT code sections s000001 ... of 2 to 62 bytes, no
//               relocations and no symbols beyond the file's own.
//   place.lkr   COUNT code pages p000001 ... of 64 to 126 bytes (every
//               eighth one PROTECTED) and a SECTION line for every fourth
//               section, naming a page; the other sections go where best
//               fit puts them.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "linker_inputs.h"
#include "mgproc.h"
#include "object_builder.h"

namespace {

constexpr ProcessorCode kDevice = 7;  // words of 14 bits, two bytes a location

std::string numbered(char letter, uint32_t k) {
  char text[16];
  std::snprintf(text, sizeof text, "%c%06u", letter, static_cast<unsigned>(k));
  return text;
}

uint32_t sectionBytes(uint32_t k) { return 2 * (1 + k % 31); }
uint32_t pageLocations(uint32_t k) { return 32 + k % 32; }

std::string commandFile(uint32_t count) {
  std::string text = "FILES place.o\n";
  uint32_t start = 0;
  for (uint32_t k = 1; k <= count; ++k) {
    const uint32_t end = start + pageLocations(k) - 1;
    text += "CODEPAGE NAME=" + numbered('p', k) + " START=" + std::to_string(start) +
            " END=" + std::to_string(end) + (k % 8 == 0 ? " PROTECTED\n" : "\n");
    start = end + 1;
  }
  text += "DATABANK NAME=gpr START=0x20 END=0x7F\n";
  // Each named page is one that best fit would not choose first.
  for (uint32_t k = 4; k <= count; k += 4) {
    text += "SECTION NAME=" + numbered('s', k) + " ROM=" + numbered('p', count + 1 - k) + "\n";
  }
  return text;
}

}  // namespace

int makePlacementInputs(uint32_t count, const std::string& dir) {
  if (count == 0) return 2;
  qortest::ObjectBuilder builder("place.o");
  builder.processor(procCoffType(kDevice), procRomWidthBits(kDevice), 8);
  builder.fileSymbol("place.asm");
  for (uint32_t k = 1; k <= count; ++k) {
    builder.code(numbered('s', k)).bytes(std::vector<uint8_t>(sectionBytes(k), 0));
  }
  builder.writeFile(dir + "/place.o");
  std::ofstream out(dir + "/place.lkr", std::ios::binary | std::ios::trunc);
  out << commandFile(count);
  return out.flush() ? 0 : 1;
}
