// One complete link per core family: two objects that refer to each other, a
// library with a member that the link must pull in (and one it must not),
// the command file, and the source files the listing shows. Each writes its
// files into a workspace and says how the linker is run on them.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "qorlan_fixture.h"

namespace qorlantest {

struct FamilyLink {
  std::string name;  // expected/<name>.map and expected/<name>.o.txt
  void (*prepare)(const Workspace& work);
  std::vector<std::string> arguments;  // the linker's command line
  std::string output;                  // the object the link writes
  // A row the converter's listing must show: a source line with the address
  // and patched word of its first instruction.
  std::string listingRow;
};

// Test names show the family only.
inline void PrintTo(const FamilyLink& link, std::ostream* out) { *out << link.name; }

FamilyLink veskLink();
FamilyLink mirelLink();
FamilyLink zarnLink();
FamilyLink ostraLink();

// Little-endian bytes of program or data words.
std::vector<uint8_t> wordBytes(const std::vector<uint16_t>& words);

// A library member that nothing refers to, whose one code word is `word`:
// the link must leave it out.
ObjectBuilder unusedMember(uint8_t processorCode, uint16_t word);

// Line entries of the section added last, one per program word from the
// section's start: the source line of each word in turn, `step` addresses a
// word (2 on byte-addressed program memory). All belong to the object's
// first ".file" symbol.
void addLines(ObjectBuilder& builder, const std::vector<uint16_t>& lineOfWord, uint32_t step = 1);

}  // namespace qorlantest
