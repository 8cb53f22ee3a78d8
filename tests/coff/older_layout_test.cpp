// Objects of the older layout: no optional header, 10-byte relocations,
// 6-byte line entries and inline ".file" names, converted on reading.
#include <gtest/gtest.h>

#include <cstring>

#include "archive.h"
#include "coff_test_support.h"
#include "object_builder.h"
#include "process_runner.h"

using cofftest::MessageCapture;
using cofftest::readImage;

namespace {

template <class Record>
void place(std::vector<uint8_t>& image, size_t offset, const Record& record) {
  if (image.size() < offset + Record::SIZE) image.resize(offset + Record::SIZE);
  record.encode(&image[offset]);
}

void placeBytes(std::vector<uint8_t>& image, size_t offset, const std::vector<uint8_t>& bytes) {
  if (image.size() < offset + bytes.size()) image.resize(offset + bytes.size());
  if (!bytes.empty()) std::memcpy(&image[offset], bytes.data(), bytes.size());
}

SymbolEntry fileEntry() {
  SymbolEntry entry;
  std::memcpy(entry._n_name.bytes, ".file", 5);
  entry.n_scnum = N_DEBUG;
  entry.n_sclass = C_FILE;
  entry.n_numaux = 1;
  return entry;
}

SymbolEntry inlineFileName(const char* name) {
  uint8_t raw[SymbolEntry::SIZE] = {};
  std::memcpy(raw, name, std::min<size_t>(std::strlen(name), SymbolEntry::SIZE));
  return SymbolEntry::decode(raw);
}

// One ".text" section of 4 bytes with one relocation and three line
// entries, two ".file" symbols, and a string table whose one string ends
// just before offset 40. The section headers start at 20 + optionalLength.
std::vector<uint8_t> olderImage(uint16_t optionalLength) {
  std::vector<uint8_t> image;
  const uint32_t headers = 20u + optionalLength;
  const uint32_t raw = headers + 40;
  const uint32_t relocs = raw + 4;
  const uint32_t lines = relocs + 10;
  const uint32_t symbols = lines + 18;
  const uint32_t strings = symbols + 4 * 18;

  FileHeader file;
  file.f_magic = COFF_MAGIC;
  file.f_nscns = 1;
  file.f_timdat = 77;
  file.f_symptr = symbols;
  file.f_nsyms = 4;
  file.f_opthdr = optionalLength;
  place(image, 0, file);
  placeBytes(image, 20, std::vector<uint8_t>(optionalLength, 0xCC));

  SectionHeader section;
  std::memcpy(section._s_name.bytes, ".text", 5);
  section.s_size = 4;
  section.s_scnptr = raw;
  section.s_relptr = relocs;
  section.s_lnnoptr = lines;
  section.s_nreloc = 1;
  section.s_nlnno = 3;
  section.s_flags = STYP_CODE;
  place(image, headers, section);
  placeBytes(image, raw, {0xA1, 0xA2, 0xA3, 0xA4});
  placeBytes(image, relocs, {0x02, 0, 0, 0, 0x01, 0, 0, 0, 0x09, 0x00});
  placeBytes(image, lines, {0x10, 0, 0, 0, 5, 0, 3, 0, 0, 0, 0, 0, 0x30, 0, 0, 0, 7, 0});
  place(image, symbols, fileEntry());
  place(image, symbols + 18, inlineFileName("first.asm"));
  place(image, symbols + 36, fileEntry());
  place(image, symbols + 54, inlineFileName("second_name_of_18c"));  // no NUL

  const std::string text = std::string(35, 'x') + '\0';
  uint8_t length[4];
  writeLe32(length, static_cast<uint32_t>(4 + text.size()));
  placeBytes(image, strings, std::vector<uint8_t>(length, length + 4));
  placeBytes(image, strings + 4, std::vector<uint8_t>(text.begin(), text.end()));
  return image;
}

void expectConverted(const Coff& coff) {
  EXPECT_EQ(coff.cOptHdr, OptionalHeader{});  // zeroed, never undefined
  EXPECT_EQ(coff.cScnNum.at(1), ".text");
  EXPECT_EQ(coff.cRawData.at(".text"),
            Data(4, std::vector<uint8_t>{0xA1, 0xA2, 0xA3, 0xA4}.data()));

  const reloc& entry = coff.cScnReloc.at(".text").front();
  EXPECT_EQ(entry.r_vaddr, 2u);
  EXPECT_EQ(entry.r_symndx, 1u);
  EXPECT_EQ(entry.r_offset, 0);
  EXPECT_EQ(entry.r_type, 4);

  const auto& lines = coff.cScnLineno.at(".text");
  ASSERT_EQ(lines.size(), 2u);
  const coff_lineno& first = lines.front();
  const coff_lineno& second = lines.back();
  EXPECT_EQ(first.l_lnno, 5);
  EXPECT_EQ(first.l_paddr, 0x10u);
  EXPECT_EQ(first.l_fcnndx, 0u);
  EXPECT_EQ(second.l_lnno, 7);
  EXPECT_EQ(second.l_paddr, 0x30u);
  EXPECT_EQ(second.l_fcnndx, 3u);
  for (const coff_lineno& line : lines) {
    EXPECT_EQ(line.l_flags, LINENO_HASFCN);
    EXPECT_EQ(line.l_srcndx, 0u);
  }

  EXPECT_EQ(coff.cAuxType, (std::vector<int>{0, AUX_FILE, 0, AUX_FILE}));
  const AuxFile firstFile = AuxFile::from(coff.cSymTbl[1]);
  const AuxFile secondFile = AuxFile::from(coff.cSymTbl[3]);
  EXPECT_EQ(firstFile.x_offset, 40u);
  EXPECT_EQ(firstFile.x_incline, 0u);
  EXPECT_EQ(secondFile.x_offset, 40u + 9 + 1);
  EXPECT_EQ(Coff::getName(firstFile, coff.cStrTbl), "first.asm");
  EXPECT_EQ(Coff::getName(secondFile, coff.cStrTbl), "second_name_of_18c");
  EXPECT_EQ(coff.cStrTbl.size(), 3u);
}

TEST(CoffOlderLayout, IsConvertedOnReading) {
  for (uint16_t optionalLength : {0, 28}) {
    MessageCapture messages;
    auto coff = readImage(olderImage(optionalLength));
    ASSERT_TRUE(coff) << optionalLength;
    EXPECT_EQ(messages.text(), "Error - Coff file 't.o' missing optional file header.\n");
    EXPECT_EQ(coff->cFileHdr.f_opthdr, optionalLength);
    expectConverted(*coff);
    EXPECT_EQ(coff->verify(), 1);
  }
}

TEST(CoffOlderLayout, WrittenAgainIsSelfConsistent) {
  MessageCapture messages;
  auto coff = readImage(olderImage(0));
  ASSERT_TRUE(coff);
  coff->layout();
  const std::vector<uint8_t> image = cofftest::writtenImage(*coff);
  EXPECT_EQ(coff->size(), image.size());
  EXPECT_EQ(readLe16(&image[16]), 16);
  EXPECT_EQ(std::vector<uint8_t>(image.begin() + 20, image.begin() + 36),
            std::vector<uint8_t>(16, 0));

  messages.clear();
  auto again = readImage(image);
  ASSERT_TRUE(again);
  EXPECT_EQ(messages.text(), "");  // the current layout now
  expectConverted(*again);
  cofftest::expectSameObject(*coff, *again);
}

TEST(CoffOlderLayout, WrittenWithoutNewLayoutStillAnnouncesItsHeader) {
  // The librarian may write a member back as read; the header then still
  // says what the writer put behind it.
  MessageCapture messages;
  auto coff = readImage(olderImage(28));
  ASSERT_TRUE(coff);
  const std::vector<uint8_t> image = cofftest::writtenImage(*coff);
  EXPECT_EQ(readLe16(&image[16]), 16);
  EXPECT_EQ(coff->cFileHdr.f_opthdr, 16);
}

TEST(CoffOlderLayout, TruncatedOlderRecordsNameTheirBlock) {
  std::vector<uint8_t> image = olderImage(0);
  SectionHeader section = SectionHeader::decode(&image[20]);
  section.s_nlnno = 200;
  section.encode(&image[20]);
  MessageCapture messages;
  EXPECT_FALSE(readImage(image));
  EXPECT_EQ(messages.text(),
            "Error - Coff file 't.o' missing optional file header.\n"
            "Error - Coff file 't.o' could not read line numbers.\n");
}

// A library member in the older layout is measured as it is stored, so
// that the member behind it is found and the last one ends the file.
TEST(CoffOlderLayout, LibraryMembersAreMeasuredAsStored) {
  const std::vector<uint8_t> current = qortest::ObjectBuilder("b.o").code(".b").bytes({1}).image();
  for (const uint16_t optionalLength : {0, 28}) {
    for (const bool olderFirst : {true, false}) {
      const std::vector<uint8_t> older = olderImage(optionalLength);
      std::vector<uint8_t> library(ARCHIVE_MAGIC, ARCHIVE_MAGIC + ARCHIVE_MAGIC_LENGTH);
      for (const auto* image :
           olderFirst ? std::vector{&older, &current} : std::vector{&current, &older}) {
        const MemberHeader header = MemberHeader::asWritten(image == &older ? "t.o" : "b.o", 0,
                                                            static_cast<uint32_t>(image->size()));
        const auto* bytes = reinterpret_cast<const uint8_t*>(&header);
        library.insert(library.end(), bytes, bytes + sizeof header);
        library.insert(library.end(), image->begin(), image->end());
      }
      qortest::ScratchDir dir;
      ASSERT_TRUE(qortest::writeFileBytes(dir.file("o.lib"), library));
      MessageCapture messages;
      const std::unique_ptr<Archive> archive = Archive::make(dir.file("o.lib"));
      ASSERT_TRUE(archive) << optionalLength << olderFirst << messages.text();
      ASSERT_EQ(archive->cMembers.size(), 2u);
      expectConverted(*archive->cMembers[olderFirst ? 0 : 1]);
      EXPECT_EQ(messages.text(), "Error - Coff file 't.o' missing optional file header.\n");
    }
  }
}

}  // namespace
