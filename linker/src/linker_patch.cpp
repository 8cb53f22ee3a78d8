// Relocation patching: the check of Zarn call targets, the walk over every
// relocation of every input, the choice of the family's patcher and the
// bit writer they all use. The family patchers are in patch_*.cpp.
#include <functional>
#include <iostream>
#include <string>

#include "debug_switches.h"
#include "linker.h"
#include "output_support.h"
#include "patch_site.h"
#include "qassert.h"
#include "reloctypes.h"
#include "text_helpers.h"

namespace {

// Called for each relocation with the input's position, the input, the
// section name and the entry; 0 stops the walk.
using RelocVisitor =
    std::function<int(size_t position, Coff& file, const std::string& scnName, const reloc&)>;

// Inputs in link order, their sections by number, relocations in order.
int forEachReloc(const std::vector<std::unique_ptr<Coff>>& inputs, const RelocVisitor& visit) {
  for (size_t position = 0; position < inputs.size(); ++position) {
    Coff& file = *inputs[position];
    for (const auto& [number, scnName] : file.cScnNum) {
      const auto relocs = file.cScnReloc.find(scnName);
      if (relocs == file.cScnReloc.end()) continue;
      for (const reloc& entry : relocs->second) {
        if (!visit(position, file, scnName, entry)) return 0;
      }
    }
  }
  return 1;
}

// The start of every message about one section of one input.
std::string where(const Coff& file, const std::string& scnName) {
  return "file '" + file.cName + "', section '" + scnName + "', ";
}

void traceReloc(const char* phase, const Coff& file, const std::string& scnName,
                const reloc& entry) {
  if (!traceOn(phase)) return;
  std::cout << phase << "() -  file '" << file.cName << "', section '" << scnName << "',    reloc=";
  Coff::dumpReloc(std::cout, entry);
}

// Coff::verify keeps r_symndx inside the symbol table of an object file,
// but a library member is not verified, and an index may point at an
// auxiliary entry, whose bytes are no symbol. Either would be read as an
// address; refuse it instead.
int namesSymbol(const Coff& file, const reloc& entry) {
  return entry.r_symndx < file.cSymTbl.size() && entry.r_symndx < file.cAuxType.size() &&
         file.cAuxType[entry.r_symndx] == AUX_NONE;
}

int refuseSymbol(const Coff& file, const std::string& scnName, const reloc& entry,
                 std::string& error) {
  error = where(file, scnName) + "relocation at offset " + formatHex(entry.r_vaddr, 4) +
          " names no symbol.";
  return 0;
}

}  // namespace

// A Zarn call reaches only the lower half of a page: the call instruction
// holds eight address bits and the ninth is always 0.
int Linker::verifyRelocations(std::string& error) {
  if (cFamily != CORE_ZARN) return 1;
  const uint32_t pageSize = procPageSize(cProcessor);
  const uint32_t half = pageSize >> 1;
  const auto check = [&](size_t, Coff& file, const std::string& scnName, const reloc& entry) {
    traceReloc("Linker::verifyRelocations", file, scnName, entry);
    if (entry.r_type != RELOCT_CALL) return 1;
    if (!namesSymbol(file, entry)) return refuseSymbol(file, scnName, entry, error);
    if (patch::relocValue(entry, file.cSymTbl) % pageSize < half) return 1;
    error = where(file, scnName) + "performs a call to \n symbol '" +
            patch::symbolName(entry, file.cSymTbl, file.cStrTbl) +
            "' which is not in the lower half of a page.";
    return 0;
  };
  return forEachReloc(cCoff, check);
}

int Linker::patchSections(std::string& error) {
  // The relocations of one input's section come one after another; where
  // that part was loaded is looked up once for all of them.
  const std::string* partSection = nullptr;
  size_t partPosition = 0;
  uint32_t loadStart = 0;
  const auto patch = [&](size_t position, Coff& file, const std::string& scnName,
                         const reloc& entry) {
    traceReloc("Linker::patchSections", file, scnName, entry);
    if (&scnName != partSection || position != partPosition) {
      const Memory& memory =
          memoryOfSection(cScnMem, scnName, "(mem=cScnMem.find(scnName)) != cScnMem.end()");
      loadStart = memory.getLoadStart(inputKey(position), scnName);
      partSection = &scnName;
      partPosition = position;
    }
    if (!namesSymbol(file, entry)) return refuseSymbol(file, scnName, entry, error);
    std::string patchError;
    if (doPatch(loadStart, file.cRawData[scnName], entry, file.cSymTbl, file.cStrTbl, patchError))
      return 1;
    error = where(file, scnName) + patchError;
    return 0;
  };
  return forEachReloc(cCoff, patch);
}

int Linker::doPatch(uint32_t loadStart, Data& data, const reloc& entry,
                    const std::vector<SymbolEntry>& symTbl, const StringTable& strTbl,
                    std::string& error) {
  switch (cFamily) {
    case CORE_OSTRA: return doPatchOstra(loadStart, data, entry, symTbl, strTbl, error);
    case CORE_MIREL: return doPatchMirel(data, entry, symTbl, strTbl, error);
    case CORE_ZARN: return doPatchZarn(data, entry, symTbl, strTbl, error);
    case CORE_VESK: return doPatchVesk(data, entry, symTbl, strTbl, error);
    default: return 0;
  }
}

// The bits of a word are numbered from the section's first byte, least
// significant first, so a little-endian word's bit 8 is bit 0 of its
// second byte.
void Linker::patchBits(Data& d, uint32_t rawOffset, uint32_t value, uint16_t srcBegin,
                       uint16_t dstBegin, uint16_t width) {
  const uint32_t dsize = d.size();
  QOR_ASSERT(width <= 16);
  QOR_ASSERT(srcBegin < 32);
  QOR_ASSERT(dstBegin < 16);
  QOR_ASSERT((srcBegin + width) < 32);
  QOR_ASSERT(rawOffset <= dsize);
  const uint32_t first = rawOffset * 8u + dstBegin;
  for (uint16_t i = 0; i < width; ++i) setBit(d, first + i, (value >> (srcBegin + i)) & 1u);
}

void Linker::setBit(Data& d, uint32_t bitPos, int flag) {
  // clang-format off
  QOR_ASSERT(bitPos < 8*d.size());
  // clang-format on
  uint8_t& byte = d.data()[bitPos / 8u];
  const auto mask = static_cast<uint8_t>(1u << (bitPos % 8u));
  byte = flag ? static_cast<uint8_t>(byte | mask) : static_cast<uint8_t>(byte & ~mask);
}
