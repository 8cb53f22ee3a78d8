#include "coff_records.h"

#include <algorithm>
#include <cstring>

namespace {
// An older-layout relocation has no usable type: it always patches the low
// byte of an address (RELOCT_LOW).
constexpr uint16_t OLD_RELOC_TYPE = 4;

int16_t readLe16Signed(const uint8_t* bytes) { return static_cast<int16_t>(readLe16(bytes)); }
void writeLe16Signed(uint8_t* bytes, int16_t value) {
  writeLe16(bytes, static_cast<uint16_t>(value));
}

// The 18 bytes of a slot, for the auxiliary views.
struct SlotBytes {
  uint8_t bytes[SymbolEntry::SIZE];
  explicit SlotBytes(const SymbolEntry& slot) { slot.encode(bytes); }
  void storeInto(SymbolEntry& slot) const { slot = SymbolEntry::decode(bytes); }
};
}  // namespace

FileHeader FileHeader::decode(const uint8_t* bytes) {
  FileHeader header;
  header.f_magic = readLe16(bytes);
  header.f_nscns = readLe16(bytes + 2);
  header.f_timdat = readLe32(bytes + 4);
  header.f_symptr = readLe32(bytes + 8);
  header.f_nsyms = readLe32(bytes + 12);
  header.f_opthdr = readLe16(bytes + 16);
  header.f_flags = readLe16(bytes + 18);
  return header;
}

void FileHeader::encode(uint8_t* bytes) const {
  writeLe16(bytes, f_magic);
  writeLe16(bytes + 2, f_nscns);
  writeLe32(bytes + 4, f_timdat);
  writeLe32(bytes + 8, f_symptr);
  writeLe32(bytes + 12, f_nsyms);
  writeLe16(bytes + 16, f_opthdr);
  writeLe16(bytes + 18, f_flags);
}

OptionalHeader OptionalHeader::decode(const uint8_t* bytes) {
  OptionalHeader header;
  header.magic = readLe16(bytes);
  header.vstamp = readLe16(bytes + 2);
  header.proc_type = readLe32(bytes + 4);
  header.rom_width_bits = readLe32(bytes + 8);
  header.ram_width_bits = readLe32(bytes + 12);
  return header;
}

void OptionalHeader::encode(uint8_t* bytes) const {
  writeLe16(bytes, magic);
  writeLe16(bytes + 2, vstamp);
  writeLe32(bytes + 4, proc_type);
  writeLe32(bytes + 8, rom_width_bits);
  writeLe32(bytes + 12, ram_width_bits);
}

size_t NameField::inlineLength() const {
  return static_cast<size_t>(std::find(bytes, bytes + sizeof bytes, 0) - bytes);
}

void NameField::setOffset(uint32_t offset) {
  writeLe32(bytes, 0);
  writeLe32(bytes + 4, offset);
}

SectionHeader SectionHeader::decode(const uint8_t* bytes) {
  SectionHeader header;
  std::memcpy(header._s_name.bytes, bytes, 8);
  header.s_paddr = readLe32(bytes + 8);
  header.s_vaddr = readLe32(bytes + 12);
  header.s_size = readLe32(bytes + 16);
  header.s_scnptr = readLe32(bytes + 20);
  header.s_relptr = readLe32(bytes + 24);
  header.s_lnnoptr = readLe32(bytes + 28);
  header.s_nreloc = readLe16(bytes + 32);
  header.s_nlnno = readLe16(bytes + 34);
  header.s_flags = readLe32(bytes + 36);
  return header;
}

void SectionHeader::encode(uint8_t* bytes) const {
  std::memcpy(bytes, _s_name.bytes, 8);
  writeLe32(bytes + 8, s_paddr);
  writeLe32(bytes + 12, s_vaddr);
  writeLe32(bytes + 16, s_size);
  writeLe32(bytes + 20, s_scnptr);
  writeLe32(bytes + 24, s_relptr);
  writeLe32(bytes + 28, s_lnnoptr);
  writeLe16(bytes + 32, s_nreloc);
  writeLe16(bytes + 34, s_nlnno);
  writeLe32(bytes + 36, s_flags);
}

