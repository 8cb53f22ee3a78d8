// What the four family patchers share: the relocated value, the rows of
// their tables, and one relocation's place in a section's raw data with
// the ways of writing into it (a bit field, or whole instruction words).
// Every write is checked against the section's bytes first, so a
// relocation whose offset lies at or past the end of its section fails the
// link instead of writing outside the data.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "coff.h"
#include "data.h"
#include "mginst.h"
#include "mgproc.h"

namespace patch {

// The relocated value: the symbol's final address plus the signed addend,
// in 32 bits. The caller has made sure that r_symndx names a symbol.
uint32_t relocValue(const reloc& entry, const std::vector<SymbolEntry>& symTbl);
std::string symbolName(const reloc& entry, const std::vector<SymbolEntry>& symTbl,
                       const StringTable& strTbl);
// "RELOCT_CALL" and its kin, for the trace lines.
const char* typeName(uint16_t type);

// The bits of the value copied into the word: `width` bits from bit
// `srcBegin` of the value to bit `dstBegin` of the word and up.
struct Field {
  uint16_t srcBegin;
  uint16_t dstBegin;
  uint16_t width;
};

// The row of a family's table for the type, or null when the family does
// not support it. Tables are a few dozen rows at most.
template <typename Row, size_t N>
const Row* findRow(const Row (&rows)[N], uint16_t type) {
  const Row* row = std::find_if(std::begin(rows), std::end(rows),
                                [type](const Row& candidate) { return candidate.type == type; });
  return row == std::end(rows) ? nullptr : row;
}

// One set or clear instruction of a bank or page selection: it copies bit
// `valueBit` of the value into bit `bit` of register `file`. `name` is the
// selecting bit as the trace line names it.
struct SelectBit {
  const char* name;
  uint8_t valueBit;
  uint16_t file;
  uint16_t bit;
};

// A bank or page selection made of set and clear instructions: the first
// word when the device has at least `firstFrom` banks or pages, the second
// (at the next word) when it has at least `secondFrom`. A device with too
// few keeps the words the input holds; the trace line says so.
struct BitSelection {
  enum class Count : uint8_t { Always, Banks, Pages };
  Count count;
  uint32_t firstFrom;
  uint32_t secondFrom;
  SelectBit first;
  SelectBit second;
  const char* skipTrace;
};

// An instruction word built for a rewrite, with the bit it selects by
// (name null when it selects by none).
struct BuiltWord {
  uint16_t word;
  const char* bitName = nullptr;
  uint32_t bit = 0;
};

// Words built from zero with the family's encoders.
uint16_t buildWord(OpcodeId id, uint16_t operand1, CoreFamily family);
uint16_t buildBitWord(int set, uint16_t file, uint16_t bit, CoreFamily family);

// One relocation entry applied to one section's raw data by one patcher.
// Each operation returns 1, or 0 with the patcher's message in the error.
class PatchSite {
 public:
  // `patcher` is the patcher's name, which is also its trace switch.
  PatchSite(const char* patcher, CoreFamily family, Data& data, const reloc& entry,
            std::string& error)
      : cPatcher(patcher), cFamily(family), cData(data), cEntry(entry), cError(error) {}

  int field(const Field& bits, uint32_t value);
  int words(std::span<const BuiltWord> built);
  int select(const BitSelection& rule, ProcessorCode processor, uint32_t value);
  // MOVLW of the value's high byte, then MOVWF into the page register.
  int pageLiteral(uint16_t pageRegister, uint32_t value);

  int fail(const std::string& message);
  int unsupported() { return fail("unsupported relocation type."); }
  // Prints the line when the patcher's trace switch is on.
  void trace(const std::string& line) const;

  CoreFamily family() const { return cFamily; }

 private:
  // 1 when the data reaches lastByte bytes past r_vaddr, so that every
  // byte up to it may be written; else 0 with the message.
  int holds(uint64_t lastByte);
  std::string tracePrefix(uint16_t srcBegin, uint16_t dstBegin, uint16_t width) const;

  const char* cPatcher;
  CoreFamily cFamily;
  Data& cData;
  const reloc& cEntry;
  std::string& cError;
};

}  // namespace patch
