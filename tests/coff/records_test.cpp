// The records are byte-packed and little-endian whatever the host: each field
// must land at its offset, and auxiliary views must keep the bytes they do
// not name.
#include <gtest/gtest.h>

#include <vector>

#include "coff_records.h"

namespace {

template <class Record>
std::vector<uint8_t> encoded(const Record& record) {
  std::vector<uint8_t> bytes(Record::SIZE, 0xAA);
  record.encode(bytes.data());
  return bytes;
}

TEST(CoffRecords, FileHeaderFieldsAtTheirOffsets) {
  FileHeader header;
  header.f_magic = 0x1234;
  header.f_nscns = 0x0102;
  header.f_timdat = 0x0A0B0C0D;
  header.f_symptr = 0x11223344;
  header.f_nsyms = 0x55667788;
  header.f_opthdr = 16;
  header.f_flags = 0x8002;
  const std::vector<uint8_t> expected = {0x34, 0x12, 0x02, 0x01, 0x0D, 0x0C, 0x0B,
                                         0x0A, 0x44, 0x33, 0x22, 0x11, 0x88, 0x77,
                                         0x66, 0x55, 0x10, 0x00, 0x02, 0x80};
  EXPECT_EQ(encoded(header), expected);
  EXPECT_EQ(FileHeader::decode(expected.data()), header);
}

TEST(CoffRecords, OptionalAndSectionHeadersRoundTrip) {
  OptionalHeader optional;
  optional.magic = 0x5678;
  optional.vstamp = 1;
  optional.proc_type = 0xCAFE;
  optional.rom_width_bits = 14;
  optional.ram_width_bits = 8;
  const auto optionalBytes = encoded(optional);
  EXPECT_EQ(optionalBytes[4], 0xFE);
  EXPECT_EQ(optionalBytes[8], 14);
  EXPECT_EQ(optionalBytes[12], 8);
  EXPECT_EQ(OptionalHeader::decode(optionalBytes.data()), optional);

  SectionHeader section;
  section._s_name.setOffset(0x1234);
  section.s_paddr = 1;
  section.s_vaddr = 2;
  section.s_size = 3;
  section.s_scnptr = 4;
  section.s_relptr = 5;
  section.s_lnnoptr = 6;
  section.s_nreloc = 7;
  section.s_nlnno = 8;
  section.s_flags = 0x1020;
  const auto bytes = encoded(section);
  const std::vector<uint8_t> expectedName = {0, 0, 0, 0, 0x34, 0x12, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 8), expectedName);
  for (int field = 0; field < 6; ++field) EXPECT_EQ(bytes[8 + 4 * field], field + 1);
  EXPECT_EQ(bytes[32], 7);
  EXPECT_EQ(bytes[34], 8);
  EXPECT_EQ(bytes[36], 0x20);
  EXPECT_EQ(bytes[37], 0x10);
  EXPECT_EQ(SectionHeader::decode(bytes.data()), section);
  EXPECT_EQ(SectionHeader::decode(bytes.data())._s_offset(), 0x1234u);
}

TEST(CoffRecords, RelocationKeepsSignedOffset) {
  reloc entry;
  entry.r_vaddr = 0x10;
  entry.r_symndx = 3;
  entry.r_offset = -2;
  entry.r_type = 9;
  const std::vector<uint8_t> expected = {0x10, 0, 0, 0, 3, 0, 0, 0, 0xFE, 0xFF, 9, 0};
  EXPECT_EQ(encoded(entry), expected);
  const reloc back = reloc::decode(expected.data());
  EXPECT_EQ(back.r_offset, -2);
  EXPECT_EQ(back.r_type, 9);
}

TEST(CoffRecords, OlderRelocationBecomesLowWithoutOffset) {
  const std::vector<uint8_t> old = {0x20, 0, 0, 0, 5, 0, 0, 0, 0x77, 0x00};
  const reloc entry = reloc::decodeOld(old.data());
  EXPECT_EQ(entry.r_vaddr, 0x20u);
  EXPECT_EQ(entry.r_symndx, 5u);
  EXPECT_EQ(entry.r_offset, 0);
  EXPECT_EQ(entry.r_type, 4);
}

TEST(CoffRecords, LineNumberFieldsAtTheirOffsets) {
  coff_lineno line;
  line.l_srcndx = 1;
  line.l_lnno = 2;
  line.l_paddr = 0x0300;
  line.l_flags = 1;
  line.l_fcnndx = 5;
  const std::vector<uint8_t> expected = {1, 0, 0, 0, 2, 0, 0, 3, 0, 0, 1, 0, 5, 0, 0, 0};
  EXPECT_EQ(encoded(line), expected);
  const coff_lineno back = coff_lineno::decode(expected.data());
  EXPECT_EQ(back, line);
  EXPECT_EQ(back.l_flags, 1);
  EXPECT_EQ(back.l_fcnndx, 5u);

  const std::vector<uint8_t> old = {0x30, 0, 0, 0, 7, 0};
  const GnuLineno gnu = GnuLineno::decode(old.data());
  EXPECT_EQ(gnu.l_paddr, 0x30u);
  EXPECT_EQ(gnu.l_symndx(), 0x30u);
  EXPECT_EQ(gnu.l_lnno, 7);
}

