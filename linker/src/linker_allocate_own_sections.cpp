// Allocation of the sections that the linker makes itself: the stack, the
// initialised-data table ".cinit" and the program-memory image of every
// initialised-data section, which the start-up code copies from.
#include <cstdint>

#include "allocation_rules.h"
#include "qassert.h"

using namespace allocation;

namespace {

uint32_t idataCount(const Linker& linker) {
  uint32_t count = 0;
  for (const auto& entry : linker.cScnType) {
    if (entry.second == kIdata) ++count;
  }
  return count;
}

// The table's bytes, in 64 bits: the count word and one entry per idata
// section, each byte of which takes a whole word on the narrow cores.
uint64_t cinitLength(const Linker& linker) {
  const uint64_t bytes = 2 + uint64_t{idataCount(linker)} * cinitEntrySize(linker.cProcessor);
  return addressUnits(linker, bytes);
}

}  // namespace

// The image of an idata section, in the code page its directive names or
// by best fit. The passes hand over image names only, so the base is the
// name without its "_i" even where baseSectionName would keep a short name
// whole: the image of a section named "" is "_i", apart from the image
// "_i_i" of a section named "_i".
int Linker::allocateInitImage(const std::string& imageName, std::string& error) {
  QOR_ASSERT(imageName.size() >= 2 && imageName.compare(imageName.size() - 2, 2, "_i") == 0);
  const std::string base = imageName.substr(0, imageName.size() - 2);
  const uint64_t length = addressUnits(*this, valueOf(cScnSize, base));
  const auto named = cSectionIndex.find(imageName);
  const SectionDesc* desc = named == cSectionIndex.end() ? nullptr : named->second;
  if (desc == nullptr) return placeRelUnassigned(*this, cCodePage, imageName, length, 0, error);
  if (!desc->getRunMemory().empty()) {
    error = "section '" + imageName +
            "' can not have a 'RAM' memory attribute specified in the linker command file.";
    return 0;
  }
  return placeRelAssigned(*this, cCodePage, desc->getLoadMemory(), imageName, length, 0, error);
}

int Linker::stackHasMemory() const {
  return cHasStack && !cStackDesc.getRunMemory().empty() ? 1 : 0;
}

int Linker::allocateStack(std::string& error) {
  if (!cHasStack) return 1;
  const uint32_t length = cStackDesc.getSize();
  const std::string name = cStackDesc.getRunMemory();
  // Without a named bank the stack stays out of the shared and access
  // banks, which are kept for the sections that ask for them.
  if (name.empty()) return allocateRelUnassigned(cDataBanks, cStackScnName, length, 0, error);
  for (std::list<Memory>* memories : {&cDataBanks, &cShareBanks, &cAccessBanks}) {
    if (findMemory(*memories, name) != nullptr) {
      return allocateRelAssigned(*memories, name, cStackScnName, length, 0, error);
    }
  }
  error = "undefined DATABANK/SHAREBANK '" + name + "' for STACK. ";
  return 0;
}

int Linker::cinitHasSection() const {
  return findDesc(cSectionDesc, cCinitScnName) != nullptr ? 1 : 0;
}

uint32_t Linker::cinitSize() const { return saturated(cinitLength(*this)); }

int Linker::allocateCinit(std::string& error) {
  Coff::setName(cCinitSym, cOutput.cStrTbl, "_cinit");
  cCinitSym.n_scnum = 0;
  cCinitSym.n_type = 0;
  cCinitSym.n_sclass = C_EXT;
  cCinitSym.n_numaux = 0;
  // The table counts its entries in 16 bits; a larger count would be
  // read back as a few entries and the rest of the data left uncopied.
  if (idataCount(*this) > 0xFFFF) {
    error = "section '" + cCinitScnName +
            "' can not describe more than 65535 initialized data sections.";
    return 0;
  }
  const uint64_t length = cinitLength(*this);
  const SectionDesc* desc = findDesc(cSectionDesc, cCinitScnName);
  int placed = 0;
  if (desc == nullptr) {
    placed = placeRelUnassigned(*this, cCodePage, cCinitScnName, length, 0, error);
  } else if (!desc->getRunMemory().empty()) {
    error = "section '" + cCinitScnName +
            "' contains initialized rom data and can not have a 'RAM' memory attribute "
            "specified in the linker command file.";
    return 0;
  } else {
    placed =
        placeRelAssigned(*this, cCodePage, desc->getLoadMemory(), cCinitScnName, length, 0, error);
  }
  if (!placed) return 0;
  cCinitSym.n_value = cScnMem.at(cCinitScnName)->getAllocStart(cCinitScnName);
  return 1;
}

uint32_t Linker::toAddressUnits(uint32_t bytes) const {
  // Saturates: a doubled length past 32 bits would otherwise wrap small.
  return saturated(addressUnits(*this, bytes));
}

std::string Linker::initSectionName(const std::string& name) { return name + "_i"; }

std::string Linker::baseSectionName(const std::string& name) {
  const bool isImage = name.size() > 2 && name.compare(name.size() - 2, 2, "_i") == 0;
  return isImage ? name.substr(0, name.size() - 2) : name;
}
