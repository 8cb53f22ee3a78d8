#include "coff2cod.h"

#include <iostream>

#include "banners.h"
#include "debug_switches.h"
#include "diagnostics.h"
#include "file_info.h"
#include "mgproc.h"
#include "program_width.h"
#include "same_file.h"

LstLine::LstLine(const std::string& sectionName, const coff_lineno& entry)
    : secName(sectionName),
      l_srcndx(entry.l_srcndx),
      l_lnno(entry.l_lnno),
      l_paddr(entry.l_paddr),
      l_flags(entry.l_flags),
      l_fcnndx(entry.l_fcnndx) {}

Coff2Cod* Coff2Cod::convert(const Coff& coff, int pageLength, int noListing) {
  cPageLength = pageLength;
  cRowCount = 0;
  if (!checkProcessor(coff) || !checkProgramWidth(coff, "Coff2Cod::convert()")) {
    return nullptr;
  }
  buildLineMap(coff);
  initDirectory(coff);
  if (!createRawDataAndMemoryMap(coff)) {
    return nullptr;
  }
  createSourceNames(coff);
  if (!checkSourceCount(coff)) {
    return nullptr;
  }
  createSymbols(coff);
  if (!checkOutputNames(coff, noListing)) {
    return nullptr;
  }
  if (!noListing && !createListFile(coff)) {
    return nullptr;
  }
  return this;
}

// The processor type word comes from the file (and reads 0 for an object in
// the older layout, which has no optional header): test it before using it.
int Coff2Cod::checkProcessor(const Coff& coff) {
  const uint32_t procType = coff.cOptHdr.proc_type;
  if (procType > 0xFFFF || !procIsCoffType(static_cast<uint16_t>(procType))) {
    reportError("Coff2Cod::convert()", "Unsupported processor type in file '", coff.cName, "'");
    return 0;
  }
  cProcessor = procFromCoffType(static_cast<uint16_t>(procType));
  cBytesPerWord = (procRomWidthBits(cProcessor) + 7) / 8;
  return 1;
}

// Neither the COD file nor the listing may be written over the object or a
// source file it names, nor one over the other (through a link): the file
// would keep only what was written last. The sources count without a
// listing too: a COD file written over one destroys it all the same.
int Coff2Cod::checkOutputNames(const Coff& coff, int noListing) const {
  std::vector<std::string> inputs = {coff.cName};
  // Every named ".file", as numbered.
  for (const auto& [index, number] : cFileNum) {
    inputs.push_back(sourceFileName(coff, index));
  }
  std::vector<std::string> outputs;
  if (!noListing) outputs.push_back(listFileName(coff));
  outputs.push_back(codFileName());
  const std::string refusal = sameFileRefusal(outputs, inputs);
  if (refusal.empty()) return 1;
  reportError("Coff2Cod::convert()", refusal);
  return 0;
}

int Coff2Cod::writeFiles() { return write(cOutputs, codFileName()) && cOutputs.commitAll(); }

void Coff2Cod::buildLineMap(const Coff& coff) {
  for (const auto& [name, header] : coff.cScnHdr) {
    if (Coff::sectionType(header) != SECTION_CODE) {
      continue;
    }
    const auto lines = coff.cScnLineno.find(name);
    if (lines == coff.cScnLineno.end()) {
      continue;
    }
    for (const coff_lineno& entry : lines->second) {
      cLine[entry.l_srcndx][entry.l_lnno].push_back(LstLine(name, entry));
    }
  }
  if (traceOn("Coff2Cod::buildLineMap")) {
    std::cout << "Coff2Cod::buildLineMap() - Dumping contents of cLine: " << std::endl;
    for (const auto& [srcndx, byLine] : cLine) {
      for (const auto& [lineNumber, entries] : byLine) {
        for (const LstLine& entry : entries) {
          std::cout << "   srcndx=" << srcndx << ",  linenum=" << lineNumber
                    << ",  secName=" << entry.secName << ",  paddr=" << entry.l_paddr << std::endl;
        }
      }
    }
  }
}

