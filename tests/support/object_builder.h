// A short way for tests to describe an object file and get it as a laid-out
// Coff, as the bytes of its image, or as a file. Everything is written
// through Coff itself, so the tests exercise the one writer of the system.
//
//   auto coff = ObjectBuilder("a.o")
//                   .code(".text").at(0x10).bytes({0x01, 0x02})
//                   .reloc(0, 1, 0, 4).line(0, 12, 0x10, 1)
//                   .udata(".bss", 8)
//                   .fileSymbol("main.asm")
//                   .symbol("main", 0, 1, C_EXT, DT_FCN << 4).aux(AuxFcn{})
//                   .coff();
//
// Section calls (bytes, at, absolute, reloc, line, ...) apply to the section
// added last; aux applies to the symbol added last. Names longer than eight
// characters are added to the string table automatically.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "coff.h"

namespace qortest {

class ObjectBuilder {
 public:
  explicit ObjectBuilder(std::string fileName = "test.o");

  // File-level settings. The optional header defaults to zeros, f_opthdr 16.
  ObjectBuilder& processor(uint32_t procType, uint32_t romWidthBits, uint32_t ramWidthBits);
  ObjectBuilder& fileFlags(uint16_t flags);
  ObjectBuilder& timeStamp(uint32_t seconds);  // default 0, for exact images

  // Sections, numbered 1, 2, ... in the order they are added.
  ObjectBuilder& section(const std::string& name, uint32_t flags);
  ObjectBuilder& code(const std::string& name) { return section(name, STYP_CODE); }
  ObjectBuilder& idata(const std::string& name) { return section(name, STYP_IDATA); }
  ObjectBuilder& romdata(const std::string& name) { return section(name, STYP_ROMDATA); }
  // udata holds no bytes, only a length.
  ObjectBuilder& udata(const std::string& name, uint32_t size);

  ObjectBuilder& at(uint32_t address);         // s_paddr
  ObjectBuilder& virtualAt(uint32_t address);  // s_vaddr
  ObjectBuilder& absolute() { return addFlags(STYP_ABS); }
  ObjectBuilder& shared() { return addFlags(STYP_SHARED); }
  ObjectBuilder& overlay() { return addFlags(STYP_OVERLAY); }
  ObjectBuilder& access() { return addFlags(STYP_ACCESS); }
  ObjectBuilder& addFlags(uint32_t flags);
  ObjectBuilder& bytes(const std::vector<uint8_t>& bytes);
  ObjectBuilder& reloc(uint32_t vaddr, uint32_t symndx, int16_t offset, uint16_t type);
  // A line entry; a function index sets l_flags 0x0001.
  ObjectBuilder& line(uint32_t srcndx, uint16_t lnno, uint32_t paddr);
  ObjectBuilder& line(uint32_t srcndx, uint16_t lnno, uint32_t paddr, uint32_t fcnndx);

  // Symbols, in table order. `section` is the section number (or N_UNDEF,
  // N_ABS, N_DEBUG).
  ObjectBuilder& symbol(const std::string& name, uint32_t value, int16_t section,
                        uint8_t storageClass, uint16_t type = 0);
  // Shorthands: a defined external, an external reference.
  ObjectBuilder& global(const std::string& name, uint32_t value, int16_t section);
  ObjectBuilder& externRef(const std::string& name);
  // A ".file" symbol with its AuxFile entry naming the source file.
  ObjectBuilder& fileSymbol(const std::string& sourceName, uint32_t includedAtLine = 0);
  // An auxiliary entry after the symbol added last (sets its n_numaux to 1).
  template <class Aux>
  ObjectBuilder& aux(const Aux& entry) {
    SymbolEntry slot;
    entry.storeInto(slot);
    return auxSlot(slot);
  }
  ObjectBuilder& auxSlot(const SymbolEntry& slot);

  // A string in the string table (names of more than 8 characters are added
  // by themselves); returns the builder, the offset is stringOffset().
  ObjectBuilder& string(const std::string& text);
  int stringOffset(const std::string& text) const;
  // The index the next symbol will get.
  uint32_t nextSymbolIndex() const;

  // Results. The object is laid out (Coff::layout) with the chosen stamp.
  std::unique_ptr<Coff> coff() const;
  std::vector<uint8_t> image() const;
  // Writes the image to `path`; returns the path.
  std::string writeFile(const std::string& path) const;

 private:
  Coff cCoff;
  std::string cLastSection;
  size_t cLastPrimary = 0;
  bool cHasPrimary = false;
};

// Damages the object image that starts at `imageStart` of `bytes`: its first
// section claims `size` bytes without a raw data pointer, which a reader
// fills with zeros, so the image is measured longer than it is.
void claimZeroFilledBytes(std::vector<uint8_t>& bytes, size_t imageStart, uint32_t size);

// Reads a whole file as bytes (empty when it cannot be read).
std::vector<uint8_t> readFileBytes(const std::string& path);
// Writes bytes to a file, replacing it; false on failure.
bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace qortest
