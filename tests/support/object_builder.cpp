#include "object_builder.h"

#include <cstdio>

#include "process_runner.h"
#include "qassert.h"

namespace qortest {

ObjectBuilder::ObjectBuilder(std::string fileName) {
  cCoff.cName = std::move(fileName);
  cCoff.cFileHdr.f_magic = COFF_MAGIC;
  cCoff.cFileHdr.f_opthdr = OptionalHeader::SIZE;
}

ObjectBuilder& ObjectBuilder::processor(uint32_t procType, uint32_t romWidthBits,
                                        uint32_t ramWidthBits) {
  cCoff.cOptHdr.proc_type = procType;
  cCoff.cOptHdr.rom_width_bits = romWidthBits;
  cCoff.cOptHdr.ram_width_bits = ramWidthBits;
  return *this;
}

ObjectBuilder& ObjectBuilder::fileFlags(uint16_t flags) {
  cCoff.cFileHdr.f_flags = flags;
  return *this;
}

ObjectBuilder& ObjectBuilder::timeStamp(uint32_t seconds) {
  cCoff.cFileHdr.f_timdat = seconds;
  return *this;
}

ObjectBuilder& ObjectBuilder::section(const std::string& name, uint32_t flags) {
  SectionHeader header;
  if (name.size() > 8) string(name);
  Coff::setName(header, cCoff.cStrTbl, name);
  header.s_flags = flags;
  cCoff.cScnHdr[name] = header;
  cCoff.cScnNum[static_cast<int>(cCoff.cScnNum.size()) + 1] = name;
  cLastSection = name;
  return *this;
}

ObjectBuilder& ObjectBuilder::udata(const std::string& name, uint32_t size) {
  section(name, STYP_UDATA);
  if (size != 0) cCoff.cRawData[name] = Data(size);
  return *this;
}

ObjectBuilder& ObjectBuilder::at(uint32_t address) {
  QOR_ASSERT(!cLastSection.empty());
  cCoff.cScnHdr[cLastSection].s_paddr = address;
  return *this;
}

ObjectBuilder& ObjectBuilder::virtualAt(uint32_t address) {
  QOR_ASSERT(!cLastSection.empty());
  cCoff.cScnHdr[cLastSection].s_vaddr = address;
  return *this;
}

ObjectBuilder& ObjectBuilder::addFlags(uint32_t flags) {
  QOR_ASSERT(!cLastSection.empty());
  cCoff.cScnHdr[cLastSection].s_flags |= flags;
  return *this;
}

ObjectBuilder& ObjectBuilder::bytes(const std::vector<uint8_t>& bytes) {
  QOR_ASSERT(!cLastSection.empty());
  cCoff.cRawData[cLastSection] = Data(static_cast<uint32_t>(bytes.size()), bytes.data());
  return *this;
}

ObjectBuilder& ObjectBuilder::reloc(uint32_t vaddr, uint32_t symndx, int16_t offset,
                                    uint16_t type) {
  QOR_ASSERT(!cLastSection.empty());
  ::reloc entry;
  entry.r_vaddr = vaddr;
  entry.r_symndx = symndx;
  entry.r_offset = offset;
  entry.r_type = type;
  cCoff.cScnReloc[cLastSection].push_back(entry);
  return *this;
}

ObjectBuilder& ObjectBuilder::line(uint32_t srcndx, uint16_t lnno, uint32_t paddr) {
  QOR_ASSERT(!cLastSection.empty());
  coff_lineno entry;
  entry.l_srcndx = srcndx;
  entry.l_lnno = lnno;
  entry.l_paddr = paddr;
  cCoff.cScnLineno[cLastSection].push_back(entry);
  return *this;
}

ObjectBuilder& ObjectBuilder::line(uint32_t srcndx, uint16_t lnno, uint32_t paddr,
                                   uint32_t fcnndx) {
  line(srcndx, lnno, paddr);
  coff_lineno& entry = cCoff.cScnLineno[cLastSection].back();
  entry.l_flags = LINENO_HASFCN;
  entry.l_fcnndx = fcnndx;
  return *this;
}

ObjectBuilder& ObjectBuilder::symbol(const std::string& name, uint32_t value, int16_t section,
                                     uint8_t storageClass, uint16_t type) {
  SymbolEntry entry;
  if (name.size() > 8) string(name);
  Coff::setName(entry, cCoff.cStrTbl, name);
  entry.n_value = value;
  entry.n_scnum = section;
  entry.n_type = type;
  entry.n_sclass = storageClass;
  cLastPrimary = cCoff.cSymTbl.size();
  cHasPrimary = true;
  cCoff.cSymTbl.push_back(entry);
  cCoff.cAuxType.push_back(AUX_NONE);
  return *this;
}

ObjectBuilder& ObjectBuilder::global(const std::string& name, uint32_t value, int16_t section) {
  return symbol(name, value, section, C_EXT);
}

ObjectBuilder& ObjectBuilder::externRef(const std::string& name) {
  return symbol(name, 0, N_UNDEF, C_EXT);
}

ObjectBuilder& ObjectBuilder::fileSymbol(const std::string& sourceName, uint32_t includedAtLine) {
  symbol(".file", 0, N_DEBUG, C_FILE);
  string(sourceName);
  AuxFile file;
  file.x_offset = static_cast<uint32_t>(stringOffset(sourceName));
  file.x_incline = includedAtLine;
  return aux(file);
}

ObjectBuilder& ObjectBuilder::auxSlot(const SymbolEntry& slot) {
  QOR_ASSERT(cHasPrimary);
  cCoff.cSymTbl[cLastPrimary].n_numaux = 1;
  const int kind = Coff::auxKind(cCoff.cSymTbl[cLastPrimary]);
  cCoff.cSymTbl.push_back(slot);
  cCoff.cAuxType.push_back(kind);
  return *this;
}

ObjectBuilder& ObjectBuilder::string(const std::string& text) {
  QOR_ASSERT(!text.empty());
  if (stringOffset(text) != 0) return *this;
  int next = 4;
  if (!cCoff.cStrTbl.empty()) {
    const auto& last = *cCoff.cStrTbl.rbegin();
    next = last.first + static_cast<int>(last.second.size()) + 1;
  }
  cCoff.cStrTbl[next] = text;
  return *this;
}

int ObjectBuilder::stringOffset(const std::string& text) const {
  for (const auto& [offset, stored] : cCoff.cStrTbl)
    if (stored == text) return offset;
  return 0;
}

uint32_t ObjectBuilder::nextSymbolIndex() const {
  return static_cast<uint32_t>(cCoff.cSymTbl.size());
}

std::unique_ptr<Coff> ObjectBuilder::coff() const {
  auto coff = std::make_unique<Coff>(cCoff);
  coff->layout();
  return coff;
}

std::vector<uint8_t> ObjectBuilder::image() const {
  std::vector<uint8_t> bytes;
  std::FILE* file = std::tmpfile();
  if (file == nullptr) return bytes;
  if (coff()->write(file, 0) == 1) {
    std::rewind(file);
    uint8_t buffer[4096];
    size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
      bytes.insert(bytes.end(), buffer, buffer + count);
  }
  std::fclose(file);
  return bytes;
}

std::string ObjectBuilder::writeFile(const std::string& path) const {
  const std::unique_ptr<Coff> laidOut = coff();
  laidOut->cName = path;
  laidOut->write();
  return path;
}

void claimZeroFilledBytes(std::vector<uint8_t>& bytes, size_t imageStart, uint32_t size) {
  const size_t headerStart = imageStart + FileHeader::SIZE + OptionalHeader::SIZE;
  if (bytes.size() < headerStart + SectionHeader::SIZE) return;
  SectionHeader header = SectionHeader::decode(&bytes[headerStart]);
  header.s_size = size;
  header.s_scnptr = 0;
  header.encode(&bytes[headerStart]);
}

std::vector<uint8_t> readFileBytes(const std::string& path) {
  const std::string content = readFile(path);
  return std::vector<uint8_t>(content.begin(), content.end());
}

bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  writeFile(path, std::string(bytes.begin(), bytes.end()));
  return fileExists(path);
}

}  // namespace qortest
