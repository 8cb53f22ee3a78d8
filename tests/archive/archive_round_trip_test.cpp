// Writing a library and reading it back: exact layout, same members, same
// index, and the repairs that keep every written library readable.
#include <gtest/gtest.h>

#include <cstring>

#include "archive_test_helpers.h"

using namespace archivetest;
using qortest::ObjectBuilder;
using qortest::ScratchDir;

namespace {

std::unique_ptr<Archive> writeAndRead(Archive& archive) {
  EXPECT_EQ(archive.write(), 1);
  return Archive::make(archive.cName);
}

qortest::ObjectBuilder richObject() {
  ObjectBuilder builder("first.o");
  builder.processor(0x1234, 14, 8)
      .timeStamp(1700000000)
      .fileSymbol("a_rather_long_source_name.asm")
      .code(".text")
      .at(0x20)
      .bytes({0xde, 0xad, 0xbe, 0xef, 0x01, 0x02})
      .reloc(0, 2, 3, 4)
      .line(0, 7, 0x20, 2)
      .udata(".bss", 16)
      .idata("a_long_data_section")
      .bytes({9, 8, 7});
  builder.symbol("start", 0, 1, C_EXT, DT_FCN << 4).aux(AuxFcn{});
  builder.global("counter_with_long_name", 4, 2).externRef("elsewhere");
  return builder;
}

}  // namespace

TEST(ArchiveRoundTrip, ExactFileLayout) {
  ScratchDir dir;
  auto first = richObject();
  auto second = objectDefining("second.o", {"other"}).timeStamp(77);
  Archive archive;
  archive.cName = dir.file("exact.lib");
  archive.cMembers.push_back(first.coff());
  archive.cMembers.push_back(second.coff());
  ASSERT_EQ(archive.write(), 1);

  Bytes firstImage = first.image();
  Bytes secondImage = second.image();
  Bytes expected = magicBytes();
  append(expected, headerBytes("first.o", 1700000000, static_cast<uint32_t>(firstImage.size())));
  append(expected, firstImage);
  append(expected, headerBytes("second.o", 77, static_cast<uint32_t>(secondImage.size())));
  append(expected, secondImage);
  EXPECT_EQ(qortest::readFileBytes(archive.cName), expected);
}

TEST(ArchiveRoundTrip, SameMembersAndIndex) {
  ScratchDir dir;
  Archive archive;
  archive.cName = dir.file("pair.lib");
  archive.cMembers.push_back(richObject().coff());
  archive.cMembers.push_back(objectDefining("second.o", {"alpha", "beta_is_long_name"}).coff());
  ASSERT_EQ(archive.makeSymbols(), 1);

  CapturedOutput captured;
  auto read = writeAndRead(archive);
  ASSERT_TRUE(read);
  EXPECT_EQ(captured.errors(), "");
  EXPECT_EQ(read->cName, archive.cName);
  ASSERT_EQ(memberNames(*read), memberNames(archive));
  for (size_t i = 0; i < archive.cMembers.size(); ++i) {
    expectSameObject(*archive.cMembers[i], *read->cMembers[i]);
  }
  EXPECT_EQ(indexOf(*read), indexOf(archive));
  EXPECT_EQ(indexOf(*read),
            (std::vector<std::pair<std::string, std::string>>{{"alpha", "second.o"},
                                                              {"beta_is_long_name", "second.o"},
                                                              {"counter_with_long_name", "first.o"},
                                                              {"start", "first.o"}}));

  // Written again, the library is the same to the byte.
  Bytes before = qortest::readFileBytes(archive.cName);
  ASSERT_EQ(read->write(), 1);
  EXPECT_EQ(qortest::readFileBytes(archive.cName), before);
}

TEST(ArchiveRoundTrip, EmptyLibraryIsTheMagicAlone) {
  ScratchDir dir;
  Archive archive;
  archive.cName = dir.file("empty.lib");
  auto read = writeAndRead(archive);
  EXPECT_EQ(qortest::readFileBytes(archive.cName), magicBytes());
  ASSERT_TRUE(read);
  EXPECT_TRUE(read->cMembers.empty());
  EXPECT_TRUE(read->cSymbols.empty());
}

TEST(ArchiveRoundTrip, TimeStampIsKept) {
  ScratchDir dir;
  Archive archive;
  archive.cName = dir.file("stamp.lib");
  archive.cMembers.push_back(objectDefining("old.o", {"x"}).timeStamp(12345).coff());
  auto read = writeAndRead(archive);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->cMembers[0]->cFileHdr.f_timdat, 12345u);
  EXPECT_EQ(archive.cMembers[0]->cFileHdr.f_timdat, 12345u);
}

TEST(ArchiveRoundTrip, MemberNamesWithDirectoriesStayApart) {
  ScratchDir dir;
  Archive archive;
  archive.cName = dir.file("dirs.lib");
  archive.cMembers.push_back(objectDefining("obj/a.o", {"a"}).coff());
  archive.cMembers.push_back(objectDefining("obj/b.o", {"b"}).coff());
  archive.cMembers.push_back(objectDefining("src\\c.o", {"c"}).coff());
  auto read = writeAndRead(archive);
  ASSERT_TRUE(read);
  EXPECT_EQ(memberNames(*read), (std::vector<std::string>{"obj/a.o", "obj/b.o", "src\\c.o"}));
}

