// Per-opcode properties of a family, read from the opcode's form: which
// operands it has, whether it takes two words, the relocation type that
// fits each operand and its second word, and its word class.
#include "mginst.h"
#include "mginst_tables.h"
#include "qassert.h"

namespace {

const mginst::InstForm& formOf(OpcodeId id, CoreFamily family) {
  return *mginst::idPattern(id, family).form;
}

int checkedIndex(int index) {
  if (index < 0 || index >= mginst::kOperandCount) QOR_ASSERT(0);
  return index;
}

}  // namespace

int instHasOperand(OpcodeId id, CoreFamily family, int index) {
  const mginst::InstForm& form = formOf(id, family);
  return form.operand[checkedIndex(index)].present ? 1 : 0;
}

int instHasOperand1(OpcodeId id, CoreFamily family) { return instHasOperand(id, family, 0); }
int instHasOperand2(OpcodeId id, CoreFamily family) { return instHasOperand(id, family, 1); }
int instHasOperand3(OpcodeId id, CoreFamily family) { return instHasOperand(id, family, 2); }

int instIsTwoWord(OpcodeId id, CoreFamily family) { return formOf(id, family).twoWord ? 1 : 0; }

int8_t instOperandRelocType(OpcodeId id, CoreFamily family, int index) {
  const mginst::InstForm& form = formOf(id, family);
  return form.operandReloc[checkedIndex(index)];
}

int8_t instOperand1RelocType(OpcodeId id, CoreFamily family) {
  return instOperandRelocType(id, family, 0);
}

int8_t instOperand2RelocType(OpcodeId id, CoreFamily family) {
  return instOperandRelocType(id, family, 1);
}

int8_t instOperand3RelocType(OpcodeId id, CoreFamily family) {
  return instOperandRelocType(id, family, 2);
}

int8_t instSecondWordRelocType(OpcodeId id, CoreFamily family) {
  return formOf(id, family).secondWordReloc;
}

int8_t instWordClass(OpcodeId id, CoreFamily family) { return formOf(id, family).wordClass; }
