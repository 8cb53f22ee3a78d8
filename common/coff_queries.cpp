// Questions asked of single records: symbol kinds, section types and
// attributes, file flags, and the kind of a symbol's auxiliary entry.
#include <cstring>

#include "coff.h"

namespace {

constexpr int DERIVED_TYPE_FIELDS = 6;

uint16_t derivedType(const SymbolEntry& symbol, int field) {
  return static_cast<uint16_t>((symbol.n_type >> (4 + 2 * field)) & 0x3);
}

uint16_t basicType(const SymbolEntry& symbol) { return symbol.n_type & 0xF; }

// The inline name compared with a short text; a name held in the string
// table never matches.
bool inlineNameIs(const SymbolEntry& symbol, const char* text) {
  if (symbol._n_name.inStringTable()) return false;
  char name[9] = {};
  std::memcpy(name, symbol._n_name.bytes, 8);
  return std::strcmp(name, text) == 0;
}

int flagSet(uint32_t flags, uint32_t bit) { return (flags & bit) != 0 ? 1 : 0; }

}  // namespace

int Coff::isArray(const SymbolEntry& symbol) {
  for (int field = 0; field < DERIVED_TYPE_FIELDS; ++field)
    if (derivedType(symbol, field) == DT_ARY) return 1;
  return 0;
}

int Coff::isFunction(const SymbolEntry& symbol) { return derivedType(symbol, 0) == DT_FCN ? 1 : 0; }

int Coff::isTag(const SymbolEntry& symbol) {
  return symbol.n_sclass == C_STRTAG || symbol.n_sclass == C_UNTAG || symbol.n_sclass == C_ENTAG
             ? 1
             : 0;
}

int Coff::isStructType(const SymbolEntry& symbol) {
  const uint16_t type = basicType(symbol);
  return type == T_STRUCT || type == T_UNION || type == T_ENUM ? 1 : 0;
}

int Coff::isSectionSymbol(const SymbolEntry& symbol) {
  if (symbol.n_sclass == C_SECTION) return 1;
  return symbol.n_sclass == C_STAT && symbol._n_name.bytes[0] == '.' ? 1 : 0;
}

int Coff::isRelocatable(const SymbolEntry& symbol) {
  if (symbol.n_scnum < 1) return 0;
  switch (symbol.n_sclass) {
    case C_EXT:
    case C_STAT:
    case C_LABEL:
    case C_BLOCK:
    case C_FCN: return 1;
    default: return 0;
  }
}

int Coff::isDefinedGlobal(const SymbolEntry& symbol) {
  return symbol.n_sclass == C_EXT && symbol.n_scnum >= 1 ? 1 : 0;
}

int Coff::isExternRef(const SymbolEntry& symbol) {
  return symbol.n_sclass == C_EXT && symbol.n_scnum == N_UNDEF ? 1 : 0;
}

int Coff::auxKind(const SymbolEntry& symbol) {
  if (symbol.n_numaux == 0) return AUX_NONE;
  if (symbol.n_sclass == C_FILE) return AUX_FILE;
  if (symbol.n_sclass == C_EOS) return AUX_EOS;
  if (isArray(symbol)) return AUX_ARR;
  if (isFunction(symbol)) return AUX_FCN;
  if (inlineNameIs(symbol, ".bf") || inlineNameIs(symbol, ".bb")) return AUX_BOBF;
  if (inlineNameIs(symbol, ".ef") || inlineNameIs(symbol, ".eb")) return AUX_EOBF;
  if (isTag(symbol)) return AUX_TAG;
  if (isStructType(symbol)) return AUX_VAR;
  if (isSectionSymbol(symbol)) return AUX_SCN;
  return AUX_NONE;
}

int Coff::hasFcnIndex(const coff_lineno& line) { return flagSet(line.l_flags, LINENO_HASFCN); }

int Coff::isCode(const SectionHeader& header) { return flagSet(header.s_flags, STYP_CODE); }
int Coff::isIdata(const SectionHeader& header) { return flagSet(header.s_flags, STYP_IDATA); }
int Coff::isUdata(const SectionHeader& header) { return flagSet(header.s_flags, STYP_UDATA); }
int Coff::isRomdata(const SectionHeader& header) { return flagSet(header.s_flags, STYP_ROMDATA); }

uint8_t Coff::sectionType(const SectionHeader& header) {
  if (isCode(header)) return SECTION_CODE;
  if (isIdata(header)) return SECTION_IDATA;
  if (isUdata(header)) return SECTION_UDATA;
  if (isRomdata(header)) return SECTION_ROMDATA;
  return SECTION_UNKNOWN;
}

int Coff::isAbsolute(const SectionHeader& header) { return flagSet(header.s_flags, STYP_ABS); }
int Coff::isShared(const SectionHeader& header) { return flagSet(header.s_flags, STYP_SHARED); }
int Coff::isOverlay(const SectionHeader& header) { return flagSet(header.s_flags, STYP_OVERLAY); }
int Coff::isAccess(const SectionHeader& header) { return flagSet(header.s_flags, STYP_ACCESS); }

void Coff::setSectionFlags(SectionHeader& header, uint8_t type, int absolute, int shared,
                           int access) {
  static constexpr uint32_t TYPE_FLAGS[] = {0, STYP_CODE, STYP_IDATA, STYP_UDATA, STYP_ROMDATA};
  header.s_flags = 0;
  if (absolute != 0) header.s_flags |= STYP_ABS;
  if (shared != 0) header.s_flags |= STYP_SHARED;
  if (access != 0) header.s_flags |= STYP_ACCESS;
  if (type <= SECTION_ROMDATA) header.s_flags |= TYPE_FLAGS[type];
}

int Coff::isRelocStripped(const FileHeader& header) { return flagSet(header.f_flags, F_RELFLG); }
int Coff::isExecutable(const FileHeader& header) { return flagSet(header.f_flags, F_EXEC); }
int Coff::isLinenoStripped(const FileHeader& header) { return flagSet(header.f_flags, F_LNNO); }
int Coff::isDebugStripped(const FileHeader& header) { return flagSet(header.f_flags, F_DEBUG); }
