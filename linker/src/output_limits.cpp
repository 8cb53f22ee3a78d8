// The output's counts and length against the fields of the object format,
// worked out from the link's tables before any byte of the output exists:
// a link whose output cannot be numbered or addressed stops here with a
// message, rather than ending in a wrapped header or in gigabytes of fill
// built only to be refused.
#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "coff_layout.h"
#include "linker.h"
#include "output_support.h"

namespace {

// n_scnum is a signed 16-bit number: with symbols kept, no section past
// this one can be named.
constexpr uint64_t kMaxSectionsWithSymbols = INT16_MAX;

// The fill sections the fill phase will make: their count, their bytes,
// and the string-table bytes of those names too long for a header.
struct FillExtent {
  const Linker& linker;
  uint64_t sections = 0;
  uint64_t bytes = 0;
  uint64_t nameBytes = 0;
};

void countFillHole(void* userData, const Memory& /*memory*/, uint32_t start, uint32_t end,
                   const std::string& /*fill*/) {
  FillExtent& fill = *static_cast<FillExtent*>(userData);
  ++fill.sections;
  fill.bytes += (uint64_t{end} - start + 1) * fill.linker.widthInBytes(Linker::rom);
  const std::string name = ".fill_" + std::to_string(fill.linker.cFillCount + fill.sections);
  if (name.size() > kInlineNameLength) fill.nameBytes += name.size() + 1;
}

// Bytes of a data image in program memory (see buildOutputRawData).
uint64_t imageBytes(const Linker& linker, uint64_t bytes) {
  return needsRetlwImage(linker.cRomWidthBits) ? 2 * bytes : bytes;
}

// What the output building phases will put into the output, counted the
// way they build it: the sections with a header, and of each the raw data
// the file holds (none for udata).
class OutputExtent {
 public:
  explicit OutputExtent(const Linker& linker) : l(linker), cFill{linker} {
    for (const Memory& page : l.cCodePage) page.forEachFillHole(&countFillHole, &cFill);
    countSections();
    countLines();
  }

  uint64_t sections() const { return cNames.size() + cFill.sections; }

  // The first output section, in name order, with more line entries than a
  // header can count; empty when there is none.
  const std::string& crowdedSection() const { return cCrowded; }
  uint64_t linesOf(const std::string& name) const { return cLines.at(name); }

  uint64_t fileBytes() const {
    uint64_t bytes = FileHeader::SIZE + OptionalHeader::SIZE;
    bytes += uint64_t{SectionHeader::SIZE} * sections() + rawBytes() + cFill.bytes;
    uint64_t lines = 0;
    for (const auto& [name, count] : cLines) lines += count;
    if (!l.cStrip) bytes += uint64_t{coff_lineno::SIZE} * lines + symbolBytes();
    return bytes + stringBytes();
  }

 private:
  // The names of buildOutputScnNum, the types of buildOutputScnHdrs and the
  // sizes of buildOutputRawData, overriding one another in their order.
  void countSections() {
    for (const auto& coff : l.cCoff)
      for (const auto& [number, name] : coff->cScnNum) {
        cNames.insert(name);
        if (l.sectionTypeOf(name) == SECTION_IDATA) cNames.insert(Linker::initSectionName(name));
      }
    for (const auto& [name, size] : l.cScnSize) cBytes[name] = size;
    for (const auto& [name, type] : l.cScnType) {
      cTypes[name] = type;
      if (type != SECTION_IDATA) continue;
      const std::string image = Linker::initSectionName(name);
      cTypes[image] = SECTION_ROMDATA;
      cBytes[image] = imageBytes(l, l.cScnSize.count(name) ? l.cScnSize.at(name) : 0);
      if (image.size() > kInlineNameLength) cImageNameBytes += image.size() + 1;
    }
    cNames.insert(l.cCinitScnName);
    cTypes[l.cCinitScnName] = SECTION_ROMDATA;
    cBytes[l.cCinitScnName] = imageBytes(l, l.cCinitData.size());
    if (!l.cHasStack) return;
    cNames.insert(l.cStackScnName);
    cTypes[l.cStackScnName] = SECTION_UDATA;
  }

  void countLines() {
    if (l.cStrip) return;
    for (const auto& coff : l.cCoff)
      for (const auto& [number, name] : coff->cScnNum) {
        const auto lines = coff->cScnLineno.find(name);
        if (l.sectionTypeOf(name) != SECTION_CODE || lines == coff->cScnLineno.end()) continue;
        cLines[name] += lines->second.size();
      }
    for (const auto& [name, count] : cLines)
      if (count > kCoffMaxCount) {
        cCrowded = name;
        break;
      }
  }

  uint64_t rawBytes() const {
    uint64_t bytes = 0;
    for (const std::string& name : cNames) {
      const auto type = cTypes.find(name);
      const auto size = cBytes.find(name);
      if (type == cTypes.end() || type->second == SECTION_UDATA || size == cBytes.end()) continue;
      bytes += size->second;
    }
    return bytes;
  }

  uint64_t symbolBytes() const {
    uint64_t symbols = 0;
    for (const auto& coff : l.cCoff) symbols += coff->cSymTbl.size();
    return uint64_t{SymbolEntry::SIZE} * symbols;
  }

  uint64_t stringBytes() const {
    uint64_t bytes = 4;
    for (const auto& [offset, text] : l.cOutput.cStrTbl) bytes += text.size() + 1;
    return bytes + cImageNameBytes + cFill.nameBytes;
  }

  const Linker& l;
  FillExtent cFill;
  std::set<std::string> cNames;
  std::map<std::string, uint8_t> cTypes;
  std::map<std::string, uint64_t> cBytes;
  std::map<std::string, uint64_t> cLines;
  uint64_t cImageNameBytes = 0;
  std::string cCrowded;
};

}  // namespace

int Linker::checkOutputLimits(std::string& error) {
  const OutputExtent output(*this);
  const uint64_t maxSections = cStrip ? kCoffMaxCount : kMaxSectionsWithSymbols;
  if (output.sections() > maxSections) {
    error = "the output would hold " + sectionCountPastLimit(output.sections(), maxSections);
    return 0;
  }
  if (!output.crowdedSection().empty()) {
    const std::string& name = output.crowdedSection();
    error = "section '" + name + "' would hold " + std::to_string(output.linesOf(name)) +
            " line numbers, more than the 65535 a Coff section can number.";
    return 0;
  }
  if (output.fileBytes() > kCoffMaxFileBytes) {
    error = "the output would be " + fileBytesPastLimit(output.fileBytes());
    return 0;
  }
  return 1;
}
