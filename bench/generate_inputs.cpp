// Large inputs for the benchmark of the programs, written into a directory:
//
//   qorbenchgen listing LINES in|after DIR
//       big.o and its source big.asm: LINES source lines, one instruction and
//       one label each; the labels stand inside the file's run of symbols
//       ("in") or after its ".eof" ("after"), the object otherwise the same.
//   qorbenchgen library MEMBERS DIR
//       m00001.o ... : MEMBERS relocatable objects of the size of a runtime
//       library's members (code, relocations, line entries, symbols).
//   qorbenchgen hex BYTES DIR
//       image.o: an absolute object whose code fills BYTES bytes of program
//       memory from address 0.
//   qorbenchgen linker OBJECTS DIR
//       o000001.o ..., liba.lib, libb.lib and link.lkr: a link of OBJECTS
//       objects that imports 2 x OBJECTS library members (linker_inputs.h).
//   qorbenchgen placement COUNT DIR
//       place.o and place.lkr: COUNT code sections placed in COUNT code pages.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "coff.h"
#include "linker_inputs.h"
#include "mgproc.h"
#include "object_builder.h"

namespace {

using qortest::ObjectBuilder;

// The devices of the inputs: 14-bit program words, and the family whose
// program memory is the largest.
constexpr ProcessorCode kWordDevice = 8;
constexpr ProcessorCode kLargeDevice = 127;

// Storage class of the ".eof" symbol that closes a source file's symbols.
constexpr uint8_t kEofClass = 107;

// A line entry holds a 16-bit line number and a 16-bit word address.
constexpr uint32_t kMaxCodeLines = 0xFFFF;

ObjectBuilder objectFor(ProcessorCode device, const std::string& path) {
  ObjectBuilder builder(path);
  builder.processor(procCoffType(device), procRomWidthBits(device), 8);
  return builder;
}

// Names of at most eight characters stay in the symbol itself.
std::string numbered(char letter, uint32_t number) {
  char text[16];
  std::snprintf(text, sizeof text, "%c%07u", letter, static_cast<unsigned>(number));
  return text;
}

bool writeText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out.flush());
}

// MOVLW with the line's low byte: a one-word instruction on every line.
std::vector<uint8_t> listingCode(uint32_t words) {
  std::vector<uint8_t> bytes(2 * static_cast<size_t>(words));
  for (uint32_t word = 0; word < words; ++word) {
    bytes[2 * word] = static_cast<uint8_t>(word);
    bytes[2 * word + 1] = 0x30;
  }
  return bytes;
}

std::string listingSource(uint32_t lines) {
  std::string text;
  for (uint32_t line = 1; line <= lines; ++line) {
    char row[64];
    std::snprintf(row, sizeof row, "%s  movlw %u  ; line %u\n", numbered('L', line).c_str(),
                  static_cast<unsigned>(line & 0xFF), static_cast<unsigned>(line));
    text += row;
  }
  return text;
}

void addLabels(ObjectBuilder& builder, uint32_t lines) {
  for (uint32_t line = 1; line <= lines; ++line) {
    builder.symbol(numbered('L', line), line <= kMaxCodeLines ? line - 1 : 0, 1, C_LABEL);
  }
}

int makeListing(uint32_t lines, bool labelsInRun, const std::string& dir) {
  const uint32_t codeLines = lines < kMaxCodeLines ? lines : kMaxCodeLines;
  ObjectBuilder builder = objectFor(kWordDevice, "big.o");
  builder.code(".code").at(0).absolute().bytes(listingCode(codeLines));
  for (uint32_t line = 1; line <= codeLines; ++line) {
    builder.line(0, static_cast<uint16_t>(line), line - 1);
  }
  builder.fileSymbol("big.asm");
  if (labelsInRun) addLabels(builder, lines);
  builder.symbol(".eof", 0, N_DEBUG, kEofClass);
  if (!labelsInRun) addLabels(builder, lines);
  builder.writeFile(dir + "/big.o");
  return writeText(dir + "/big.asm", listingSource(lines)) ? 0 : 1;
}

// A member as an assembler leaves one: 128 words of code calling two
// external routines, their relocations, a line entry every eighth word, two
// entry points, local labels and a little data memory.
void makeMember(uint32_t number, const std::string& dir) {
  char base[16];
  std::snprintf(base, sizeof base, "m%05u", static_cast<unsigned>(number));
  const std::string name = std::string(base) + ".o";
  ObjectBuilder builder = objectFor(kWordDevice, name);
  builder.timeStamp(1700000000 + number);
  builder.code(".code").bytes(listingCode(128));
  for (uint32_t word = 0; word < 128; word += 16) {
    builder.reloc(2 * word, 4, 0, 1).reloc(2 * word + 2, 5, 0, 1);
  }
  for (uint32_t word = 0; word < 128; word += 8) {
    builder.line(0, static_cast<uint16_t>(word / 8 + 1), word);
  }
  builder.udata(".udata", 16);
  builder.fileSymbol(std::string(base) + ".asm");
  builder.global(numbered('f', number), 0, 1).global(numbered('g', number), 0x40, 1);
  builder.externRef(numbered('x', number % 97)).externRef(numbered('y', number % 89));
  for (uint32_t label = 0; label < 6; ++label) {
    builder.symbol(numbered('l', label), 0x10 * label, 1, C_LABEL);
  }
  builder.symbol(".eof", 0, N_DEBUG, kEofClass);
  builder.writeFile(dir + "/" + name);
}

int makeLibraryMembers(uint32_t members, const std::string& dir) {
  for (uint32_t number = 1; number <= members; ++number) makeMember(number, dir);
  return 0;
}

int makeHexImage(uint32_t bytes, const std::string& dir) {
  std::vector<uint8_t> code(bytes);
  for (uint32_t i = 0; i < bytes; ++i) code[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
  ObjectBuilder builder = objectFor(kLargeDevice, "image.o");
  builder.code(".code").at(0).absolute().bytes(code);
  builder.writeFile(dir + "/image.o");
  return 0;
}

int usage() {
  std::cerr << "usage: qorbenchgen listing LINES in|after DIR\n"
               "       qorbenchgen library MEMBERS DIR\n"
               "       qorbenchgen hex BYTES DIR\n"
               "       qorbenchgen linker OBJECTS DIR\n"
               "       qorbenchgen placement COUNT DIR\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() < 3) return usage();
  const uint32_t count = static_cast<uint32_t>(std::strtoul(args[1].c_str(), nullptr, 10));
  if (args[0] == "listing" && args.size() == 4 && (args[2] == "in" || args[2] == "after")) {
    return makeListing(count, args[2] == "in", args[3]);
  }
  if (args[0] == "library" && args.size() == 3) return makeLibraryMembers(count, args[2]);
  if (args[0] == "hex" && args.size() == 3) return makeHexImage(count, args[2]);
  if (args[0] == "linker" && args.size() == 3) return makeLinkerInputs(count, args[2]);
  if (args[0] == "placement" && args.size() == 3) return makePlacementInputs(count, args[2]);
  return usage();
}
