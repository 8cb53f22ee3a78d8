// Mnemonic texts of the opcode ids, and their lookup within a family.
#include <cctype>

#include "mginst.h"
#include "mginst_tables.h"
#include "qassert.h"

namespace {

// Indexed by OpcodeId; index 0 names nothing.
constexpr const char* kMnemonics[OPCODE_LAST + 1] = {
    nullptr,  "ADDLW",        "ADDWF",        "ADDWFC",       "ANDLW",        "ANDWF",
    "BC",     "BCF",          "BN",           "BNC",          "BNN",          "BNOV",
    "BNZ",    "BOV",          "BRA",          "BSF",          "BTFSC",        "BTFSS",
    "BTG",    "BZ",           "CALL",         "CLRF",         "CLRW",         "CLRWDT",
    "COMF",   "CPFSEQ",       "CPFSGT",       "CPFSLT",       "DAW",          "DCFSNZ",
    "DECF",   "DECFSZ",       "GOTO",         "HALT",         "INCF",         "INCFSZ",
    "INFSNZ", "IORLW",        "IORWF",        "LCALL",        "LFSR",         "LOG",
    "MOVF",   "MOVFF",        "MOVFP",        "MOVLB",        "MOVLR",        "MOVLW",
    "MOVPF",  "MOVWF",        "MULLW",        "MULWF",        "NEGF",         "NEGW",
    "NOP",    "OPTION",       "PAUSE",        "POP",          "PUSH",         "RCALL",
    "RESET",  "RETFIE",       "RETLW",        "RETURN",       "RLCF",         "RLF",
    "RLNCF",  "RRCF",         "RRF",          "RRNCF",        "SETF",         "SLEEP",
    "STOP",   "SUBFWB",       "SUBLW",        "SUBWF",        "SUBWFB",       "SWAPF",
    "TABLRD", "TABLWT",       "TBLRD",        "TBLRDPOSTDEC", "TBLRDPOSTINC", "TBLRDPREINC",
    "TBLWT",  "TBLWTPOSTDEC", "TBLWTPOSTINC", "TBLWTPREINC",  "TLRD",         "TLWT",
    "TRAP",   "TRET",         "TRIS",         "TSTFSZ",       "WORD2",        "XORLW",
    "XORWF",  "BANKSEL",      "PAGESEL",
};

bool equalIgnoringCase(const char* left, const char* right) {
  for (; *left && *right; ++left, ++right) {
    if (std::toupper(static_cast<unsigned char>(*left)) !=
        std::toupper(static_cast<unsigned char>(*right))) {
      return false;
    }
  }
  return *left == *right;
}

}  // namespace

const char* instMnemonic(OpcodeId id) {
  if (id < OPCODE_FIRST || id > OPCODE_LAST) QOR_ASSERT(0);
  return kMnemonics[id];
}

int instLookupMnemonic(const char* text, OpcodeId* id, CoreFamily family) {
  const mginst::PatternTable patterns = mginst::familyPatterns(family);
  if (!text || !id) QOR_ASSERT(0);
  for (const mginst::InstPattern& pattern : patterns) {
    if (equalIgnoringCase(text, kMnemonics[pattern.id])) {
      *id = pattern.id;
      return 1;
    }
  }
  return 0;
}
