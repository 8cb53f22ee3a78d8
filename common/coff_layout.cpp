// Coff::preWrite, layout, size and fixupAuxFcns: where each block of the
// written image lands.
#include "coff_layout.h"

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <iostream>
#include <set>
#include <span>
#include <utility>

#include "debug_switches.h"
#include "text_helpers.h"

namespace {

template <class List>
size_t entryCount(const std::map<std::string, List>& lists, const std::string& name) {
  const auto found = lists.find(name);
  return found == lists.end() ? 0 : found->second.size();
}

uint32_t rawDataSize(const Coff& coff, const std::string& name) {
  const auto found = coff.cRawData.find(name);
  return found == coff.cRawData.end() ? 0 : found->second.size();
}

void traceBlock(const char* name, uint32_t start, uint32_t length) {
  std::cout << name << "Start=" << formatHex(start, 4) << ", " << name
            << "Length=" << formatHex(length, 4) << std::endl;
}

void traceBlocks(const CoffBlocks& blocks) {
  traceBlock("secHdr", blocks.secHdrStart, blocks.secHdrLength);
  traceBlock("rawData", blocks.rawDataStart, blocks.rawDataLength);
  traceBlock("reloc", blocks.relocStart, blocks.relocLength);
  traceBlock("line", blocks.lineStart, blocks.lineLength);
  traceBlock("symbol", blocks.symbolStart, blocks.symbolLength);
  traceBlock("string", blocks.stringStart, blocks.stringLength);
}

void traceSection(int number, const std::string& name, const SectionHeader& header) {
  std::cout << "scnNum=" << number << ", secName=" << name
            << ", raw data: size=" << formatHex(header.s_size, 4)
            << ", ptr=" << formatHex(header.s_scnptr, 4) << ", reloc: num=" << header.s_nreloc
            << ", ptr=" << formatHex(header.s_relptr, 4) << ", line: num=" << header.s_nlnno
            << ", ptr=" << formatHex(header.s_lnnoptr, 4) << std::endl;
}

int numberOf(const Coff& coff, const std::string& name) {
  for (const auto& [number, sectionName] : coff.cScnNum)
    if (sectionName == name) return number;
  return 0;
}

// The line entries of each section that name a function, as (function
// index, position) pairs in that order: every function of a section finds
// its entries without a walk of the whole list, which made a section of
// many functions (a link's output) cost its functions times its lines.
class FunctionLines {
 public:
  using Entry = std::pair<uint32_t, uint32_t>;

  // The positions, in list order, of the entries of `lines` (the list of
  // `section`) that name function `index`.
  std::span<const Entry> of(const std::string& section, const std::list<coff_lineno>& lines,
                            size_t index) {
    auto [found, added] = cBySection.try_emplace(section);
    std::vector<Entry>& entries = found->second;
    if (added) {
      uint32_t k = 0;
      for (const coff_lineno& line : lines) {
        if (Coff::hasFcnIndex(line)) entries.emplace_back(line.l_fcnndx, k);
        ++k;
      }
      std::sort(entries.begin(), entries.end());
    }
    if (index > UINT32_MAX) return {};
    const auto function = static_cast<uint32_t>(index);
    const auto first = std::lower_bound(entries.begin(), entries.end(), Entry{function, 0});
    const auto last = std::upper_bound(first, entries.end(), Entry{function, UINT32_MAX});
    return {first, last};
  }