reloc reloc::decode(const uint8_t* bytes) {
  reloc entry;
  entry.r_vaddr = readLe32(bytes);
  entry.r_symndx = readLe32(bytes + 4);
  entry.r_offset = readLe16Signed(bytes + 8);
  entry.r_type = readLe16(bytes + 10);
  return entry;
}

reloc reloc::decodeOld(const uint8_t* bytes) {
  reloc entry;
  entry.r_vaddr = readLe32(bytes);
  entry.r_symndx = readLe32(bytes + 4);
  entry.r_offset = 0;
  entry.r_type = OLD_RELOC_TYPE;
  return entry;
}

void reloc::encode(uint8_t* bytes) const {
  writeLe32(bytes, r_vaddr);
  writeLe32(bytes + 4, r_symndx);
  writeLe16Signed(bytes + 8, r_offset);
  writeLe16(bytes + 10, r_type);
}

coff_lineno coff_lineno::decode(const uint8_t* bytes) {
  coff_lineno line;
  line.l_srcndx = readLe32(bytes);
  line.l_lnno = readLe16(bytes + 4);
  line.l_paddr = readLe32(bytes + 6);
  line.l_flags = readLe16(bytes + 10);
  line.l_fcnndx = readLe32(bytes + 12);
  return line;
}

void coff_lineno::encode(uint8_t* bytes) const {
  writeLe32(bytes, l_srcndx);
  writeLe16(bytes + 4, l_lnno);
  writeLe32(bytes + 6, l_paddr);
  writeLe16(bytes + 10, l_flags);
  writeLe32(bytes + 12, l_fcnndx);
}

GnuLineno GnuLineno::decode(const uint8_t* bytes) {
  GnuLineno line;
  line.l_paddr = readLe32(bytes);
  line.l_lnno = readLe16(bytes + 4);
  return line;
}

SymbolEntry SymbolEntry::decode(const uint8_t* bytes) {
  SymbolEntry entry;
  std::memcpy(entry._n_name.bytes, bytes, 8);
  entry.n_value = readLe32(bytes + 8);
  entry.n_scnum = readLe16Signed(bytes + 12);
  entry.n_type = readLe16(bytes + 14);
  entry.n_sclass = bytes[16];
  entry.n_numaux = bytes[17];
  return entry;
}

void SymbolEntry::encode(uint8_t* bytes) const {
  std::memcpy(bytes, _n_name.bytes, 8);
  writeLe32(bytes + 8, n_value);
  writeLe16Signed(bytes + 12, n_scnum);
  writeLe16(bytes + 14, n_type);
  bytes[16] = n_sclass;
  bytes[17] = n_numaux;
}

AuxFile AuxFile::from(const SymbolEntry& slot) {
  SlotBytes raw(slot);
  AuxFile aux;
  aux.x_offset = readLe32(raw.bytes);
  aux.x_incline = readLe32(raw.bytes + 4);
  return aux;
}

void AuxFile::storeInto(SymbolEntry& slot) const {
  SlotBytes raw(slot);
  writeLe32(raw.bytes, x_offset);
  writeLe32(raw.bytes + 4, x_incline);
  raw.storeInto(slot);
}

AuxScn AuxScn::from(const SymbolEntry& slot) {
  SlotBytes raw(slot);
  AuxScn aux;
  aux.x_scnlen = readLe32(raw.bytes);
  aux.x_nreloc = readLe16(raw.bytes + 4);
  aux.x_nlinno = readLe16(raw.bytes + 6);
  return aux;
}

void AuxScn::storeInto(SymbolEntry& slot) const {
  SlotBytes raw(slot);
  writeLe32(raw.bytes, x_scnlen);
  writeLe16(raw.bytes + 4, x_nreloc);
  writeLe16(raw.bytes + 6, x_nlinno);
  raw.storeInto(slot);
}

AuxTag AuxTag::from(const SymbolEntry& slot) {
  SlotBytes raw(slot);
  AuxTag aux;
  aux.x_size = readLe16(raw.bytes + 6);
  aux.x_endndx = readLe32(raw.bytes + 12);
  return aux;
}

