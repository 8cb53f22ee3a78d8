#include "coff2hex.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "diagnostics.h"
#include "file_info.h"
#include "program_width.h"

namespace {

// An object in the older layout has no optional header and so no word width.
const uint16_t kOptionalHeaderSize = OptionalHeader::SIZE;

const uint64_t kHexAddressEnd = uint64_t{1} << 32;

uint32_t bytesPerAddressOf(const OptionalHeader& header) {
  return static_cast<uint32_t>((static_cast<uint64_t>(header.rom_width_bits) + 7) / 8);
}

// The program-memory addresses a section covers: on a word-addressed memory
// an odd last byte still takes a whole word.
uint32_t addressCount(const RomSection& section, uint32_t bytesPerAddress) {
  const uint32_t size = section.bytes.size();
  return size / bytesPerAddress + (size % bytesPerAddress != 0 ? 1 : 0);
}

// One past the byte address of the section's last byte (or of the zero that
// completes its last word), in 64 bits so that nothing wraps.
uint64_t byteAddressEnd(const RomSection& section, uint32_t bytesPerAddress) {
  return uint64_t{bytesPerAddress} *
         (uint64_t{section.paddr} + addressCount(section, bytesPerAddress));
}

// Byte addresses of a hex file have 32 bits: beyond them a section would wrap
// around onto the lowest addresses, over the reset vector.
bool fitsHexAddresses(const RomSection& section, uint32_t bytesPerAddress) {
  return section.bytes.size() == 0 || byteAddressEnd(section, bytesPerAddress) <= kHexAddressEnd;
}

}  // namespace

int Coff2Hex::inRanges(uint32_t address, const RangeSet& ranges) {
  return ranges.contains(address) ? 1 : 0;
}

std::vector<RomSection> Coff2Hex::romSections(Coff& coff) {
  std::vector<RomSection> sections;
  for (const auto& [name, header] : coff.cScnHdr) {
    const uint8_t type = Coff::sectionType(header);
    if (type != SECTION_CODE && type != SECTION_ROMDATA) continue;
    RomSection section;
    section.name = name;
    section.paddr = header.s_paddr;
    auto raw = coff.cRawData.find(name);
    if (raw != coff.cRawData.end()) section.bytes = std::move(raw->second);
    sections.push_back(std::move(section));
  }
  return sections;
}

Coff2Hex* Coff2Hex::convert(Coff& coff, const std::vector<AddrRange>& ranges) {
  if (coff.cFileHdr.f_opthdr != kOptionalHeaderSize) return nullptr;
  if (!checkProgramWidth(coff, "Coff2Hex::convert()")) return nullptr;
  cFileBaseName = FileInfo(coff.cName).baseName();
  cInputName = coff.cName;
  std::vector<RomSection> sections = romSections(coff);
  const uint32_t bytesPerAddress = bytesPerAddressOf(coff.cOptHdr);
  for (const RomSection& section : sections) {
    if (!fitsHexAddresses(section, bytesPerAddress)) {
      reportError("Coff2Hex::convert()", "Coff file '", coff.cName, "', section '", section.name,
                  "' lies beyond the addresses a hex file can hold.");
      return nullptr;
    }
  }
  if (convertSections(std::move(sections), bytesPerAddress, ranges) == nullptr) {
    // Only ranges that select no byte leave nothing to write.
    reportError("Coff2Hex::convert()", "Coff file '", coff.cName,
                "' has no program memory in the ranges ", rangesText(ranges), ".");
    return nullptr;
  }
  return this;
}

Coff2Hex* Coff2Hex::convertSections(std::vector<RomSection> sections, uint32_t bytesPerAddress,
                                    const std::vector<AddrRange>& ranges) {
  if (ranges.empty()) {
    for (RomSection& section : sections) addWholeSection(section, bytesPerAddress);
    return this;
  }
  // Every address of every section is asked about: the ranges are sorted once.
  const RangeSet selected(ranges);
  size_t runs = 0;
  for (const RomSection& section : sections)
    runs += addRangeRuns(section, bytesPerAddress, selected);
  return runs != 0 ? this : nullptr;
}

// Word-addressed memories get a zero byte after an odd count so that the
// last word is whole. A byte-addressed memory gets none: the pad would land
// on the address of whatever follows the section.
void Coff2Hex::addWholeSection(RomSection& section, uint32_t bytesPerAddress) {
  if (section.bytes.size() == 0) return;
  HexRange range(bytesPerAddress * section.paddr, std::move(section.bytes));
  if (range.cData.size() % 2 != 0 && bytesPerAddress != 1) range.cData.append(Data(1));
  cRanges.push_back(std::move(range));
}

// The section is walked one program-memory address at a time: a byte on a
// byte-addressed memory, so that a range selects exactly the bytes it holds,
// and a whole word otherwise.
size_t Coff2Hex::addRangeRuns(const RomSection& section, uint32_t bytesPerAddress,
                              const RangeSet& ranges) {
  const uint32_t addresses = addressCount(section, bytesPerAddress);
  size_t runs = 0;
  uint32_t runFirst = 0;
  bool runOpen = false;
  for (uint32_t offset = 0; offset < addresses; ++offset) {
    const bool inside = inRanges(section.paddr + offset, ranges) != 0;
    if (inside && !runOpen) {
      runOpen = true;
      runFirst = offset;
    } else if (!inside && runOpen) {
      addRun(section, bytesPerAddress, runFirst, offset);
      runOpen = false;
      ++runs;
    }
  }
  if (runOpen) {
    addRun(section, bytesPerAddress, runFirst, addresses);
    ++runs;
  }
  return runs;
}

// Past the section's bytes lies only the zero that completes the last word
// of a word-addressed memory: the run is made zeroed and filled up to there.
void Coff2Hex::addRun(const RomSection& section, uint32_t bytesPerAddress, uint32_t first,
                      uint32_t end) {
  const uint32_t firstByte = bytesPerAddress * first;
  Data run(bytesPerAddress * (end - first));
  const uint32_t copied = std::min(run.size(), section.bytes.size() - firstByte);
  std::memcpy(run.data(), section.bytes.data() + firstByte, copied);
  cRanges.emplace_back(bytesPerAddress * (section.paddr + first), std::move(run));
}
