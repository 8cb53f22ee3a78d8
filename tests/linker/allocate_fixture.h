// A Linker ready for section allocation: memories, SECTION and STACK lines
// given through its command operations, and the per-section tables that
// the processor and section checks fill before allocation runs.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>

#include "linker.h"
#include "mgproc.h"

namespace allocfix {

// One device of each family.
constexpr ProcessorCode kVesk = 7;     // 14-bit words, 6-byte init entries
constexpr ProcessorCode kMirel = 116;  // 16-bit words, program space ends at 0xFFFF
constexpr ProcessorCode kZarn = 1;     // 12-bit words
constexpr ProcessorCode kOstra = 127;  // byte-wide program memory, 12-byte init entries

constexpr uint8_t kCode = 1;
constexpr uint8_t kIdata = 2;
constexpr uint8_t kUdata = 3;
constexpr uint8_t kRomdata = 4;

// One section name of the inputs, as the section check records it.
struct Input {
  std::string name;
  uint8_t type = kCode;
  uint32_t size = 0;
  bool absolute = false;
  uint32_t start = 0;
  bool shared = false;
  bool access = false;
  bool overlay = false;
};

inline Input at(Input input, uint32_t start) {
  input.absolute = true;
  input.start = start;
  return input;
}
inline Input sharedIn(Input input) {
  input.shared = true;
  return input;
}
inline Input accessIn(Input input) {
  input.access = true;
  return input;
}
inline Input overlayIn(Input input) {
  input.overlay = true;
  return input;
}

class LinkSetup {
 public:
  explicit LinkSetup(ProcessorCode processor) {
    linker.cProcessor = processor;
    linker.cFamily = procFamily(processor);
    linker.cRomWidthBits = static_cast<uint16_t>(procRomWidthBits(processor));
    linker.cRamWidthBits = static_cast<uint16_t>(procRamWidthBits(processor));
  }

  LinkSetup& code(const std::string& name, uint32_t start, uint32_t end, bool isProtected = false) {
    return accepted(linker.addCodePage(memory(name, start, end, 0, isProtected), cError));
  }
  LinkSetup& data(const std::string& name, uint32_t start, uint32_t end, bool isProtected = false) {
    return accepted(linker.addDataBank(memory(name, start, end, 1, isProtected), cError));
  }
  LinkSetup& share(const std::string& name, uint32_t start, uint32_t end) {
    return accepted(linker.addShareBank(memory(name, start, end, 1, false), cError));
  }
  LinkSetup& access(const std::string& name, uint32_t start, uint32_t end) {
    return accepted(linker.addAccessBank(memory(name, start, end, 1, false), cError));
  }
  LinkSetup& section(const std::string& name, const std::string& rom, const std::string& ram) {
    return accepted(linker.addSection(SectionDesc(name, rom, ram), cError));
  }
  LinkSetup& stack(uint32_t size, const std::string& ram) {
    return accepted(linker.setStack(StackDesc(size, ram), cError));
  }

  LinkSetup& input(const Input& in) {
    linker.cScnSize[in.name] = in.size;
    linker.cScnType[in.name] = in.type;
    linker.cScnAbs[in.name] = in.absolute;
    linker.cScnShare[in.name] = in.shared;
    linker.cScnAccess[in.name] = in.access;
    linker.cScnOverlay[in.name] = in.overlay;
    if (in.absolute) {
      linker.cScnAbsStart[in.name] = in.start;
      linker.cScnAbsSize[in.name] = in.size;
    }
    return *this;
  }

  // The widths, as the processor check gives them once every memory is read.
  void setWidths() {
    for (Memory& m : linker.cCodePage) m.setWidthBits(linker.cRomWidthBits);
    for (auto* list : {&linker.cDataBanks, &linker.cShareBanks, &linker.cAccessBanks}) {
      for (Memory& m : *list) m.setWidthBits(linker.cRamWidthBits);
    }
  }

  // Empty on success, else the error text; the two must agree.
  std::string map() {
    setWidths();
    std::string error;
    const int result = linker.mapSections(error);
    EXPECT_EQ(result == 1, error.empty()) << error;
    return error;
  }

  // "memory@start" of a placed section, "-" for one without a place.
  std::string placeOf(const std::string& section) const {
    const auto entry = linker.cScnMem.find(section);
    if (entry == linker.cScnMem.end()) return "-";
    std::ostringstream text;
    text << entry->second->getName() << "@0x" << std::hex << entry->second->getAllocStart(section);
    return text.str();
  }

  Linker linker;

 private:
  static Memory memory(const std::string& name, uint32_t start, uint32_t end, uint8_t type,
                       bool isProtected) {
    return Memory(name, start, end, type, isProtected ? 1 : 0, 0, "");
  }
  LinkSetup& accepted(int result) {
    EXPECT_EQ(result, 1) << cError;
    return *this;
  }

  std::string cError;
};

}  // namespace allocfix
