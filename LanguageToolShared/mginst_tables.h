// The instruction tables behind mginst: per family one pattern table whose
// rows carry the opcode's mask and value, its id and its instruction form
// (operand fields and properties). Decoding, validity, the encoders, the
// properties and the disassembler all read these same rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "mginst.h"

namespace mginst {

// One operand: value = (word >> shift) & mask. Ostra MOVFF has an operand 2
// with mask 0: present, always read as 0, and never written.
struct OperandField {
  bool present = false;
  uint8_t shift = 0;
  uint16_t mask = 0;
};

constexpr OperandField field(uint8_t shift, uint16_t mask) { return {true, shift, mask}; }

inline constexpr int kOperandCount = 3;

// Everything about an opcode that does not depend on the word at hand.
struct InstForm {
  OperandField operand[kOperandCount] = {};
  int8_t operandReloc[kOperandCount] = {-1, -1, -1};
  int8_t secondWordReloc = -1;
  int8_t wordClass = -1;
  bool twoWord = false;
};

inline constexpr InstForm kNoOperands{};

// A word w is this opcode when (w & mask) == value.
struct InstPattern {
  uint16_t mask;
  uint16_t value;
  OpcodeId id;
  const InstForm* form;
};

// Rows are searched in order and the first match wins; where patterns
// overlap, the table lists the winning (narrower) pattern first.
using PatternTable = std::span<const InstPattern>;

PatternTable veskPatterns();
PatternTable mirelPatterns();
PatternTable zarnPatterns();
PatternTable ostraPatterns();

// The family's table; a family outside 1 to 4 fails an assertion.
PatternTable familyPatterns(CoreFamily family);

// The row the word decodes to, or null when it matches nothing.
const InstPattern* findWordPattern(uint16_t word, CoreFamily family);

// The row the word decodes to; a word that matches nothing fails an
// assertion.
const InstPattern& decodedPattern(uint16_t word, CoreFamily family);

// The row of an id of the family's set; another id fails an assertion.
const InstPattern& idPattern(OpcodeId id, CoreFamily family);

}  // namespace mginst