TEST(CoffRecords, RecordComparisonsFollowTheirKeys) {
  reloc a, b;
  a.r_vaddr = 1;
  b.r_vaddr = 2;
  EXPECT_TRUE(a < b);
  b.r_vaddr = 1;
  b.r_offset = 7;  // not compared
  EXPECT_TRUE(a == b);
  b.r_type = 3;
  EXPECT_FALSE(a == b);
  a.r_vaddr = 0x80000000u;  // unsigned order
  EXPECT_TRUE(b < a);

  coff_lineno x, y;
  x.l_lnno = 3;
  y.l_lnno = 4;
  EXPECT_TRUE(x < y);
  y.l_lnno = 3;
  y.l_fcnndx = 9;
  y.l_flags = 1;
  EXPECT_TRUE(x == y);
  y.l_paddr = 1;
  EXPECT_FALSE(x == y);
}

TEST(CoffRecords, SymbolEntryMapsAllEighteenBytes) {
  std::vector<uint8_t> raw(18);
  for (int i = 0; i < 18; ++i) raw[i] = static_cast<uint8_t>(0xF0 + i - 3 * i);
  const SymbolEntry entry = SymbolEntry::decode(raw.data());
  EXPECT_EQ(encoded(entry), raw);
  EXPECT_EQ(entry.n_scnum, static_cast<int16_t>(readLe16(raw.data() + 12)));
  EXPECT_EQ(entry.n_sclass, raw[16]);
  EXPECT_EQ(entry.n_numaux, raw[17]);
}

TEST(CoffRecords, AuxViewsReadAndWriteOnlyTheirFields) {
  std::vector<uint8_t> raw(18);
  for (int i = 0; i < 18; ++i) raw[i] = static_cast<uint8_t>(i + 1);
  SymbolEntry slot = SymbolEntry::decode(raw.data());

  AuxFcn fcn = AuxFcn::from(slot);
  EXPECT_EQ(fcn.x_tagndx, 0x04030201u);
  EXPECT_EQ(fcn.x_size, 0x08070605u);
  EXPECT_EQ(fcn.x_lnnoptr, 0x0C0B0A09u);
  EXPECT_EQ(fcn.x_endndx, 0x100F0E0Du);
  fcn.x_lnnoptr = 0xAABBCCDD;
  fcn.storeInto(slot);
  std::vector<uint8_t> expected = raw;
  expected[8] = 0xDD, expected[9] = 0xCC, expected[10] = 0xBB, expected[11] = 0xAA;
  EXPECT_EQ(encoded(slot), expected);  // bytes 16 and 17 untouched

  AuxTag tag = AuxTag::from(slot);
  EXPECT_EQ(tag.x_size, 0x0807);
  tag.x_endndx = 0;
  tag.storeInto(slot);
  EXPECT_EQ(AuxFcn::from(slot).x_endndx, 0u);
  EXPECT_EQ(AuxFcn::from(slot).x_tagndx, 0x04030201u);

  const AuxArr arr = AuxArr::from(SymbolEntry::decode(raw.data()));
  EXPECT_EQ(arr.x_lnno, 0x0605);
  EXPECT_EQ(arr.x_size, 0x0807);
  EXPECT_EQ(arr.x_dimen[0], 0x0A09);
  EXPECT_EQ(arr.x_dimen[3], 0x100F);

  SymbolEntry zero;
  AuxBobf bobf;
  bobf.x_lnno = 12;
  bobf.x_endndx = 40;
  bobf.storeInto(zero);
  EXPECT_EQ(AuxEobf::from(zero).x_lnno, 12);
  EXPECT_EQ(AuxBobf::from(zero).x_endndx, 40u);
  AuxScn scn;
  scn.x_scnlen = 100;
  scn.x_nreloc = 2;
  scn.x_nlinno = 3;
  scn.storeInto(zero);
  EXPECT_EQ(AuxScn::from(zero).x_nlinno, 3);
  EXPECT_EQ(AuxVar::from(zero).x_tagndx, 100u);
  EXPECT_EQ(AuxEos::from(zero).x_size, 3);
  AuxFile file;
  file.x_offset = 4;
  file.x_incline = 9;
  file.storeInto(zero);
  EXPECT_EQ(AuxFile::from(zero).x_offset, 4u);
  EXPECT_EQ(AuxFile::from(zero).x_incline, 9u);
}

TEST(CoffRecords, NameFieldTellsInlineFromStringTable) {
  NameField field;
  EXPECT_TRUE(field.inStringTable());  // four zero bytes
  field.bytes[0] = 'a';
  EXPECT_FALSE(field.inStringTable());
  field.bytes[3] = 'b';
  field.bytes[0] = 0;
  EXPECT_FALSE(field.inStringTable());
  field.setOffset(77);
  EXPECT_TRUE(field.inStringTable());
  EXPECT_EQ(field.offset(), 77u);
}

}  // namespace
