#include "example_source.h"

#include <gtest/gtest.h>

#include <utility>

namespace example {

namespace {

// Storage class of the ".eof" symbol that closes a source file's symbols.
constexpr uint8_t kEofClass = 107;

bool inProgramMemory(uint32_t flags) { return (flags & (STYP_CODE | STYP_ROMDATA)) != 0; }

}  // namespace

uint16_t encode(CoreFamily family, OpcodeId id, std::initializer_list<uint16_t> operands) {
  uint16_t word = 0;
  instSetOpcode(&word, id, family);
  void (*const setters[])(uint16_t*, uint16_t, CoreFamily) = {instSetOperand1, instSetOperand2,
                                                              instSetOperand3};
  size_t index = 0;
  for (const uint16_t operand : operands) setters[index++](&word, operand, family);
  return word;
}

Source::Source(std::string fileName, ProcessorCode device)
    : cFileName(std::move(fileName)), cDevice(device) {}

Source& Source::line(const std::string& text) {
  cLines.push_back(text);
  return *this;
}

Source& Source::externs(const std::string& text, const std::vector<std::string>& names) {
  cExterns.insert(cExterns.end(), names.begin(), names.end());
  return line(text);
}

Source& Source::section(const std::string& text, const std::string& name, uint32_t flags) {
  cSections.push_back(Section{name, flags, false, 0, {}, 0, {}, {}});
  return line(text);
}

Source& Source::sectionAt(const std::string& text, const std::string& name, uint32_t flags,
                          uint32_t address) {
  cSections.push_back(Section{name, flags, true, address, {}, 0, {}, {}});
  return line(text);
}

Source& Source::global(const std::string& name) { return define(name, true); }

Source& Source::label(const std::string& name) { return define(name, false); }

Source& Source::define(const std::string& name, bool global) {
  const bool code = (open().flags & STYP_CODE) != 0;
  cDefinitions.push_back(
      Definition{name, static_cast<int16_t>(cSections.size()), here(), global, code});
  return *this;
}

Source& Source::code(const std::string& text, const std::vector<uint16_t>& words,
                     const std::vector<Fixup>& fixups) {
  Section& section = open();
  EXPECT_NE(section.flags & STYP_CODE, 0u) << text;
  const uint32_t firstByte = static_cast<uint32_t>(section.bytes.size());
  // Every word gets a line entry, so that the listing shows each address
  // that the line fills (both words of a bank or page selection).
  for (const uint16_t word : words) {
    section.lines.emplace_back(nextLine(), here());
    section.bytes.push_back(static_cast<uint8_t>(word));
    section.bytes.push_back(static_cast<uint8_t>(word >> 8));
  }
  for (const Fixup& fixup : fixups) {
    EXPECT_LT(fixup.word, words.size()) << text;
    section.relocations.push_back(Relocation{firstByte + 2 * fixup.word, fixup});
  }
  return line(text);
}

Source& Source::data(const std::string& text, const std::vector<uint8_t>& bytes) {
  Section& section = open();
  EXPECT_EQ(section.flags & (STYP_CODE | STYP_UDATA), 0u) << text;
  section.bytes.insert(section.bytes.end(), bytes.begin(), bytes.end());
  return line(text);
}

Source& Source::reserve(const std::string& text, uint32_t count) {
  Section& section = open();
  EXPECT_NE(section.flags & STYP_UDATA, 0u) << text;
  section.reserved += count;
  return line(text);
}

Source::Section& Source::open() {
  if (cSections.empty()) {
    ADD_FAILURE() << cFileName << ": a line that needs a section comes before any section";
    cSections.push_back(Section{"code", STYP_CODE, false, 0, {}, 0, {}, {}});
  }
  return cSections.back();
}

uint32_t Source::here() const {
  const Section& section = cSections.back();
  if (!inProgramMemory(section.flags)) {
    return section.address + section.reserved + static_cast<uint32_t>(section.bytes.size());
  }
  const uint32_t bytesPerLocation = (procRomWidthBits(cDevice) + 7) / 8;
  return section.address + static_cast<uint32_t>(section.bytes.size()) / bytesPerLocation;
}

std::string Source::objectName() const {
  const std::string::size_type dot = cFileName.rfind('.');
  return cFileName.substr(0, dot) + ".o";
}

std::string Source::text() const {
  std::string text;
  for (const std::string& line : cLines) text += line + "\n";
  return text;
}

// The symbol table as an assembler writes it: the ".file" symbol with its
// aux entry, the symbols defined here in source order, the external
// references, then ".eof".
uint32_t Source::symbolIndex(const std::string& name) const {
  for (size_t i = 0; i < cDefinitions.size(); ++i) {
    if (cDefinitions[i].name == name) return static_cast<uint32_t>(2 + i);
  }
  for (size_t i = 0; i < cExterns.size(); ++i) {
    if (cExterns[i] == name) return static_cast<uint32_t>(2 + cDefinitions.size() + i);
  }
  ADD_FAILURE() << cFileName << ": relocation against the unknown symbol " << name;
  return 0;
}

qortest::ObjectBuilder Source::object() const {
  qortest::ObjectBuilder builder(objectName());
  builder.processor(procCoffType(cDevice), procRomWidthBits(cDevice), procRamWidthBits(cDevice));
  for (const Section& section : cSections) {
    if (section.flags & STYP_UDATA) {
      builder.udata(section.name, section.reserved).addFlags(section.flags);
    } else {
      builder.section(section.name, section.flags).bytes(section.bytes);
    }
    if (section.absolute) builder.at(section.address).absolute();
    for (const Relocation& relocation : section.relocations) {
      builder.reloc(relocation.byteOffset, symbolIndex(relocation.fixup.symbol),
                    relocation.fixup.addend, relocation.fixup.type);
    }
    for (const auto& [lineNumber, address] : section.lines) builder.line(0, lineNumber, address);
  }
  builder.fileSymbol(cFileName);
  for (const Definition& definition : cDefinitions) {
    const uint8_t storageClass = definition.global ? C_EXT : definition.code ? C_LABEL : C_STAT;
    const uint16_t type = definition.global && definition.code ? DT_FCN << 4 : 0;
    builder.symbol(definition.name, definition.value, definition.section, storageClass, type);
  }
  for (const std::string& name : cExterns) builder.externRef(name);
  builder.symbol(".eof", 0, N_DEBUG, kEofClass);
  return builder;
}

}  // namespace example
