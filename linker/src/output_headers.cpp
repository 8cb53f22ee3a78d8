// The output's section headers and its file and optional headers. Every
// output section is placed: its header carries its final address. Sizes,
// pointers and counts are left to the layout of the object.
#include "linker.h"
#include "output_support.h"
#include "string_index.h"

namespace {

// A header named from the output's string table (through its index), at
// the section's allocation start.
SectionHeader placedHeader(const Linker& linker, const StringIndex& names, const std::string& name,
                           uint8_t type, int absolute, int shared, int access) {
  SectionHeader header;
  Coff::setIndexedName(header, names, name);
  header.s_paddr = memoryOfSection(linker.cScnMem, name).getAllocStart(name);
  header.s_vaddr = 0;
  Coff::setSectionFlags(header, type, absolute, shared, access);
  return header;
}

int flagOf(const std::map<std::string, int>& flags, const std::string& name) {
  const auto found = flags.find(name);
  return found == flags.end() ? 0 : found->second;
}

}  // namespace

int Linker::buildOutputScnHdrs(std::string& /*error*/) {
  const StringIndex names(cOutput.cStrTbl);
  for (const auto& [name, type] : cScnType) {
    cOutput.cScnHdr[name] = placedHeader(*this, names, name, type, flagOf(cScnAbs, name),
                                         flagOf(cScnShare, name), flagOf(cScnAccess, name));
    if (type != SECTION_IDATA) continue;
    const std::string image = Linker::initSectionName(name);
    cOutput.cScnHdr[image] = placedHeader(*this, names, image, SECTION_ROMDATA, 0, 0, 0);
  }
  cOutput.cScnHdr[cCinitScnName] =
      placedHeader(*this, names, cCinitScnName, SECTION_ROMDATA, 0, 0, 0);
  if (cHasStack)
    cOutput.cScnHdr[cStackScnName] =
        placedHeader(*this, names, cStackScnName, SECTION_UDATA, 0, 0, 0);
  return 1;
}

int Linker::buildOutputHeader(std::string& /*error*/) {
  // The first input decides the magic words; the link has at least one.
  if (!cCoff.empty()) {
    cOutput.cFileHdr.f_magic = cCoff.front()->cFileHdr.f_magic;
    cOutput.cOptHdr.magic = cCoff.front()->cOptHdr.magic;
    cOutput.cOptHdr.vstamp = cCoff.front()->cOptHdr.vstamp;
  }
  cOutput.cFileHdr.f_opthdr = OptionalHeader::SIZE;
  cOutput.cFileHdr.f_flags = cStrip ? (F_EXEC | F_LNNO | F_DEBUG) : F_EXEC;
  cOutput.cOptHdr.proc_type = procCoffType(cProcessor);
  cOutput.cOptHdr.rom_width_bits = cRomWidthBits;
  cOutput.cOptHdr.ram_width_bits = cRamWidthBits;
  cOutput.cName = cOutputFile;
  return 1;
}