 private:
  std::map<std::string, std::vector<Entry>> cBySection;
};

// The x_lnnoptr of the function at symbol index i becomes the file offset of
// the last line entry of its section that names the function.
void pointAtFunctionLine(Coff& coff, size_t i, FunctionLines& functionLines) {
  const SymbolEntry& symbol = coff.cSymTbl[i];
  const auto section = coff.cScnNum.find(symbol.n_scnum);
  if (section == coff.cScnNum.end()) return;
  const auto header = coff.cScnHdr.find(section->second);
  const auto lines = coff.cScnLineno.find(section->second);
  if (header == coff.cScnHdr.end() || lines == coff.cScnLineno.end()) return;
  AuxFcn fcn = AuxFcn::from(coff.cSymTbl[i + 1]);
  for (const auto& [function, k] : functionLines.of(section->second, lines->second, i)) {
    const uint32_t pointer = header->second.s_lnnoptr + coff_lineno::SIZE * k;
    // Each overwrite is traced, so a function named by several entries
    // shows every step to the last one.
    if (pointer != fcn.x_lnnoptr && traceOn("Coff::fixupAuxFcns"))
      std::cout << "Coff::fixupAuxFcns() - symbol '" << Coff::getName(symbol, coff.cStrTbl)
                << "' in section '" << section->second << "'  from " << formatHex(fcn.x_lnnoptr, 4)
                << " to " << formatHex(pointer, 4) << std::endl;
    fcn.x_lnnoptr = pointer;
  }
  fcn.storeInto(coff.cSymTbl[i + 1]);
}

}  // namespace

std::vector<std::string> sectionsInWriteOrder(const Coff& coff) {
  std::vector<std::string> order;
  std::set<std::string> seen;
  for (const auto& [number, name] : coff.cScnNum) {
    if (coff.cScnHdr.count(name) == 0 || !seen.insert(name).second) continue;
    order.push_back(name);
  }
  return order;
}

uint32_t stringTableLength(const StringTable& strTbl) {
  uint32_t length = 4;
  for (const auto& [offset, text] : strTbl) length += static_cast<uint32_t>(text.size()) + 1;
  return length;
}

std::string sectionCountPastLimit(uint64_t count, uint64_t limit) {
  return std::to_string(count) + " sections, more than the " + std::to_string(limit) +
         " a Coff file can number.";
}

std::string fileBytesPastLimit(uint64_t bytes) {
  return std::to_string(bytes) + " bytes, more than the " + std::to_string(kCoffMaxFileBytes) +
         " a Coff file can address.";
}

std::string layoutLimitFault(const Coff& coff) {
  const std::vector<std::string> sections = sectionsInWriteOrder(coff);
  if (sections.size() > kCoffMaxCount)
    return "' would hold " + sectionCountPastLimit(sections.size(), kCoffMaxCount);
  // Every block's length in 64 bits, so that a sum past 32 bits is seen
  // rather than wrapped.
  uint64_t bytes = uint64_t{FileHeader::SIZE} + OptionalHeader::SIZE +
                   uint64_t{SectionHeader::SIZE} * sections.size();
  for (const std::string& name : sections) {
    const uint64_t relocs = entryCount(coff.cScnReloc, name);
    const uint64_t lines = entryCount(coff.cScnLineno, name);
    if (relocs > kCoffMaxCount)
      return "' would hold " + std::to_string(relocs) + " relocations in section '" + name +
             "', more than the 65535 a Coff section can number.";
    if (lines > kCoffMaxCount)
      return "' would hold " + std::to_string(lines) + " line numbers in section '" + name +
             "', more than the 65535 a Coff section can number.";
    if (!Coff::isUdata(coff.cScnHdr.at(name))) bytes += rawDataSize(coff, name);
    bytes += reloc::SIZE * relocs + coff_lineno::SIZE * lines;
  }
  bytes += uint64_t{SymbolEntry::SIZE} * coff.cSymTbl.size() + 4;
  for (const auto& [offset, text] : coff.cStrTbl) bytes += text.size() + 1;
  if (bytes > kCoffMaxFileBytes) return "' would be " + fileBytesPastLimit(bytes);
  return "";
}

