// A link of the size of a large firmware project, on the byte-addressed
// family (the only one whose program memory reaches a megabyte):
//
//   o000001.o ...  code of 256 words in a section of its own, 288
//                  relocations (calls, branches, literals, register and
//                  bank operands), a line entry every fourth word, 8
//                  functions, 35 labels, a two-byte idata section and a
//                  share of an overlaid udata section: 64 symbol entries;
//                  each calls one member of liba.lib and the next object.
//   liba.lib       members a000000.o ... of 64 words in the common ".code"
//                  section, 20 symbol entries; member j calls member j of
//                  libb.lib. Only the first half is called by the objects.
//   libb.lib       members b000000.o ... like those of liba.lib, calling
//                  nothing outside.
//   link.lkr       FILES lines with every input, the code pages (program
//                  memory just larger than the code, the rest filled), the
//                  banks of data memory, a SECTION line for every fourth
//                  object's code and the stack.
//
// With 1,000 objects the link imports 2,000 members and its output holds
// about 100,000 symbol entries.
#include "linker_inputs.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "archive.h"
#include "coff.h"
#include "mgproc.h"
#include "object_builder.h"
#include "reloctypes.h"

namespace {

using qortest::ObjectBuilder;

constexpr ProcessorCode kDevice = 127;
constexpr uint8_t kEofClass = 107;

constexpr uint32_t kObjectGroups = 32;  // of 8 words (16 bytes) each
constexpr uint32_t kMemberGroups = 8;
constexpr uint32_t kGroupBytes = 16;
constexpr uint32_t kGroupsPerFunction = 4;
constexpr uint32_t kMidLabels = 11;
constexpr uint32_t kOverlayBytes = 16;
constexpr uint32_t kIdataBytes = 2;

// Instruction words of the family with their operand fields zero: the
// linker fills those fields.
constexpr uint16_t kCall = 0xEC00;
constexpr uint16_t kSecondWord = 0xF000;
constexpr uint16_t kBra = 0xD000;
constexpr uint16_t kMovlw = 0x0E00;
constexpr uint16_t kMovwf = 0x6E00;
constexpr uint16_t kMovff = 0xC000;
constexpr uint16_t kMovlb = 0x0100;

std::string format(const char* pattern, uint32_t number) {
  char text[96];
  std::snprintf(text, sizeof text, pattern, static_cast<unsigned>(number));
  return text;
}

std::string format(const char* pattern, uint32_t first, uint32_t second) {
  char text[96];
  std::snprintf(text, sizeof text, pattern, static_cast<unsigned>(first),
                static_cast<unsigned>(second));
  return text;
}

std::string objectName(uint32_t k) { return format("o%06u", k); }
std::string objectFunction(uint32_t k, uint32_t f) { return format("o%06u_f%u", k, f); }
std::string memberName(char library, uint32_t j) {
  return std::string(1, library) + format("%06u", j);
}
std::string memberFunction(char library, uint32_t j) {
  return std::string("lib_") + library + format("%06u", j);
}

// The symbols of one object, with the index of each by name, so that the
// relocations and line entries can name them.
class Symbols {
 public:
  explicit Symbols(ObjectBuilder& builder) : cBuilder(builder) {}

  void add(const std::string& name, uint32_t value, int16_t section, uint8_t storageClass,
           uint16_t type = 0) {
    cIndex[name] = cBuilder.nextSymbolIndex();
    cBuilder.symbol(name, value, section, storageClass, type);
  }
  void sectionSymbol(const std::string& name, int16_t section, uint32_t length) {
    add(name, 0, section, C_SECTION);
    AuxScn aux;
    aux.x_scnlen = length;
    cBuilder.aux(aux);
  }
  void function(const std::string& name, uint32_t value) {
    add(name, value, 1, C_EXT, DT_FCN << 4);
    AuxFcn aux;
    aux.x_size = kGroupsPerFunction * kGroupBytes;
    aux.x_endndx = cBuilder.nextSymbolIndex() + 1;
    cBuilder.aux(aux);
  }
  uint32_t operator[](const std::string& name) const { return cIndex.at(name); }

