// The records of the object file format. Every record is byte-packed and
// little-endian on disk; each one is read and written field by field
// (decode/encode), so nothing here depends on the host's byte order or on
// how the compiler packs a struct.
#pragma once

#include <cstddef>
#include <cstdint>

#include "byte_order.h"

// f_magic of every object file of this system.
constexpr uint16_t COFF_MAGIC = 0x1234;

// f_flags bits.
constexpr uint16_t F_RELFLG = 0x0001;   // relocation entries stripped
constexpr uint16_t F_EXEC = 0x0002;     // absolute output of a link
constexpr uint16_t F_LNNO = 0x0004;     // line numbers stripped
constexpr uint16_t F_DEBUG = 0x0080;    // debug symbols stripped
constexpr uint16_t F_GENERIC = 0x8000;  // built for a whole core family

// s_flags: section types and attributes.
constexpr uint32_t STYP_CODE = 0x0020;
constexpr uint32_t STYP_IDATA = 0x0040;
constexpr uint32_t STYP_UDATA = 0x0080;
constexpr uint32_t STYP_ROMDATA = 0x0100;
constexpr uint32_t STYP_ABS = 0x1000;
constexpr uint32_t STYP_SHARED = 0x2000;
constexpr uint32_t STYP_OVERLAY = 0x4000;
constexpr uint32_t STYP_ACCESS = 0x8000;

// Section type numbers (Coff::sectionType).
enum : uint8_t {
  SECTION_UNKNOWN = 0,
  SECTION_CODE = 1,
  SECTION_IDATA = 2,
  SECTION_UDATA = 3,
  SECTION_ROMDATA = 4
};

// Special section numbers of a symbol.
constexpr int16_t N_UNDEF = 0;
constexpr int16_t N_ABS = -1;
constexpr int16_t N_DEBUG = -2;

// Storage classes that carry a meaning.
constexpr uint8_t C_EXT = 2;
constexpr uint8_t C_STAT = 3;
constexpr uint8_t C_LABEL = 6;
constexpr uint8_t C_STRTAG = 10;
constexpr uint8_t C_UNTAG = 12;
constexpr uint8_t C_ENTAG = 15;
constexpr uint8_t C_BLOCK = 100;
constexpr uint8_t C_FCN = 101;
constexpr uint8_t C_EOS = 102;
constexpr uint8_t C_FILE = 103;
constexpr uint8_t C_SECTION = 109;

// n_type: basic types of structured symbols and the derived types.
constexpr uint16_t T_STRUCT = 8;
constexpr uint16_t T_UNION = 9;
constexpr uint16_t T_ENUM = 10;
constexpr uint16_t DT_FCN = 2;
constexpr uint16_t DT_ARY = 3;

// l_flags: the entry carries a function index.
constexpr uint16_t LINENO_HASFCN = 0x0001;

// Kinds of auxiliary symbol entries (Coff::auxKind, cAuxType).
enum : int {
  AUX_NONE = 0,
  AUX_FILE = 1,
  AUX_SCN = 2,
  AUX_TAG = 3,
  AUX_EOS = 4,
  AUX_FCN = 5,
  AUX_ARR = 6,
  AUX_EOBF = 7,
  AUX_BOBF = 8,
  AUX_VAR = 9
};

struct FileHeader {
  static constexpr uint32_t SIZE = 20;
  uint16_t f_magic = 0;
  uint16_t f_nscns = 0;
  uint32_t f_timdat = 0;
  uint32_t f_symptr = 0;
  uint32_t f_nsyms = 0;
  uint16_t f_opthdr = 0;
  uint16_t f_flags = 0;

  static FileHeader decode(const uint8_t* bytes);
  void encode(uint8_t* bytes) const;
  bool operator==(const FileHeader&) const = default;
};

struct OptionalHeader {
  static constexpr uint32_t SIZE = 16;
  uint16_t magic = 0;
  uint16_t vstamp = 0;
  uint32_t proc_type = 0;
  uint32_t rom_width_bits = 0;
  uint32_t ram_width_bits = 0;

  static OptionalHeader decode(const uint8_t* bytes);
  void encode(uint8_t* bytes) const;
  bool operator==(const OptionalHeader&) const = default;
};

// An 8-byte name field: the name inline (NUL padded, no NUL at 8 characters),
// or four zero bytes followed by the little-endian string table offset.
struct NameField {
  uint8_t bytes[8] = {0, 0, 0, 0, 0, 0, 0, 0};

  bool inStringTable() const { return readLe32(bytes) == 0; }
  uint32_t offset() const { return readLe32(bytes + 4); }
  // Characters of an inline name: up to its first NUL, all eight without one.
  size_t inlineLength() const;
  void setOffset(uint32_t offset);
  bool operator==(const NameField&) const = default;
};

struct SectionHeader {
  static constexpr uint32_t SIZE = 40;
  NameField _s_name;
  uint32_t s_paddr = 0;
  uint32_t s_vaddr = 0;
  uint32_t s_size = 0;
  uint32_t s_scnptr = 0;
  uint32_t s_relptr = 0;
  uint32_t s_lnnoptr = 0;
  uint16_t s_nreloc = 0;
  uint16_t s_nlnno = 0;
  uint32_t s_flags = 0;

  // The string table offset held in bytes 4-7 of the name field.
  uint32_t _s_offset() const { return _s_name.offset(); }

