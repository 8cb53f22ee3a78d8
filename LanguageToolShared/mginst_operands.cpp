// Operand getters and the in-place operand encoders: each works on the
// opcode the word decodes to and the operand field its form gives.
#include "mginst.h"
#include "mginst_tables.h"
#include "qassert.h"

namespace {

using mginst::OperandField;

// The field of operand `index` (0 to 2) of the word's opcode; an operand the
// opcode lacks fails an assertion.
const OperandField& wordField(uint16_t word, CoreFamily family, int index) {
  const mginst::InstPattern& pattern = mginst::decodedPattern(word, family);
  if (index < 0 || index >= mginst::kOperandCount) QOR_ASSERT(0);
  const OperandField& operand = pattern.form->operand[index];
  if (!operand.present) QOR_ASSERT(0);
  return operand;
}

uint16_t readOperand(uint16_t word, CoreFamily family, int index) {
  const OperandField& operand = wordField(word, family, index);
  return static_cast<uint16_t>((word >> operand.shift) & operand.mask);
}

void writeOperand(uint16_t* word, uint16_t value, CoreFamily family, int index) {
  if (!word) QOR_ASSERT(0);
  const OperandField& operand = wordField(*word, family, index);
  const unsigned fieldBits = static_cast<unsigned>(operand.mask) << operand.shift;
  const unsigned valueBits = static_cast<unsigned>(value & operand.mask) << operand.shift;
  *word = static_cast<uint16_t>((*word & ~fieldBits) | valueBits);
}

}  // namespace

uint16_t instOperand1(uint16_t word, CoreFamily family) { return readOperand(word, family, 0); }
uint16_t instOperand2(uint16_t word, CoreFamily family) { return readOperand(word, family, 1); }
uint16_t instOperand3(uint16_t word, CoreFamily family) { return readOperand(word, family, 2); }

uint16_t instOperand(uint16_t word, CoreFamily family, int index) {
  return readOperand(word, family, index);
}

void instSetOperand1(uint16_t* word, uint16_t value, CoreFamily family) {
  writeOperand(word, value, family, 0);
}

void instSetOperand2(uint16_t* word, uint16_t value, CoreFamily family) {
  writeOperand(word, value, family, 1);
}

void instSetOperand3(uint16_t* word, uint16_t value, CoreFamily family) {
  writeOperand(word, value, family, 2);
}