 private:
  ObjectBuilder& cBuilder;
  std::map<std::string, uint32_t> cIndex;
};

// What the code of one object refers to.
struct Targets {
  std::vector<std::string> groupSymbol;  // the function or label at each group's start
  std::vector<std::string> functions;
  std::string farCall;   // an external routine
  std::string nextCall;  // another external routine, or empty
  std::string variable;  // the register of the register operands
  std::string overlaid;  // the register the moves write
};

void putWord(std::vector<uint8_t>& code, uint32_t offset, uint16_t word) {
  code[offset] = static_cast<uint8_t>(word);
  code[offset + 1] = static_cast<uint8_t>(word >> 8);
}

std::string callTarget(const Targets& targets, uint32_t group, uint32_t groups) {
  switch (group % 4) {
    case 0: return targets.farCall;
    case 1: return targets.nextCall.empty() ? targets.groupSymbol[0] : targets.nextCall;
    case 2: return targets.functions[(group / kGroupsPerFunction + 1) % targets.functions.size()];
    default: return targets.groupSymbol[(group + 1) % groups];
  }
}

// Eight words per group: a two-word call, a branch to the group before, a
// literal of an address, a register operand with its access bit, a
// two-word register move and a bank select: nine relocations.
void addCode(ObjectBuilder& builder, const Symbols& symbols, const Targets& targets,
             uint32_t groups) {
  std::vector<uint8_t> code(groups * kGroupBytes);
  for (uint32_t group = 0; group < groups; ++group) {
    const uint32_t base = group * kGroupBytes;
    const uint16_t words[] = {kCall,  kSecondWord, kBra,        kMovlw,
                              kMovwf, kMovff,      kSecondWord, kMovlb};
    for (uint32_t w = 0; w < 8; ++w) putWord(code, base + 2 * w, words[w]);
  }
  builder.bytes(code);
  static constexpr uint16_t kLiteralTypes[] = {RELOCT_LOW, RELOCT_HIGH, RELOCT_UPPER};
  for (uint32_t group = 0; group < groups; ++group) {
    const uint32_t base = group * kGroupBytes;
    const uint32_t call = symbols[callTarget(targets, group, groups)];
    const uint32_t back = symbols[targets.groupSymbol[group == 0 ? 1 : group - 1]];
    const uint32_t here = symbols[targets.groupSymbol[group]];
    const uint32_t variable = symbols[targets.variable];
    const uint32_t overlaid = symbols[targets.overlaid];
    const auto addend = static_cast<int16_t>(group % 2);
    builder.reloc(base, call, 0, RELOCT_CALL)
        .reloc(base + 2, call, 0, RELOCT_CALL2)
        .reloc(base + 4, back, 0, RELOCT_BRA)
        .reloc(base + 6, here, 0, kLiteralTypes[group % 3])
        .reloc(base + 8, variable, addend, RELOCT_F)
        .reloc(base + 8, variable, addend, RELOCT_ACCESS)
        .reloc(base + 10, variable, addend, RELOCT_FF1)
        .reloc(base + 12, overlaid, static_cast<int16_t>(group % kOverlayBytes), RELOCT_FF2)
        .reloc(base + 14, variable, 0, RELOCT_BANKSEL);
  }
  const uint32_t functionBytes = kGroupsPerFunction * kGroupBytes;
  for (uint32_t offset = 0; offset < groups * kGroupBytes; offset += 8) {
    builder.line(0, static_cast<uint16_t>(offset / 8 + 10), offset,
                 symbols[targets.functions[offset / functionBytes]]);
  }
}

ObjectBuilder objectFor(const std::string& name) {
  ObjectBuilder builder(name);
  builder.processor(procCoffType(kDevice), procRomWidthBits(kDevice), 8);
  return builder;
}

// Functions at every fourth group, labels at the other groups.
void addGroupSymbols(Symbols& symbols, Targets& targets, const std::vector<std::string>& functions,
                     uint32_t groups) {
  for (uint32_t group = 0; group < groups; ++group) {
    const uint32_t value = group * kGroupBytes;
    if (group % kGroupsPerFunction == 0) {
      const std::string& name = functions[group / kGroupsPerFunction];
      symbols.function(name, value);
      targets.groupSymbol.push_back(name);
      targets.functions.push_back(name);
    } else {
      const std::string label = format("g%02u", group);
      symbols.add(label, value, 1, C_LABEL);
      targets.groupSymbol.push_back(label);
    }
  }
}

bool writeObject(uint32_t k, uint32_t objects, const std::string& dir) {
  const std::string base = objectName(k);
  ObjectBuilder builder = objectFor(base + ".o");
  Symbols symbols(builder);
  const uint32_t codeBytes = kObjectGroups * kGroupBytes;
  builder.fileSymbol(base + ".asm");
  symbols.sectionSymbol(format("code%06u", k), 1, codeBytes);
  symbols.sectionSymbol(format("idat%06u", k), 2, kIdataBytes);
  symbols.sectionSymbol("ovr_tmp", 3, kOverlayBytes);
  Targets targets;
  std::vector<std::string> functions;
  for (uint32_t f = 0; f < kObjectGroups / kGroupsPerFunction; ++f)
    functions.push_back(objectFunction(k, f));
  addGroupSymbols(symbols, targets, functions, kObjectGroups);
  for (uint32_t m = 0; m < kMidLabels; ++m)
    symbols.add(format("m%02u", m), m * kGroupBytes + 8, 1, C_LABEL);
  targets.variable = format("d%06u", k);
  targets.overlaid = "ovrtmp";
  symbols.add(targets.variable, 0, 2, C_EXT);
  symbols.add(targets.overlaid, 0, 3, C_LABEL);
  targets.farCall = memberFunction('a', k - 1);
  targets.nextCall = objectFunction(k % objects + 1, 0);
  symbols.add(targets.farCall, 0, N_UNDEF, C_EXT);
  symbols.add(targets.nextCall, 0, N_UNDEF, C_EXT);
  builder.symbol(".eof", 0, N_DEBUG, kEofClass);

  builder.code(format("code%06u", k));
  addCode(builder, symbols, targets, kObjectGroups);
  builder.idata(format("idat%06u", k))
      .bytes({static_cast<uint8_t>(k), static_cast<uint8_t>(k >> 8)});
  builder.udata("ovr_tmp", kOverlayBytes).overlay();
  if (k == 1) {
    // The reset vector: a jump to the first routine.
    const uint32_t start = symbols[objectFunction(1, 0)];
    builder.code("reset").at(0).absolute().bytes({0x00, 0xEF, 0x00, 0xF0});
    builder.reloc(0, start, 0, RELOCT_GOTO).reloc(2, start, 0, RELOCT_CALL2);
  }
  builder.writeFile(dir + "/" + base + ".o");
  return true;
}

std::unique_ptr<Coff> member(char library, uint32_t j) {
  const std::string base = memberName(library, j);
  ObjectBuilder builder = objectFor(base + ".o");
  Symbols symbols(builder);
  builder.fileSymbol(base + ".asm");
  symbols.sectionSymbol(".code", 1, kMemberGroups * kGroupBytes);
  symbols.sectionSymbol("ovr_tmp", 2, kOverlayBytes);
  Targets targets;
  const std::string entry = memberFunction(library, j);
  addGroupSymbols(symbols, targets, {entry, entry + "_b"}, kMemberGroups);
  targets.variable = "ovrtmp";
  targets.overlaid = "ovrtmp";
  symbols.add("ovrtmp", 0, 2, C_LABEL);
  if (library == 'a') {
    targets.farCall = memberFunction('b', j);
    symbols.add(targets.farCall, 0, N_UNDEF, C_EXT);
  } else {
    targets.farCall = entry + "_b";
  }
  builder.symbol(".eof", 0, N_DEBUG, kEofClass);
  builder.code(".code");
  addCode(builder, symbols, targets, kMemberGroups);
  builder.udata("ovr_tmp", kOverlayBytes).overlay();
  return builder.coff();
}

bool writeLibrary(char library, uint32_t members, const std::string& dir) {
  Archive archive;
  archive.cName = dir + "/lib" + library + ".lib";
  for (uint32_t j = 0; j < members; ++j) archive.cMembers.push_back(member(library, j));
  return archive.makeSymbols() == 1 && archive.write() == 1;
}

std::string commandFile(uint32_t objects) {
  std::string text = "// A generated link of " + std::to_string(objects) + " objects\nLIBPATH .\n";
  for (uint32_t k = 1; k <= objects; ++k) {
    text += (k % 8 == 1 ? "FILES " : " ") + objectName(k) + ".o";
    if (k % 8 == 0 || k == objects) text += "\n";
  }
  text += "FILES liba.lib libb.lib\n";
  // Objects, the members they import (half the size), the idata images and
  // the initialisation table, and a little room to spare.
  const uint32_t program = objects * (kObjectGroups * kGroupBytes * 3 / 2 + 32) + 0x400;
  text += "CODEPAGE   NAME=vectors START=0x0 END=0x1F PROTECTED FILL=0xFFFF\n";
  text += format("CODEPAGE   NAME=program START=0x20 END=0x%X FILL=0xFFFF\n", 0x1F + program);
  text += "ACCESSBANK NAME=accessram START=0x0 END=0x5F\n";
  text += "DATABANK   NAME=gpr0 START=0x60 END=0xFF\n";
  for (uint32_t bank = 1; bank < 15; ++bank) {
    text += format("DATABANK   NAME=gpr%u START=0x%X", bank, bank * 0x100) +
            format(" END=0x%X\n", bank * 0x100 + 0xFF);
  }
  text += "ACCESSBANK NAME=accesssfr START=0xF60 END=0xFFF PROTECTED\n";
  for (uint32_t k = 1; k <= objects; k += 4)
    text += format("SECTION    NAME=code%06u ROM=program\n", k);
  text += "STACK      SIZE=0x40 RAM=gpr14\n";
  return text;
}

}  // namespace

int makeLinkerInputs(uint32_t objects, const std::string& dir) {
  if (objects == 0) return 2;
  for (uint32_t k = 1; k <= objects; ++k) writeObject(k, objects, dir);
  if (!writeLibrary('a', 2 * objects, dir) || !writeLibrary('b', 2 * objects, dir)) return 1;
  std::ofstream out(dir + "/link.lkr", std::ios::binary | std::ios::trunc);
  out << commandFile(objects);
  return out.flush() ? 0 : 1;
}