  static SectionHeader decode(const uint8_t* bytes);
  void encode(uint8_t* bytes) const;
  bool operator==(const SectionHeader&) const = default;
};

// Relocation entry.
struct reloc {
  static constexpr uint32_t SIZE = 12;
  static constexpr uint32_t OLD_SIZE = 10;  // older layout: no r_offset
  uint32_t r_vaddr = 0;
  uint32_t r_symndx = 0;
  int16_t r_offset = 0;
  uint16_t r_type = 0;

  static reloc decode(const uint8_t* bytes);
  // An older-layout entry: its stored type is replaced by RELOCT_LOW.
  static reloc decodeOld(const uint8_t* bytes);
  void encode(uint8_t* bytes) const;

  // Order by r_vaddr; r_offset takes no part in equality.
  bool operator<(const reloc& other) const { return r_vaddr < other.r_vaddr; }
  bool operator==(const reloc& other) const {
    return r_vaddr == other.r_vaddr && r_symndx == other.r_symndx && r_type == other.r_type;
  }
};

// Line-number entry.
struct coff_lineno {
  static constexpr uint32_t SIZE = 16;
  uint32_t l_srcndx = 0;
  uint16_t l_lnno = 0;
  uint32_t l_paddr = 0;
  uint16_t l_flags = 0;
  uint32_t l_fcnndx = 0;

  static coff_lineno decode(const uint8_t* bytes);
  void encode(uint8_t* bytes) const;

  // Order by line number; l_flags and l_fcnndx take no part in equality.
  bool operator<(const coff_lineno& other) const { return l_lnno < other.l_lnno; }
  bool operator==(const coff_lineno& other) const {
    return l_srcndx == other.l_srcndx && l_lnno == other.l_lnno && l_paddr == other.l_paddr;
  }
};

// The 6-byte line-number entry of the older layout. A zero line number marks
// the start of a function, and l_paddr then holds its symbol index.
struct GnuLineno {
  static constexpr uint32_t SIZE = 6;
  uint32_t l_paddr = 0;
  uint16_t l_lnno = 0;

  uint32_t l_symndx() const { return l_paddr; }
  static GnuLineno decode(const uint8_t* bytes);
};

// One 18-byte slot of the symbol table. Auxiliary entries occupy slots of
// their own; the field layout maps all 18 bytes, so an auxiliary entry kept
// in a SymbolEntry round-trips unchanged and is read through the Aux views.
struct SymbolEntry {
  static constexpr uint32_t SIZE = 18;
  NameField _n_name;
  uint32_t n_value = 0;
  int16_t n_scnum = 0;
  uint16_t n_type = 0;
  uint8_t n_sclass = 0;
  uint8_t n_numaux = 0;

  uint32_t _n_offset() const { return _n_name.offset(); }

  static SymbolEntry decode(const uint8_t* bytes);
  void encode(uint8_t* bytes) const;
  bool operator==(const SymbolEntry&) const = default;
};

// Auxiliary entry kinds: views of one symbol table slot. `from` reads the
// named fields out of the slot; `storeInto` writes them back and leaves every
// byte the kind does not name unchanged.
struct AuxFile {
  uint32_t x_offset = 0;
  uint32_t x_incline = 0;
  static AuxFile from(const SymbolEntry& slot);
  void storeInto(SymbolEntry& slot) const;
};

struct AuxScn {
  uint32_t x_scnlen = 0;
  uint16_t x_nreloc = 0;
  uint16_t x_nlinno = 0;
  static AuxScn from(const SymbolEntry& slot);
  void storeInto(SymbolEntry& slot) const;
};

struct AuxTag {
  uint16_t x_size = 0;
  uint32_t x_endndx = 0;
  static AuxTag from(const SymbolEntry& slot);
  void storeInto(SymbolEntry& slot) const;
};

struct AuxEos {
  uint32_t x_tagndx = 0;
  uint16_t x_size = 0;
  static AuxEos from(const SymbolEntry& slot);
  void storeInto(SymbolEntry& slot) const;
};

struct AuxFcn {
  uint32_t x_tagndx = 0;
  uint32_t x_size = 0;
  uint32_t x_lnnoptr = 0;
  uint32_t x_endndx = 0;
  static AuxFcn from(const SymbolEntry& slot);
  void storeInto(SymbolEntry& slot) const;
};

struct AuxArr {
  uint32_t x_tagndx = 0;
  uint16_t x_lnno = 0;
  uint16_t x_size = 0;
  uint16_t x_dimen[4] = {0, 0, 0, 0};
  static AuxArr from(const SymbolEntry& slot);
  void storeInto(SymbolEntry& slot) const;
};

struct AuxEobf {
  uint16_t x_lnno = 0;
  static AuxEobf from(const SymbolEntry& slot);
  void storeInto(SymbolEntry& slot) const;
};

struct AuxBobf {
  uint16_t x_lnno = 0;
  uint32_t x_endndx = 0;
  static AuxBobf from(const SymbolEntry& slot);
  void storeInto(SymbolEntry& slot) const;
};

struct AuxVar {
  uint32_t x_tagndx = 0;
  uint16_t x_size = 0;
  static AuxVar from(const SymbolEntry& slot);
  void storeInto(SymbolEntry& slot) const;
};