void Coff2Cod::initDirectory(const Coff& coff) {
  Directory directory;
  // The directory field holds at most 63 characters; the file itself is
  // created under the whole name, so a long base name never loses its ".cod"
  // and never lands on another file.
  cFileName = FileInfo(coff.cName).baseName() + ".cod";
  directory.setSource(cFileName);
  directory.setVersion(codShortBanner());
  directory.setNotice(noticeBanner());
  directory.setProcessor(procName(cProcessor));
  cDirectory.push_back(directory);
}

void Coff2Cod::createSourceNames(const Coff& coff) {
  const std::size_t count = coff.cSymTbl.size();
  for (std::size_t index = 0; index < count; ++index) {
    if (coff.cAuxType[index] != AUX_NONE) {
      continue;  // auxiliary entries are read through their primary entry
    }
    if (coff.cSymTbl[index].n_sclass != C_FILE) {
      continue;
    }
    // A record without a name reads back as an unused one: the names after
    // it would move up and the line information would name the wrong file.
    // A file without a name cannot be listed, so nothing refers to it.
    const std::string name = sourceFileName(coff, index);
    if (name.empty()) {
      continue;
    }
    cFileNum[static_cast<uint32_t>(index)] = static_cast<int>(cSourceName.size());
    cSourceName.push_back(SourceName(name));
  }
}

// A line record numbers its source file in one byte: a later file would be
// recorded as one of the first ones, and a debugger would show the wrong
// source. Tested before the listing, so a refused object writes no file.
int Coff2Cod::checkSourceCount(const Coff& coff) const {
  if (cSourceName.size() <= kMaxSourceFiles) {
    return 1;
  }
  reportError("Coff2Cod::convert()", "Coff file '", coff.cName, "' names ", cSourceName.size(),
              " source files, more than the ", kMaxSourceFiles, " a Cod file can number.");
  return 0;
}

// The name held by the AuxFile entry of the ".file" symbol at fileIndex; a
// ".file" symbol without one names no file.
std::string Coff2Cod::sourceFileName(const Coff& coff, std::size_t fileIndex) const {
  const std::size_t auxIndex = fileIndex + 1;
  if (auxIndex >= coff.cSymTbl.size() || coff.cAuxType[auxIndex] != AUX_FILE) {
    return "";
  }
  return Coff::getName(AuxFile::from(coff.cSymTbl[auxIndex]), coff.cStrTbl);
}

void Coff2Cod::createSymbols(const Coff& coff) {
  const std::size_t count = coff.cSymTbl.size();
  for (std::size_t index = 0; index < count; ++index) {
    if (coff.cAuxType[index] != AUX_NONE) {
      continue;  // the bytes of an auxiliary entry are no symbol
    }
    const SymbolEntry& entry = coff.cSymTbl[index];
    if (entry.n_sclass != C_EXT && entry.n_sclass != C_STAT && entry.n_sclass != C_LABEL) {
      continue;
    }
    if (entry.n_scnum < 1) {
      continue;
    }
    uint16_t type = COD_SYMBOL_TYPE_CONSTANT;
    const auto sectionName = coff.cScnNum.find(entry.n_scnum);
    if (sectionName != coff.cScnNum.end()) {
      const auto header = coff.cScnHdr.find(sectionName->second);
      if (header != coff.cScnHdr.end()) {
        const uint8_t sectionType = Coff::sectionType(header->second);
        if (sectionType == SECTION_CODE || sectionType == SECTION_ROMDATA) {
          type = COD_SYMBOL_TYPE_ADDRESS;
        }
      }
    }
    // A long symbol record without a name reads back as the end of its
    // block, which would lose every long symbol after it.
    const std::string name = Coff::getName(entry, coff.cStrTbl);
    if (name.empty()) {
      continue;
    }
    cSymbol.push_back(
        Symbol(name, static_cast<uint8_t>(type), static_cast<uint16_t>(entry.n_value)));
    cLongSymbol.push_back(LongSymbol(name, type, entry.n_value));
  }
}
