// Disassembly of one instruction into a line of assembly text: the
// mnemonic padded to 10 characters, then the operands in lower-case
// hexadecimal separated by commas.
#include <charconv>

#include "mginst.h"
#include "mginst_tables.h"
#include "qassert.h"

namespace {

constexpr size_t kMnemonicWidth = 10;

// Comma-separated operand texts.
class OperandList {
 public:
  explicit OperandList(std::string& text) : cText(text) {}

  void add(uint32_t value) {
    separate();
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, value, 16);
    cText += "0x";
    cText.append(digits, result.ptr);
  }

  // An operand whose second word is missing.
  void addUnknown() {
    separate();
    cText += "???";
  }

 private:
  void separate() {
    if (cAny) cText += ',';
    cAny = true;
  }

  std::string& cText;
  bool cAny = false;
};

uint16_t fieldValue(uint16_t word, const mginst::InstPattern& pattern, int index) {
  const mginst::OperandField& operand = pattern.form->operand[index];
  return static_cast<uint16_t>((word >> operand.shift) & operand.mask);
}

void addFieldValues(OperandList& operands, uint16_t word, const mginst::InstPattern& pattern) {
  for (int index = 0; index < mginst::kOperandCount; ++index) {
    if (pattern.form->operand[index].present) operands.add(fieldValue(word, pattern, index));
  }
}

// Branch target: the address after the branch plus twice the signed offset
// held in the low `bits` bits, in unsigned 32-bit arithmetic so that a
// target below 0 shows as its two's complement.
uint32_t branchTarget(uint32_t address, uint16_t word, int bits) {
  const uint32_t field = word & ((1u << bits) - 1);
  const uint32_t signBit = 1u << (bits - 1);
  const uint32_t offset = (field ^ signBit) - signBit;
  return address + 2 + 2 * offset;
}

bool isSecondWord(uint16_t word) {
  return instIsValid(word, CORE_OSTRA) && instDecode(word, CORE_OSTRA) == WORD2;
}

// The part of a two-word operand that lies in the second word, or "???"
// when the following word is no second word.
void addTwoWordOperand(OperandList& operands, uint32_t value, bool complete, uint8_t* wordCount) {
  if (complete) {
    operands.add(value);
    *wordCount = 2;
  } else {
    operands.addUnknown();
  }
}

void addOstraOperands(OperandList& operands, uint32_t address, uint16_t first, uint16_t second,
                      const mginst::InstPattern& pattern, uint8_t* wordCount) {
  const bool complete = isSecondWord(second);
  // The second word's 12 bits, when it is a second word at all.
  const uint32_t rest = complete ? instOperand1(second, CORE_OSTRA) : 0;
  switch (pattern.id) {
    case BC:
    case BN:
    case BNC:
    case BNN:
    case BNOV:
    case BNZ:
    case BOV:
    case BZ: operands.add(branchTarget(address, first, 8)); break;
    case BRA:
    case RCALL: operands.add(branchTarget(address, first, 11)); break;
    case CALL:
    case GOTO:
      // Word address made of the second word's 12 bits above the first
      // word's low byte, shown as a byte address.
      addTwoWordOperand(operands, ((rest << 8) | (first & 0xFFu)) * 2, complete, wordCount);
      if (pattern.id == CALL) operands.add(fieldValue(first, pattern, 1));
      break;
    case LFSR:
      operands.add(fieldValue(first, pattern, 0));
      addTwoWordOperand(operands, ((first & 0xFu) << 8) | (rest & 0xFFu), complete, wordCount);
      break;
    case MOVFF:
      operands.add(fieldValue(first, pattern, 0));
      addTwoWordOperand(operands, rest, complete, wordCount);
      break;
    default: addFieldValues(operands, first, pattern); break;
  }
}

}  // namespace

std::string instDisassemble(uint32_t address, uint16_t first, uint16_t second, uint8_t* wordCount,
                            CoreFamily family) {
  const mginst::InstPattern& pattern = mginst::decodedPattern(first, family);
  if (!wordCount) QOR_ASSERT(0);
  *wordCount = 1;
  std::string text = instMnemonic(pattern.id);
  if (text.size() < kMnemonicWidth) text.resize(kMnemonicWidth, ' ');
  OperandList operands(text);
  if (family == CORE_OSTRA) {
    addOstraOperands(operands, address, first, second, pattern, wordCount);
  } else {
    // The other families print every field as the word holds it, call and
    // jump targets included.
    addFieldValues(operands, first, pattern);
  }
  return text;
}