CoffBlocks computeBlocks(const Coff& coff, const std::vector<std::string>& sections) {
  CoffBlocks blocks;
  blocks.secHdrStart = FileHeader::SIZE + OptionalHeader::SIZE;
  blocks.secHdrLength = SectionHeader::SIZE * static_cast<uint32_t>(sections.size());
  uint32_t relocs = 0;
  uint32_t lines = 0;
  for (const std::string& name : sections) {
    if (!Coff::isUdata(coff.cScnHdr.at(name))) blocks.rawDataLength += rawDataSize(coff, name);
    relocs += static_cast<uint32_t>(entryCount(coff.cScnReloc, name));
    lines += static_cast<uint32_t>(entryCount(coff.cScnLineno, name));
  }
  blocks.rawDataStart = blocks.secHdrStart + blocks.secHdrLength;
  blocks.relocStart = blocks.rawDataStart + blocks.rawDataLength;
  blocks.relocLength = reloc::SIZE * relocs;
  blocks.lineStart = blocks.relocStart + blocks.relocLength;
  blocks.lineLength = coff_lineno::SIZE * lines;
  blocks.symbolStart = blocks.lineStart + blocks.lineLength;
  blocks.symbolLength = SymbolEntry::SIZE * static_cast<uint32_t>(coff.cSymTbl.size());
  blocks.stringStart = blocks.symbolStart + blocks.symbolLength;
  blocks.stringLength = stringTableLength(coff.cStrTbl);
  return blocks;
}

void Coff::preWrite() {
  cFileHdr.f_timdat = static_cast<uint32_t>(std::time(nullptr));
  layout();
}

void Coff::layout() {
  const std::vector<std::string> sections = sectionsInWriteOrder(*this);
  const CoffBlocks blocks = computeBlocks(*this, sections);
  const bool trace = traceOn("Coff::preWrite");
  if (trace) traceBlocks(blocks);

  cFileHdr.f_nscns = static_cast<uint16_t>(sections.size());
  cFileHdr.f_symptr = cSymTbl.empty() ? 0 : blocks.symbolStart;
  cFileHdr.f_nsyms = static_cast<uint32_t>(cSymTbl.size());

  uint32_t rawPointer = blocks.rawDataStart;
  uint32_t relocPointer = blocks.relocStart;
  uint32_t linePointer = blocks.lineStart;
  for (const std::string& name : sections) {
    SectionHeader& header = cScnHdr.at(name);
    const uint32_t size = rawDataSize(*this, name);
    const uint32_t relocs = static_cast<uint32_t>(entryCount(cScnReloc, name));
    const uint32_t lines = static_cast<uint32_t>(entryCount(cScnLineno, name));
    const bool udata = isUdata(header);
    header.s_size = size;
    header.s_scnptr = (size == 0 || udata) ? 0 : rawPointer;
    if (!udata) rawPointer += size;
    header.s_nreloc = static_cast<uint16_t>(relocs);
    header.s_relptr = relocs == 0 ? 0 : relocPointer;
    relocPointer += reloc::SIZE * relocs;
    header.s_nlnno = static_cast<uint16_t>(lines);
    header.s_lnnoptr = lines == 0 ? 0 : linePointer;
    linePointer += coff_lineno::SIZE * lines;
    if (trace) traceSection(numberOf(*this, name), name, header);
  }
  fixupAuxFcns();
  cFileHdr.f_magic = COFF_MAGIC;
}

uint32_t Coff::size() const {
  const CoffBlocks blocks = computeBlocks(*this, sectionsInWriteOrder(*this));
  if (traceOn("Coff::size")) {
    traceBlocks(blocks);
    std::cout << "fileLength=" << formatHex(blocks.total(), 4) << std::endl;
  }
  return blocks.total();
}

void Coff::fixupAuxFcns() {
  FunctionLines functionLines;
  for (size_t i = 0; i < cSymTbl.size(); ++i) {
    const bool function = auxKind(cSymTbl[i]) == AUX_FCN;
    if (function && i + 1 < cSymTbl.size()) pointAtFunctionLine(*this, i, functionLines);
    if (function || cSymTbl[i].n_numaux == 1) ++i;
  }
}
