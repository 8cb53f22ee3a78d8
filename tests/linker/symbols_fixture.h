// A link brought to the point where symbols are handled: one code page of
// 16-bit words, one data bank, the inputs in cCoff, every section allocated
// and every input's part of it loaded, and "_cinit" named, as allocation and
// loading leave them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "coff.h"
#include "linker.h"
#include "object_builder.h"

namespace symbols_test {

constexpr uint32_t CINIT_START = 0x0400;

class SymbolLink {
 public:
  SymbolLink() {
    std::string error;
    EXPECT_EQ(linker.addCodePage(Memory("page0", 0, 0x7FFF, Linker::rom, 0, 0, ""), error), 1);
    EXPECT_EQ(linker.addDataBank(Memory("bank0", 0, 0xFFF, Linker::ram, 0, 0, ""), error), 1);
    code().setWidthBits(16);
    data().setWidthBits(8);
    Coff::setName(linker.cCinitSym, linker.cOutput.cStrTbl, "_cinit");
    linker.cCinitSym.n_sclass = C_EXT;
    linker.cCinitSym.n_value = CINIT_START;
  }

  Memory& code() { return linker.cCodePage.front(); }
  Memory& data() { return linker.cDataBanks.front(); }

  size_t add(const qortest::ObjectBuilder& builder) {
    linker.cCoff.push_back(builder.coff());
    return linker.cCoff.size() - 1;
  }
  Coff& input(size_t position) { return *linker.cCoff.at(position); }

  // Allocates `section` at `start` with the length of all inputs' parts and
  // loads the parts in input order.
  void place(const std::string& section, Memory& memory, uint32_t start) {
    uint32_t length = 0;
    for (const auto& file : linker.cCoff) {
      if (const auto header = file->cScnHdr.find(section); header != file->cScnHdr.end()) {
        length += header->second.s_size;
        linker.cScnType[section] = Coff::sectionType(header->second);
      }
    }
    ASSERT_EQ(memory.allocate(section, start, length, 0), 1);
    linker.cScnMem[section] = &memory;
    for (size_t position = 0; position < linker.cCoff.size(); ++position) {
      const auto& headers = linker.cCoff[position]->cScnHdr;
      if (const auto header = headers.find(section); header != headers.end())
        memory.load(linker.inputKey(position), section, header->second.s_size);
    }
  }

  // A STACK directive of `size` bytes whose section lies at `start` of the
  // data bank.
  void placeStack(uint32_t start, uint32_t size) {
    std::string error;
    ASSERT_EQ(linker.setStack(StackDesc(size, ""), error), 1) << error;
    ASSERT_EQ(data().allocate(linker.cStackScnName, start, size, 0), 1);
    linker.cScnMem[linker.cStackScnName] = &data();
  }

  // The first primary symbol of that name in an input (a test's small
  // tables are searched whole).
  SymbolEntry& symbol(size_t position, const std::string& name) {
    Coff& file = input(position);
    for (size_t i = 0; i < file.cSymTbl.size(); ++i) {
      if (file.cAuxType[i] == AUX_NONE && Coff::getName(file.cSymTbl[i], file.cStrTbl) == name)
        return file.cSymTbl[i];
    }
    ADD_FAILURE() << "no symbol '" << name << "' in input " << position;
    return file.cSymTbl.at(0);
  }

  Linker linker;
};

// A symbol table slot holding a primary entry, for the slot after a symbol
// whose aux count claims it.
inline SymbolEntry primarySlot(const std::string& name, uint32_t value, int16_t section,
                               uint8_t storageClass) {
  SymbolEntry slot;
  Coff::setName(slot, StringTable{}, name);
  slot.n_value = value;
  slot.n_scnum = section;
  slot.n_sclass = storageClass;
  return slot;
}

}  // namespace symbols_test
