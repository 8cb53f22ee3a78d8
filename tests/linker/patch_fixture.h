// A link as the phases before patching leave it: the processor and family
// known, the inputs' ".text" parts placed and loaded one after another in a
// code page, and each input's symbol 0 "target" at its final address.
// Symbol 1 of each input is a ".file" entry and symbol 2 its aux entry.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "linker.h"
#include "mgproc.h"
#include "object_builder.h"

namespace patchtest {

using Bytes = std::vector<uint8_t>;

// Where ".text" starts in the code page, in the page's locations.
constexpr uint32_t kTextStart = 0x1000;

struct Input {
  std::string name;
  Bytes bytes;
  std::vector<reloc> relocs;
  uint32_t target;  // the final address of symbol 0
};

class PatchLink {
 public:
  PatchLink(ProcessorCode processor, const std::vector<Input>& inputs, bool accessBanks = true) {
    cLinker.cProcessor = processor;
    cLinker.cFamily = procFamily(processor);
    if (accessBanks) {
      cLinker.cAccessBanks.emplace_back("gpr", 0x000, 0x05F, Linker::ram, 0, 0, "");
      cLinker.cAccessBanks.emplace_back("sfr", 0xF60, 0xFFF, Linker::ram, 0, 0, "");
    }
    uint32_t length = 0;
    for (const Input& input : inputs) {
      cLinker.cCoff.push_back(object(input));
      length += static_cast<uint32_t>(input.bytes.size());
    }
    Memory& page = cLinker.cCodePage.emplace_back("page", 0, 0xFFFF, Linker::rom, 0, 0, "");
    page.setWidthBits(static_cast<uint16_t>(procRomWidthBits(processor)));
    page.allocate(".text", kTextStart, length, 0);
    for (size_t i = 0; i < inputs.size(); ++i)
      page.load(cLinker.inputKey(i), ".text", static_cast<uint32_t>(inputs[i].bytes.size()));
    cLinker.cScnMem[".text"] = &page;
  }

  Bytes text(size_t position = 0) {
    const Data& data = cLinker.cCoff.at(position)->cRawData[".text"];
    return Bytes(data.data(), data.data() + data.size());
  }

  Linker cLinker;

 private:
  static std::unique_ptr<Coff> object(const Input& input) {
    qortest::ObjectBuilder builder(input.name);
    builder.code(".text").bytes(input.bytes);
    for (const reloc& entry : input.relocs)
      builder.reloc(entry.r_vaddr, entry.r_symndx, entry.r_offset, entry.r_type);
    return builder.global("target", input.target, 1).fileSymbol("a.asm").coff();
  }
};

inline reloc relocAt(uint32_t vaddr, uint16_t type, uint32_t symndx = 0, int16_t addend = 0) {
  reloc entry;
  entry.r_vaddr = vaddr;
  entry.r_symndx = symndx;
  entry.r_offset = addend;
  entry.r_type = type;
  return entry;
}

}  // namespace patchtest
