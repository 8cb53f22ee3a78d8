// The written output object read back with the suite's own reader and held
// against the object the linker built: every count of its headers must be
// the count of what it holds, and every block must lie inside the file
// where the pointers say. A count or pointer that wrapped past its field
// reads back as another, smaller object without a message, which `verify`
// alone does not see.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "coff.h"
#include "coff_layout.h"
#include "fuzz_support.h"

namespace qorfuzz {

template <class List>
uint64_t countOf(const std::map<std::string, List>& lists, const std::string& name) {
  const auto found = lists.find(name);
  return found == lists.end() ? 0 : found->second.size();
}

inline void expectWithin(uint64_t pointer, uint64_t length, uint64_t fileSize, const char* what) {
  if (length != 0 && (pointer == 0 || pointer + length > fileSize))
    fail(std::string("the output's ") + what + " pointer lies outside the file");
}

// Every section of `built` against its header in `read`: counts as held,
// blocks inside the file and in the writer's order without gaps. Returns
// the end of the line-number block.
inline uint64_t checkSections(const Coff& built, const Coff& read,
                              const std::vector<std::string>& sections, uint64_t fileSize) {
  uint64_t raw = uint64_t{FileHeader::SIZE} + OptionalHeader::SIZE +
                 uint64_t{SectionHeader::SIZE} * sections.size();
  uint64_t relocs = 0;
  uint64_t lines = 0;
  for (const std::string& name : sections) {
    const auto header = read.cScnHdr.find(name);
    if (header == read.cScnHdr.end()) fail("a section of the output does not read back");
    const SectionHeader& h = header->second;
    const auto data = built.cRawData.find(name);
    const uint64_t size = data == built.cRawData.end() ? 0 : data->second.size();
    if (h.s_size != size) fail("a section's s_size is not its length");
    if (h.s_nreloc != countOf(built.cScnReloc, name)) fail("a section's s_nreloc is wrong");
    if (h.s_nlnno != countOf(built.cScnLineno, name)) fail("a section's s_nlnno is wrong");
    if (h.s_nlnno != countOf(read.cScnLineno, name)) fail("a section's lines do not read back");
    const bool inFile = !Coff::isUdata(h) && size != 0;
    if (inFile && h.s_scnptr != raw) fail("a section's s_scnptr is not where its bytes are");
    expectWithin(h.s_scnptr, inFile ? size : 0, fileSize, "raw data");
    expectWithin(h.s_relptr, uint64_t{reloc::SIZE} * h.s_nreloc, fileSize, "relocation");
    expectWithin(h.s_lnnoptr, uint64_t{coff_lineno::SIZE} * h.s_nlnno, fileSize, "line");
    if (inFile) raw += size;
    relocs += h.s_nreloc;
    lines += h.s_nlnno;
  }
  return raw + uint64_t{reloc::SIZE} * relocs + uint64_t{coff_lineno::SIZE} * lines;
}

// `built` is the linker's output object, `path` the file it was written to.
inline void checkWrittenOutput(const Coff& built, const std::string& path) {
  std::error_code error;
  const uint64_t fileSize = std::filesystem::file_size(path, error);
  if (error) fail("the output of a successful link has no size");
  std::unique_ptr<Coff> read = Coff::make(path);
  if (!read) fail("the output of a successful link does not read back");
  if (read->verify() != 1) fail("the output of a successful link does not verify");

  const std::vector<std::string> sections = sectionsInWriteOrder(built);
  if (read->cFileHdr.f_nscns != sections.size()) fail("the output's f_nscns is not its sections");
  if (read->cScnNum.size() != sections.size()) fail("the output's sections do not read back");
  const uint64_t symbols = built.cSymTbl.size();
  if (read->cFileHdr.f_nsyms != symbols || read->cSymTbl.size() != symbols)
    fail("the output's f_nsyms is not its symbols");

  const uint64_t symbolStart = checkSections(built, *read, sections, fileSize);
  if (symbols != 0 && read->cFileHdr.f_symptr != symbolStart)
    fail("the output's f_symptr is not where its symbols are");
  uint64_t end = symbolStart + uint64_t{SymbolEntry::SIZE} * symbols + 4;
  for (const auto& [offset, text] : built.cStrTbl) end += text.size() + 1;
  if (end != fileSize) fail("the output's blocks do not add up to its length");
}

}  // namespace qorfuzz
