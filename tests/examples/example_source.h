// A small stand-in for the assembler that the bundled linker examples come
// from. Each source line is written as its text together with what an
// assembler would make of it: a section directive, symbol definitions,
// instruction words with their relocations, data bytes or reserved bytes.
// The source file and its relocatable object both come from that one
// description, so the line numbers in the object always name the lines of
// the text that made the code.
//
//   Source main("main.asm", device);
//   main.line("; main.asm - a loop")
//       .section("main_code code", "main_code", STYP_CODE)
//       .global("start")
//       .code("start   goto    start", {encode(family, GOTO)}, {{0, RELOCT_GOTO, "start"}});
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "mginst.h"
#include "mgproc.h"
#include "object_builder.h"

namespace example {

// An instruction word of the family built with the instruction encoders:
// the opcode first, then the operands in order (operand 1, 2, 3).
uint16_t encode(CoreFamily family, OpcodeId id, std::initializer_list<uint16_t> operands = {});

// One relocation of an instruction line: `word` counts the words of the
// line from 0, `addend` is the r_offset.
struct Fixup {
  uint32_t word;
  uint16_t type;
  std::string symbol;
  int16_t addend = 0;
};

class Source {
 public:
  Source(std::string fileName, ProcessorCode device);

  // A line that makes nothing: a comment, a blank line, an equate, a
  // global list.
  Source& line(const std::string& text);
  // An "extern" line: the names become external references of the object.
  Source& externs(const std::string& text, const std::vector<std::string>& names);
  // A section directive; a relocatable section, or one at an absolute
  // address (in the memory's locations).
  Source& section(const std::string& text, const std::string& name, uint32_t flags);
  Source& sectionAt(const std::string& text, const std::string& name, uint32_t flags,
                    uint32_t address);
  // Symbols at the current place of the open section: a global (a function
  // in a code section) or a local label.
  Source& global(const std::string& name);
  Source& label(const std::string& name);
  // An instruction line: its words and the relocations of those words.
  Source& code(const std::string& text, const std::vector<uint16_t>& words,
               const std::vector<Fixup>& fixups = {});
  // A data line: initial bytes (idata, romdata) or reserved bytes (udata).
  Source& data(const std::string& text, const std::vector<uint8_t>& bytes);
  Source& reserve(const std::string& text, uint32_t count);

  const std::string& fileName() const { return cFileName; }
  // The object's name: the source's with ".o" for ".asm".
  std::string objectName() const;
  CoreFamily family() const { return procFamily(cDevice); }
  // The source file, one line per line, each with its line end.
  std::string text() const;
  // The relocatable object; its time stamp is 0, so its bytes are stable.
  qortest::ObjectBuilder object() const;

 private:
  struct Relocation {
    uint32_t byteOffset;
    Fixup fixup;
  };
  struct Section {
    std::string name;
    uint32_t flags;
    bool absolute;
    uint32_t address;
    std::vector<uint8_t> bytes;
    uint32_t reserved = 0;
    std::vector<Relocation> relocations;
    std::vector<std::pair<uint16_t, uint32_t>> lines;  // line number, address
  };
  struct Definition {
    std::string name;
    int16_t section;  // section number, from 1
    uint32_t value;
    bool global;
    bool code;
  };

  Section& open();
  uint16_t nextLine() const { return static_cast<uint16_t>(cLines.size() + 1); }
  // The location that the next byte of the open section goes to.
  uint32_t here() const;
  Source& define(const std::string& name, bool global);
  uint32_t symbolIndex(const std::string& name) const;

  std::string cFileName;
  ProcessorCode cDevice;
  std::vector<std::string> cLines;
  std::vector<Section> cSections;
  std::vector<Definition> cDefinitions;
  std::vector<std::string> cExterns;
};

}  // namespace example
