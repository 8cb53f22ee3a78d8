#include "coff2hex.h"

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

// One past the byte address of the section's last byte, in 64 bits so that
// nothing wraps. The last pair of bytes lies where the range selection puts
// it (never below where the whole section puts it): two bytes, but for the
// odd byte that ends a section on a byte-addressed memory.
uint64_t byteAddressEnd(const RomSection& section, uint32_t bytesPerAddress) {
  const uint64_t size = section.bytes.size();
  const uint64_t lastPair = (size + 1) / 2 - 1;
  const uint64_t step = bytesPerAddress == 1 ? 2 : 1;
  const uint64_t lastPairBytes = bytesPerAddress == 1 && size % 2 != 0 ? 1 : 2;
  return uint64_t{bytesPerAddress} * (section.paddr + step * lastPair) + lastPairBytes;
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
  // Every pair of bytes asks about its address: the ranges are sorted once.
  const RangeSet selected(ranges);
  size_t runs = 0;
  for (const RomSection& section : sections) runs += addRangeRuns(section, bytesPerAddress, selected);
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

// The section is walked a pair of bytes at a time. Each pair has the
// address of its first byte: with two bytes per address that is one word
// further per pair, with one byte per address two bytes further.
size_t Coff2Hex::addRangeRuns(const RomSection& section, uint32_t bytesPerAddress,
                              const RangeSet& ranges) {
  const uint32_t size = section.bytes.size();
  const uint32_t pairs = size / 2 + size % 2;
  const uint32_t step = bytesPerAddress == 1 ? 2 : 1;
  const uint8_t* bytes = section.bytes.data();
  size_t runs = 0;
  uint32_t runFirstPair = 0;
  bool runOpen = false;

  auto closeRun = [&](uint32_t endPair) {
    uint32_t first = 2 * runFirstPair;
    uint32_t end = 2 * endPair;
    Data run(end - first);
    for (uint32_t i = first; i < end && i < size; ++i) run.data()[i - first] = bytes[i];
    // The zero byte that completes an odd section stays only on word memories.
    if (end > size && bytesPerAddress == 1) {
      Data trimmed(run.size() - 1, run.data());
      run = trimmed;
    }
    cRanges.emplace_back(bytesPerAddress * (section.paddr + step * runFirstPair), run);
    runOpen = false;
    ++runs;
  };

  for (uint32_t pair = 0; pair < pairs; ++pair) {
    const bool inside = inRanges(section.paddr + step * pair, ranges) != 0;
    if (inside && !runOpen) {
      runOpen = true;
      runFirstPair = pair;
    } else if (!inside && runOpen) {
      closeRun(pair);
    }
  }
  if (runOpen) closeRun(pairs);
  return runs;
}
