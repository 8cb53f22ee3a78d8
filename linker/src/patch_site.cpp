// The shared part of the family patchers: the value, the encoders' words
// and the checked writes into a section's raw data.
#include "patch_site.h"

#include <iostream>
#include <sstream>

#include "debug_switches.h"
#include "linker.h"
#include "qassert.h"
#include "reloctypes.h"
#include "text_helpers.h"

namespace patch {

namespace {

constexpr const char* TYPE_NAMES[] = {
    "",
    "RELOCT_CALL",
    "RELOCT_GOTO",
    "RELOCT_HIGH",
    "RELOCT_LOW",
    "RELOCT_P",
    "RELOCT_BANKSEL",
    "RELOCT_PAGESEL",
    "RELOCT_ALL",
    "RELOCT_IBANKSEL",
    "RELOCT_F",
    "RELOCT_TRIS",
    "RELOCT_MOVLR",
    "RELOCT_MOVLB",
    "RELOCT_CALL2",
    "RELOCT_FF1",
    "RELOCT_FF2",
    "RELOCT_LFSR1",
    "RELOCT_LFSR2",
    "RELOCT_BRA",
    "RELOCT_CONDBRA",
    "RELOCT_UPPER",
    "RELOCT_ACCESS",
    "RELOCT_PAGESEL_WREG",
    "RELOCT_PAGESEL_BITS",
};

// Each instruction word takes two bytes of the raw data, low byte first.
constexpr uint32_t WORD_BYTES = 2;
constexpr uint16_t WORD_BITS = 16;

uint32_t available(BitSelection::Count count, ProcessorCode processor) {
  switch (count) {
    case BitSelection::Count::Banks: return procBankCount(processor);
    case BitSelection::Count::Pages: return procPageCount(processor);
    default: return UINT32_MAX;
  }
}

BuiltWord selectWord(const SelectBit& select, uint32_t value, CoreFamily family) {
  const uint32_t bit = (value >> select.valueBit) & 1u;
  return {buildBitWord(static_cast<int>(bit), select.file, select.bit, family), select.name, bit};
}

}  // namespace

uint32_t relocValue(const reloc& entry, const std::vector<SymbolEntry>& symTbl) {
  QOR_ASSERT(entry.r_symndx < symTbl.size());
  const auto addend = static_cast<uint32_t>(static_cast<int32_t>(entry.r_offset));
  return symTbl[entry.r_symndx].n_value + addend;
}

std::string symbolName(const reloc& entry, const std::vector<SymbolEntry>& symTbl,
                       const StringTable& strTbl) {
  QOR_ASSERT(entry.r_symndx < symTbl.size());
  return Coff::getName(symTbl[entry.r_symndx], strTbl);
}

const char* typeName(uint16_t type) { return type < std::size(TYPE_NAMES) ? TYPE_NAMES[type] : ""; }

uint16_t buildWord(OpcodeId id, uint16_t operand1, CoreFamily family) {
  uint16_t word = 0;
  instSetOpcode(&word, id, family);
  instSetOperand1(&word, operand1, family);
  return word;
}

uint16_t buildBitWord(int set, uint16_t file, uint16_t bit, CoreFamily family) {
  uint16_t word = buildWord(set ? BSF : BCF, file, family);
  instSetOperand2(&word, bit, family);
  return word;
}

int PatchSite::field(const Field& bits, uint32_t value) {
  if (!holds((bits.dstBegin + bits.width - 1u) / 8u)) return 0;
  // The line is made only when it is printed: a link patches hundreds of
  // thousands of fields.
  if (traceOn(cPatcher))
    trace(tracePrefix(bits.srcBegin, bits.dstBegin, bits.width) + ", value=" + formatHex(value, 2));
  Linker::patchBits(cData, cEntry.r_vaddr, value, bits.srcBegin, bits.dstBegin, bits.width);
  return 1;
}

int PatchSite::words(std::span<const BuiltWord> built) {
  if (built.empty()) return 1;
  if (!holds(built.size() * WORD_BYTES - 1)) return 0;
  std::ostringstream line;
  line << tracePrefix(0, 0, WORD_BITS);
  for (size_t i = 0; i < built.size(); ++i) {
    line << ", opcode" << i + 1 << "=" << formatHex(built[i].word, 2);
    if (built[i].bitName) line << ", " << built[i].bitName << "=" << built[i].bit;
  }
  trace(line.str());
  for (size_t i = 0; i < built.size(); ++i) {
    const auto offset = static_cast<uint32_t>(cEntry.r_vaddr + i * WORD_BYTES);
    Linker::patchBits(cData, offset, built[i].word, 0, 0, WORD_BITS);
  }
  return 1;
}

int PatchSite::select(const BitSelection& rule, ProcessorCode processor, uint32_t value) {
  const uint32_t count = available(rule.count, processor);
  if (count < rule.firstFrom) {
    trace(rule.skipTrace);
    return 1;
  }
  BuiltWord built[2] = {selectWord(rule.first, value, cFamily), {}};
  size_t used = 1;
  if (rule.second.name && count >= rule.secondFrom)
    built[used++] = selectWord(rule.second, value, cFamily);
  return words(std::span<const BuiltWord>(built, used));
}

int PatchSite::pageLiteral(uint16_t pageRegister, uint32_t value) {
  const BuiltWord built[] = {{buildWord(MOVLW, (value >> 8) & 0xFFu, cFamily)},
                             {buildWord(MOVWF, pageRegister, cFamily)}};
  return words(built);
}

int PatchSite::fail(const std::string& message) {
  cError = message;
  return 0;
}

void PatchSite::trace(const std::string& line) const {
  if (traceOn(cPatcher)) std::cout << line << std::endl;
}

int PatchSite::holds(uint64_t lastByte) {
  if (uint64_t{cEntry.r_vaddr} + lastByte < cData.size()) return 1;
  return fail("relocation at offset " + formatHex(cEntry.r_vaddr, 4) +
              " lies outside the section.");
}

std::string PatchSite::tracePrefix(uint16_t srcBegin, uint16_t dstBegin, uint16_t width) const {
  std::ostringstream line;
  line << cPatcher << "() -  " << typeName(cEntry.r_type) << ", srcBegin=" << srcBegin
       << ", dstBegin=" << dstBegin << ", width=" << width << ", rawOffset=" << cEntry.r_vaddr;
  return line.str();
}

}  // namespace patch
