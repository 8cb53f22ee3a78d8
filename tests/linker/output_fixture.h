// The state that the phases before the output builders leave in a Linker:
// the processor and its widths, memories with the sections placed in them
// and every input's part loaded under its input key, the per-section
// tables, the initialised-data table and the stack. Tests then run the
// builders and lay the output out and verify it, as the link does.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "linker.h"
#include "mgproc.h"
#include "object_builder.h"

namespace outputtest {

inline ProcessorCode processorOf(CoreFamily family) {
  for (unsigned code = PROC_FIRST; code <= PROC_LAST; ++code)
    if (procFamily(static_cast<ProcessorCode>(code)) == family)
      return static_cast<ProcessorCode>(code);
  return 0;
}

inline Data bytesOf(const std::vector<uint8_t>& bytes) {
  return Data(static_cast<uint32_t>(bytes.size()), bytes.data());
}

inline std::vector<uint8_t> vectorOf(const Data& data) {
  return std::vector<uint8_t>(data.data(), data.data() + data.size());
}

class LinkState {
 public:
  explicit LinkState(CoreFamily family) {
    linker.cProcessor = processorOf(family);
    linker.cFamily = family;
    linker.cRomWidthBits = static_cast<uint16_t>(procRomWidthBits(linker.cProcessor));
    linker.cRamWidthBits = static_cast<uint16_t>(procRamWidthBits(linker.cProcessor));
    linker.cOutputFile = "out.o";
    linker.cCinitData = Data(2);  // a table of no entries
  }

  Memory& codePage(const std::string& name, uint32_t start, uint32_t end,
                   const std::string& fill = "") {
    std::string error;
    const Memory page(name, start, end, Linker::rom, 0, fill.empty() ? 0 : 1, fill);
    EXPECT_EQ(linker.addCodePage(page, error), 1) << error;
    linker.cCodePage.back().setWidthBits(linker.cRomWidthBits);
    return linker.cCodePage.back();
  }

  Memory& dataBank(const std::string& name, uint32_t start, uint32_t end) {
    std::string error;
    EXPECT_EQ(linker.addDataBank(Memory(name, start, end, Linker::ram, 0, 0, ""), error), 1)
        << error;
    linker.cDataBanks.back().setWidthBits(linker.cRamWidthBits);
    return linker.cDataBanks.back();
  }

  void input(const qortest::ObjectBuilder& object) { linker.cCoff.push_back(object.coff()); }

  // A section of the inputs at start: its type and attributes from the first
  // input that has it, its size the sum of the parts, each part loaded in
  // input order.
  void place(const std::string& name, Memory& memory, uint32_t start) {
    uint32_t size = 0;
    const SectionHeader* first = nullptr;
    for (const auto& coff : linker.cCoff) {
      const auto header = coff->cScnHdr.find(name);
      if (header == coff->cScnHdr.end()) continue;
      size += header->second.s_size;
      if (first == nullptr) first = &header->second;
    }
    ASSERT_NE(first, nullptr) << name;
    linker.cScnType[name] = Coff::sectionType(*first);
    linker.cScnSize[name] = size;
    linker.cScnAbs[name] = Coff::isAbsolute(*first);
    linker.cScnShare[name] = Coff::isShared(*first);
    linker.cScnAccess[name] = Coff::isAccess(*first);
    placeOwn(name, memory, start, size);
    for (size_t position = 0; position < linker.cCoff.size(); ++position) {
      const auto header = linker.cCoff[position]->cScnHdr.find(name);
      if (header != linker.cCoff[position]->cScnHdr.end())
        memory.load(linker.inputKey(position), name, header->second.s_size);
    }
  }

  // A section that the linker makes itself (an image, the table, the stack).
  void placeOwn(const std::string& name, Memory& memory, uint32_t start, uint32_t bytes) {
    memory.allocate(name, start, bytes, 0);
    linker.cScnMem[name] = &memory;
  }

  void stack(Memory& bank, uint32_t start, uint32_t size) {
    linker.cHasStack = 1;
    linker.cStackDesc = StackDesc(size, "");
    placeOwn(".stack", bank, start, size);
  }

  // The builders in the link's order, the fill, then layout and check.
  int build() {
    std::string error;
    for (auto step :
         {&Linker::buildOutputScnNum, &Linker::buildOutputSymbolTbl, &Linker::buildOutputRawData,
          &Linker::buildOutputLineInfo, &Linker::buildOutputStrTbl, &Linker::buildOutputScnHdrs,
          &Linker::buildOutputHeader}) {
      if ((linker.*step)(error) != 1) return 0;
      EXPECT_EQ(error, "");
    }
    linker.buildOutputHoles();
    linker.cOutput.preWrite();
    return linker.cOutput.verify();
  }

  std::vector<std::string> sectionOrder() const {
    std::vector<std::string> names;
    for (const auto& [number, name] : linker.cOutput.cScnNum) names.push_back(name);
    return names;
  }

  std::vector<uint8_t> rawData(const std::string& name) const {
    const auto found = linker.cOutput.cRawData.find(name);
    return found == linker.cOutput.cRawData.end() ? std::vector<uint8_t>{}
                                                  : vectorOf(found->second);
  }

  const SectionHeader& header(const std::string& name) const {
    return linker.cOutput.cScnHdr.at(name);
  }

  Linker linker;
};

}  // namespace outputtest