TEST(ArchiveRoundTrip, LongMemberNamesComeBackCutTo255) {
  ScratchDir dir;
  std::string exact(255, 'e');
  std::string longer = std::string(260, 'l') + ".o";
  Archive archive;
  archive.cName = dir.file("long.lib");
  archive.cMembers.push_back(objectDefining(exact, {"e"}).coff());
  archive.cMembers.push_back(objectDefining(longer, {"l"}).coff());
  auto read = writeAndRead(archive);
  ASSERT_TRUE(read);
  EXPECT_EQ(memberNames(*read), (std::vector<std::string>{exact, longer.substr(0, 255)}));
}

// An object whose blocks do not follow the writer's order: a gap of 16 bytes
// after the section headers moves every block behind it.
TEST(ArchiveRoundTrip, MemberReadWithOtherBlockOrderIsLaidOutAfresh) {
  ScratchDir dir;
  std::string objectPath = dir.file("gap.o");
  auto builder = objectDefining(objectPath, {"first", "second"}).timeStamp(99);
  builder.reloc(0, 1, 0, 4).line(0, 3, 0);
  Bytes image = builder.image();
  const uint32_t gap = 16;
  auto moveLe32 = [&](size_t at) {
    uint32_t value = readLe32(&image[at]);
    if (value != 0) writeLe32(&image[at], value + gap);
  };
  moveLe32(8);                                                 // f_symptr
  for (size_t at : {36 + 20, 36 + 24, 36 + 28}) moveLe32(at);  // section 1's pointers
  image.insert(image.begin() + 36 + 40, gap, 0xee);
  ASSERT_TRUE(qortest::writeFileBytes(objectPath, image));

  auto object = Coff::make(objectPath);
  ASSERT_TRUE(object);
  Archive archive;
  archive.cName = dir.file("gap.lib");
  archive.cMembers.push_back(std::move(object));
  auto read = writeAndRead(archive);
  ASSERT_TRUE(read);
  ASSERT_EQ(read->cMembers.size(), 1u);
  expectSameObject(*builder.coff(), *read->cMembers[0]);
  EXPECT_EQ(read->cMembers[0]->cFileHdr.f_timdat, 99u);
  // The member image is what the writer makes of the object.
  Bytes library = qortest::readFileBytes(archive.cName);
  EXPECT_EQ(Bytes(library.begin() + 288, library.end()), builder.image());
}

namespace {

// An object of the older layout: no optional header, no sections, a ".file"
// entry whose aux entry holds the source name inline, no strings.
Bytes olderLayoutObject(const std::string& inlineName) {
  Bytes image(20 + 2 * 18 + 4, 0);
  FileHeader file;
  file.f_magic = COFF_MAGIC;
  file.f_symptr = 20;
  file.f_nsyms = 2;
  file.encode(&image[0]);
  SymbolEntry entry;
  std::memcpy(entry._n_name.bytes, ".file", 5);
  entry.n_scnum = N_DEBUG;
  entry.n_sclass = C_FILE;
  entry.n_numaux = 1;
  entry.encode(&image[20]);
  std::memcpy(&image[38], inlineName.data(), inlineName.size());
  writeLe32(&image[56], 4);
  return image;
}

}  // namespace

// Members read from files of the older layout are written in the current
// one; the library reads back member by member, also when the inline name
// was empty (a string table on disk has no room for an empty string).
TEST(ArchiveRoundTrip, MembersOfTheOlderLayout) {
  for (const std::string inlineName : {"old.asm", ""}) {
    ScratchDir dir;
    std::string objectPath = dir.file("old.o");
    ASSERT_TRUE(qortest::writeFileBytes(objectPath, olderLayoutObject(inlineName)));
    CapturedOutput captured;
    auto object = Coff::make(objectPath);
    ASSERT_TRUE(object);
    Archive archive;
    archive.cName = dir.file("old.lib");
    archive.cMembers.push_back(std::move(object));
    archive.cMembers.push_back(objectDefining("next.o", {"next"}).coff());
    auto read = writeAndRead(archive);
    ASSERT_TRUE(read) << inlineName;
    EXPECT_EQ(memberNames(*read), (std::vector<std::string>{objectPath, "next.o"}));
    expectSameObject(*archive.cMembers[0], *read->cMembers[0]);
    const Coff& old = *read->cMembers[0];
    uint32_t offset = AuxFile::from(old.cSymTbl.at(1)).x_offset;
    if (inlineName.empty()) {
      EXPECT_TRUE(old.cStrTbl.empty());
      EXPECT_EQ(offset, 0u);
    } else {
      EXPECT_EQ(Coff::getName(AuxFile::from(old.cSymTbl.at(1)), old.cStrTbl), inlineName);
    }
    EXPECT_EQ(captured.errors(),
              "Error - Coff file '" + objectPath + "' missing optional file header.\n");
  }
}