void AuxTag::storeInto(SymbolEntry& slot) const {
  SlotBytes raw(slot);
  writeLe16(raw.bytes + 6, x_size);
  writeLe32(raw.bytes + 12, x_endndx);
  raw.storeInto(slot);
}

AuxEos AuxEos::from(const SymbolEntry& slot) {
  SlotBytes raw(slot);
  AuxEos aux;
  aux.x_tagndx = readLe32(raw.bytes);
  aux.x_size = readLe16(raw.bytes + 6);
  return aux;
}

void AuxEos::storeInto(SymbolEntry& slot) const {
  SlotBytes raw(slot);
  writeLe32(raw.bytes, x_tagndx);
  writeLe16(raw.bytes + 6, x_size);
  raw.storeInto(slot);
}

AuxFcn AuxFcn::from(const SymbolEntry& slot) {
  SlotBytes raw(slot);
  AuxFcn aux;
  aux.x_tagndx = readLe32(raw.bytes);
  aux.x_size = readLe32(raw.bytes + 4);
  aux.x_lnnoptr = readLe32(raw.bytes + 8);
  aux.x_endndx = readLe32(raw.bytes + 12);
  return aux;
}

void AuxFcn::storeInto(SymbolEntry& slot) const {
  SlotBytes raw(slot);
  writeLe32(raw.bytes, x_tagndx);
  writeLe32(raw.bytes + 4, x_size);
  writeLe32(raw.bytes + 8, x_lnnoptr);
  writeLe32(raw.bytes + 12, x_endndx);
  raw.storeInto(slot);
}

AuxArr AuxArr::from(const SymbolEntry& slot) {
  SlotBytes raw(slot);
  AuxArr aux;
  aux.x_tagndx = readLe32(raw.bytes);
  aux.x_lnno = readLe16(raw.bytes + 4);
  aux.x_size = readLe16(raw.bytes + 6);
  for (int i = 0; i < 4; ++i) aux.x_dimen[i] = readLe16(raw.bytes + 8 + 2 * i);
  return aux;
}

void AuxArr::storeInto(SymbolEntry& slot) const {
  SlotBytes raw(slot);
  writeLe32(raw.bytes, x_tagndx);
  writeLe16(raw.bytes + 4, x_lnno);
  writeLe16(raw.bytes + 6, x_size);
  for (int i = 0; i < 4; ++i) writeLe16(raw.bytes + 8 + 2 * i, x_dimen[i]);
  raw.storeInto(slot);
}

AuxEobf AuxEobf::from(const SymbolEntry& slot) {
  SlotBytes raw(slot);
  AuxEobf aux;
  aux.x_lnno = readLe16(raw.bytes + 4);
  return aux;
}

void AuxEobf::storeInto(SymbolEntry& slot) const {
  SlotBytes raw(slot);
  writeLe16(raw.bytes + 4, x_lnno);
  raw.storeInto(slot);
}

AuxBobf AuxBobf::from(const SymbolEntry& slot) {
  SlotBytes raw(slot);
  AuxBobf aux;
  aux.x_lnno = readLe16(raw.bytes + 4);
  aux.x_endndx = readLe32(raw.bytes + 12);
  return aux;
}

void AuxBobf::storeInto(SymbolEntry& slot) const {
  SlotBytes raw(slot);
  writeLe16(raw.bytes + 4, x_lnno);
  writeLe32(raw.bytes + 12, x_endndx);
  raw.storeInto(slot);
}

// A variable of a structured type has the layout of an end of structure.
AuxVar AuxVar::from(const SymbolEntry& slot) {
  const AuxEos same = AuxEos::from(slot);
  AuxVar aux;
  aux.x_tagndx = same.x_tagndx;
  aux.x_size = same.x_size;
  return aux;
}

void AuxVar::storeInto(SymbolEntry& slot) const {
  AuxEos same;
  same.x_tagndx = x_tagndx;
  same.x_size = x_size;
  same.storeInto(slot);
}
