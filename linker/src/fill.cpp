// Fill of unused program memory: every free hole of a code page that asks
// for FILL= becomes a code section of the output holding the fill pattern,
// so that programming files made from the output define every word.
#include <cstdlib>
#include <iostream>
#include <optional>
#include <vector>

#include "debug_switches.h"
#include "diagnostics.h"
#include "linker.h"
#include "output_support.h"
#include "qassert.h"
#include "string_index.h"
#include "text_helpers.h"

namespace {

bool isHexPattern(const std::string& fill) {
  return fill.size() > 2 && (fill[1] == 'x' || fill[1] == 'X');
}

// The 16-bit words of the FILL text: four hexadecimal digits each, or the
// low 16 bits of a decimal value.
std::vector<uint16_t> fillWords(const std::string& fill) {
  if (!isHexPattern(fill))
    return {static_cast<uint16_t>(std::strtoul(fill.c_str(), nullptr, 10) & 0xFFFF)};
  // The command file reader widens a hexadecimal FILL to whole words.
  // clang-format off
  QOR_ASSERT(((fill.length() - 2) % 4) == 0);
  // clang-format on
  std::vector<uint16_t> words;
  for (size_t digit = 2; digit < fill.size(); digit += 4) {
    const std::string word = "0x" + fill.substr(digit, 4);
    words.push_back(static_cast<uint16_t>(std::strtoul(word.c_str(), nullptr, 16)));
  }
  return words;
}

// The words one after another, low byte first, from the first again when
// the pattern runs out; a last odd byte gets the low byte of the next word.
// `phase` 1 lays the pattern one byte before the hole, so that its first
// byte is the high byte of the first word.
void writePattern(Data& bytes, const std::vector<uint16_t>& words, uint32_t phase) {
  for (uint32_t i = 0; i < bytes.size(); ++i) {
    const uint32_t at = phase + i;
    const uint16_t word = words[(at / 2) % words.size()];
    bytes.data()[i] = static_cast<uint8_t>(at % 2 == 0 ? word & 0xFF : word >> 8);
  }
}

// The name of a fill section. From the hundredth fill section on the name
// is too long to stand in the header; like every long name it must be in
// the string table first. The output's table, tens of thousands of strings
// in a large link, is indexed once for those names rather than searched
// for each; the index is kept in `index` from one fill section to the next.
void nameFillSection(Coff& output, std::optional<StringIndex>& index, SectionHeader& header,
                     const std::string& name) {
  if (name.size() <= kInlineNameLength) {
    Coff::setName(header, output.cStrTbl, name);
    return;
  }
  const int offset = appendString(output.cStrTbl, name);
  if (index) {
    index->add(output.cStrTbl, offset);
  } else {
    index.emplace(output.cStrTbl);
  }
  Coff::setIndexedName(header, *index, name);
}

}  // namespace

void Linker::buildOutputHoles() {
  // The index of the output's strings lives for one walk of the holes,
  // while only the fill sections' names join the table.
  cFillNameIndex.reset();
  for (const Memory& page : cCodePage) page.forEachFillHole(&fillHoleCallback, this);
  cFillNameIndex.reset();
}

void Linker::fillHoleCallback(void* userData, const Memory& memory, uint32_t start, uint32_t end,
                              const std::string& fill) {
  static_cast<Linker*>(userData)->buildOutputHole(memory, start, end, fill);
}

void Linker::buildOutputHole(const Memory& memory, uint32_t start, uint32_t end,
                             const std::string& fill) {
  ++cFillCount;
  const std::string name = ".fill_" + std::to_string(cFillCount);
  cOutput.cScnNum[static_cast<int>(cOutput.cScnNum.size()) + 1] = name;

  const uint32_t size = (end - start + 1) * widthInBytes(rom);
  Data& bytes = cOutput.cRawData[name] = Data(size);
  const std::vector<uint16_t> words = fillWords(fill);
  // On byte-addressed program memory the words are read at even addresses,
  // as instructions are: a hole behind an odd-sized piece of data must go
  // on with the high byte of the word that the pattern puts below it.
  writePattern(bytes, words, cRomWidthBits == 8 ? start & 1u : 0);
  if (size % (2 * words.size()) != 0)
    reportWarning("Linker::BuildOutputHole()", "Fill pattern for memory '", memory.getName(),
                  "' doesn't divide evenly into\n",
                  "          unused program locations.  Last value was truncated.");

  SectionHeader& header = cOutput.cScnHdr[name] = SectionHeader();
  nameFillSection(cOutput, cFillNameIndex, header, name);
  header.s_paddr = start;
  header.s_vaddr = 0;
  Coff::setSectionFlags(header, SECTION_CODE, 0, 0, 0);

  if (traceOn("Linker::buildOutputHole"))
    std::cout << "Linker::buildOutputHole() - start=" << formatHex(start, 4)
              << " end=" << formatHex(end, 4) << " fill=" << fill << std::endl;
}
