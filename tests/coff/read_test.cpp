// Reading objects: round trips through the writer, the older layout, and
// damaged files, which must give their message and never crash.
#include <gtest/gtest.h>

#include <random>

#include "coff_test_support.h"
#include "object_builder.h"
#include "process_runner.h"
#include "unblocked_pipe.h"

using cofftest::expectSameObject;
using cofftest::MessageCapture;
using cofftest::readImage;
using qortest::ObjectBuilder;

namespace {

// An object with something of every kind: two sections with bytes,
// relocations and lines, a udata section, long names, aux entries.
ObjectBuilder richObject(const std::string& codeName = ".code_main_long",
                         const std::string& udataName = ".udata_variables") {
  ObjectBuilder builder("t.o");
  builder.processor(0x6628, 14, 8)
      .fileFlags(F_GENERIC)
      .timeStamp(1000)
      .code(codeName)
      .at(0x100)
      .bytes({1, 2, 3, 4, 5, 6})
      .reloc(0, 2, 0, 1)
      .reloc(4, 4, -3, 4)
      .line(0, 10, 0x100, 2)
      .line(0, 11, 0x101, 2)
      .idata(".idata")
      .bytes({9, 8, 7})
      .reloc(1, 6, 0, 5)
      .udata(udataName, 12)
      .fileSymbol("main_source_file.asm", 3);
  builder.symbol("main", 0x100, 1, C_EXT, DT_FCN << 4)
      .aux(AuxFcn{0, 0, 0, 5})
      .global("a_long_global", 2, 2)
      .externRef("ext")
      .symbol(".idata", 0, 2, C_STAT)
      .aux(AuxScn{3, 1, 0})
      .symbol("tag", 0, N_DEBUG, C_STRTAG)
      .aux(AuxTag{4, 0});
  return builder;
}

std::string errorLine(const std::string& ending) {
  return "Error - Coff file 't.o" + ending + "\n";
}

void patch32(std::vector<uint8_t>& image, size_t offset, uint32_t value) {
  writeLe32(&image[offset], value);
}
void patch16(std::vector<uint8_t>& image, size_t offset, uint16_t value) {
  writeLe16(&image[offset], value);
}

TEST(CoffRead, WrittenObjectReadsBackEqualAndWritesSameBytes) {
  const ObjectBuilder builder = richObject();
  const auto built = builder.coff();
  const std::vector<uint8_t> image = builder.image();
  ASSERT_FALSE(image.empty());
  EXPECT_EQ(built->size(), image.size());

  MessageCapture messages;
  auto read = readImage(image);
  ASSERT_TRUE(read);
  EXPECT_EQ(messages.text(), "");
  expectSameObject(*built, *read);
  EXPECT_EQ(read->verify(), 1);
  EXPECT_EQ(cofftest::writtenImage(*read), image);

  // Laid out again, nothing moves.
  read->layout();
  expectSameObject(*built, *read);
}

TEST(CoffRead, ImageAtBaseOffsetInsideALargerFile) {
  const ObjectBuilder builder = richObject();
  MessageCapture messages;
  auto read = readImage(builder.image(), 1000);
  ASSERT_TRUE(read);
  EXPECT_EQ(messages.text(), "");
  expectSameObject(*builder.coff(), *read);
}

TEST(CoffRead, ByFileNameAndOpenFailure) {
  qortest::ScratchDir dir;
  const std::string path = richObject().writeFile(dir.file("obj.o"));
  MessageCapture messages;
  auto read = Coff::make(path);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->cName, path);
  EXPECT_EQ(read->cSymTbl.size(), 10u);

  EXPECT_FALSE(Coff::make(dir.file("missing.o")));
  EXPECT_EQ(messages.text(),
            "Error - Could not open Coff file '" + dir.file("missing.o") + "' for reading.\n");
}

// A reader of a pipe would wait for a writer that may never come, and an
// object is read with seeks that a pipe cannot do.
TEST(CoffRead, APipeIsNotOpened) {
  qortest::ScratchDir dir;
  const std::string path = dir.file("pipe.o");
  qortest::UnblockedPipe pipe(path);
  MessageCapture messages;
  EXPECT_FALSE(Coff::make(path));
  EXPECT_EQ(messages.text(), "Error - Could not open Coff file '" + path + "' for reading.\n");
}

TEST(CoffRead, BadMagicIsRejectedBeforeAnythingElse) {
  std::vector<uint8_t> image = richObject().image();
  patch16(image, 0, 0x1235);
  patch16(image, 16, 0);  // an older layout would otherwise be reported too
  MessageCapture messages;
  EXPECT_FALSE(readImage(image));
  EXPECT_EQ(messages.text(), errorLine("' does not appear to be a valid COFF file."));
}

TEST(CoffRead, EveryTruncationGivesOneMessageAndNoObject) {
  const std::vector<uint8_t> image = richObject().image();
  for (size_t length = 0; length < image.size(); ++length) {
    MessageCapture messages;
    const std::vector<uint8_t> cut(image.begin(), image.begin() + static_cast<long>(length));
    EXPECT_FALSE(readImage(cut)) << length;
    EXPECT_EQ(errorCount(), 1u) << length;
    EXPECT_EQ(messages.text().rfind("Error - Coff file 't.o' could not read ", 0), 0u) << length;
  }
}

TEST(CoffRead, TruncationMessagesNameTheBlock) {
  const ObjectBuilder builder = richObject();
  const auto laidOut = builder.coff();
  const std::vector<uint8_t> image = builder.image();
  auto messageFor = [&](size_t length) {
    MessageCapture messages;
    readImage(std::vector<uint8_t>(image.begin(), image.begin() + static_cast<long>(length)));
    return messages.text();
  };
  EXPECT_EQ(messageFor(19), errorLine("' could not read file header."));
  EXPECT_EQ(messageFor(35), errorLine("' could not read optional file header."));
  const size_t strings = laidOut->cFileHdr.f_symptr + 18 * laidOut->cFileHdr.f_nsyms;
  EXPECT_EQ(messageFor(strings + 3), errorLine("' could not read string table length."));
  EXPECT_EQ(messageFor(strings + 5), errorLine("' could not read string table."));
}

TEST(CoffRead, MissingBlocksInsideTheFileNameTheBlock) {
  const ObjectBuilder builder = richObject();
  const auto laidOut = builder.coff();
  const std::vector<uint8_t> image = builder.image();
  auto messageAfter = [&](size_t offset, uint32_t value) {
    std::vector<uint8_t> broken = image;
    patch32(broken, offset, value);
    MessageCapture messages;
    EXPECT_FALSE(readImage(broken));
    return messages.text();
  };
  const size_t first = 36;  // the first section header
  EXPECT_EQ(messageAfter(first + 20, 0xFFFFFF00), errorLine("' could not read raw data."));
  EXPECT_EQ(messageAfter(first + 24, 0xFFFFFF00), errorLine("' could not read relocation info."));
  EXPECT_EQ(messageAfter(first + 28, 0xFFFFFF00), errorLine("' could not read line numbers."));
}

TEST(CoffRead, SectionCountBeyondTheHeaders) {
  // With and without symbols: the second header would run past the end.
  for (const ObjectBuilder& builder :
       {ObjectBuilder("t.o").code(".c"), ObjectBuilder("t.o").code(".c").global("x", 0, 1)}) {
    std::vector<uint8_t> image = builder.image();
    patch16(image, 2, 2);
    MessageCapture messages;
    EXPECT_FALSE(readImage(image));
    EXPECT_EQ(messages.text(), errorLine("' could not read section header."));
  }
}

TEST(CoffRead, HugeSymbolCountFailsAtOnce) {
  std::vector<uint8_t> image = richObject().image();
  patch32(image, 12, 0xFFFFFFFF);
  MessageCapture messages;
  EXPECT_FALSE(readImage(image));
  EXPECT_EQ(messages.text(), errorLine("' could not read symbol table."));
}

TEST(CoffRead, HugeZeroFilledSectionIsRefused) {
  std::vector<uint8_t> image = ObjectBuilder("t.o").code(".c").image();  // s_scnptr 0
  patch32(image, 36 + 16, 0xFFFFFFF0);
  MessageCapture messages;
  EXPECT_FALSE(readImage(image));
  EXPECT_EQ(messages.text(), errorLine("' could not read raw data."));
}

// udata bytes are not part of the written image (Coff::size leaves them
// out), so a library could hold many small members that each ask for a
// large one. No device has more than 4 KB of data memory.
TEST(CoffRead, UdataBeyondAnyDataMemoryIsRefused) {
  std::vector<uint8_t> image = ObjectBuilder("t.o").udata(".bss", 4).udata(".bss2", 4).image();
  {
    patch32(image, 36 + 16, 0x8000);
    patch32(image, 76 + 16, 0x8000);
    MessageCapture messages;
    auto coff = readImage(image);
    ASSERT_TRUE(coff);
    EXPECT_EQ(coff->cRawData.at(".bss").size(), 0x8000u);
    EXPECT_EQ(messages.text(), "");
  }
  patch32(image, 76 + 16, 0x8001);
  MessageCapture messages;
  EXPECT_FALSE(readImage(image));
  EXPECT_EQ(messages.text(), errorLine("' could not read raw data."));

  // Read from the file instead of zero-filled: counted the same way.
  ObjectBuilder builder("t.o");
  builder.code(".c").bytes(std::vector<uint8_t>(0x10001, 7)).udata(".u", 4);
  std::vector<uint8_t> big = builder.image();
  patch32(big, 76 + 16, 0x10001);  // .u over the bytes of .c, which reads none
  patch32(big, 76 + 20, readLe32(&big[36 + 20]));
  patch32(big, 36 + 16, 0);
  messages.clear();
  EXPECT_FALSE(readImage(big));
  EXPECT_EQ(messages.text(), errorLine("' could not read raw data."));

  // A later header of the same name can turn zero-filled code bytes into
  // udata; the object as read is what counts, so that whatever reads also
  // reads back once written.
  std::vector<uint8_t> renamed = ObjectBuilder("t.o").code(".x").udata(".y", 0).image();
  patch32(renamed, 36 + 16, 0x10001);
  renamed[76 + 1] = 'x';
  messages.clear();
  EXPECT_FALSE(readImage(renamed));
  EXPECT_EQ(messages.text(), errorLine("' could not read raw data."));
}

TEST(CoffRead, SectionsSharingOneBlockCannotMultiplyIt) {
  // Both headers point at the same 400 bytes: together more than the file.
  ObjectBuilder builder("t.o");
  builder.code(".a").bytes(std::vector<uint8_t>(400, 1)).code(".b");
  std::vector<uint8_t> image = builder.image();
  std::copy(image.begin() + 36 + 16, image.begin() + 36 + 24, image.begin() + 76 + 16);
  MessageCapture messages;
  EXPECT_FALSE(readImage(image));
  EXPECT_EQ(messages.text(), errorLine("' could not read raw data."));
}

TEST(CoffRead, ObjectWithoutSymbolsReadsBack) {
  const ObjectBuilder builder =
      ObjectBuilder("t.o").code("a_long_code_name").bytes({1, 2}).line(0, 1, 0).udata(".b", 3);
  const auto built = builder.coff();
  EXPECT_EQ(built->cFileHdr.f_symptr, 0u);
  MessageCapture messages;
  auto read = readImage(builder.image());
  ASSERT_TRUE(read);
  EXPECT_EQ(messages.text(), "");
  expectSameObject(*built, *read);
  EXPECT_EQ(read->cStrTbl.at(4), "a_long_code_name");

  // Nothing at all: headers and the empty string table.
  auto empty = readImage(ObjectBuilder("t.o").image());
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->cSymTbl.empty());
  EXPECT_TRUE(empty->cStrTbl.empty());
}

TEST(CoffRead, ObjectWithoutSymbolsAndWithoutStringTable) {
  std::vector<uint8_t> image = ObjectBuilder("t.o").code(".c").bytes({1, 2}).image();
  image.resize(image.size() - 4);
  MessageCapture messages;
  auto read = readImage(image);
  ASSERT_TRUE(read);
  EXPECT_EQ(messages.text(), "");
  EXPECT_TRUE(read->cStrTbl.empty());
  EXPECT_EQ(read->cRawData.at(".c").size(), 2u);
}

TEST(CoffRead, StringTableLengthWords) {
  std::vector<uint8_t> image = ObjectBuilder("t.o").global("x", 0, N_ABS).image();
  const size_t lengthWord = image.size() - 4;
  EXPECT_EQ(readLe32(&image[lengthWord]), 4u);
  {
    MessageCapture messages;
    auto read = readImage(image);
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->cStrTbl.empty());
    EXPECT_EQ(messages.text(), "");
  }
  for (uint32_t bad : {0u, 3u, 5u, 0xFFFFFFFFu}) {
    patch32(image, lengthWord, bad);
    MessageCapture messages;
    EXPECT_FALSE(readImage(image)) << bad;
    EXPECT_EQ(messages.text(), errorLine("' could not read string table.")) << bad;
  }
}

// The strings of an object with one symbol, replaced by `text`.
StringTable stringsReadFrom(const std::string& text) {
  std::vector<uint8_t> image = ObjectBuilder("t.o").global("x", 0, N_ABS).image();
  image.resize(image.size() - 4);
  uint8_t length[4];
  writeLe32(length, static_cast<uint32_t>(4 + text.size()));
  image.insert(image.end(), length, length + 4);
  image.insert(image.end(), text.begin(), text.end());
  auto read = readImage(image);
  EXPECT_TRUE(read);
  return read ? read->cStrTbl : StringTable{};
}

TEST(CoffRead, EmptyStringEndsTheStringTable) {
  const std::string text = std::string("first") + '\0' + '\0' + "later" + '\0';
  EXPECT_EQ(stringsReadFrom(text), (StringTable{{4, "first"}}));
  const std::string two = std::string("ab") + '\0' + "cde" + '\0';
  EXPECT_EQ(stringsReadFrom(two), (StringTable{{4, "ab"}, {7, "cde"}}));
}

TEST(CoffRead, StringWithoutItsNulIsNotPartOfTheTable) {
  EXPECT_EQ(stringsReadFrom(std::string("one") + '\0' + "two"), (StringTable{{4, "one"}}));
}

TEST(CoffRead, AuxCountWithoutAKindReadsTheNextEntryAsPrimary) {
  ObjectBuilder builder("t.o");
  builder.symbol("plain", 0, N_ABS, C_EXT).auxSlot(SymbolEntry{}).global("next", 1, N_ABS);
  auto read = readImage(builder.image());
  ASSERT_TRUE(read);
  EXPECT_EQ(read->cAuxType, (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(read->cSymTbl[0].n_numaux, 1);
}

TEST(CoffRead, LastEntryWithAuxCountIsPrimaryOnly) {
  std::vector<uint8_t> image =
      ObjectBuilder("t.o").symbol("f", 0, N_ABS, C_EXT, DT_FCN << 4).image();
  image[36 + 17] = 1;  // n_numaux, with no entry behind it
  auto read = readImage(image);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->cAuxType, (std::vector<int>{0}));
}

TEST(CoffRead, InlineNamesOfEightAndNineCharacters) {
  const ObjectBuilder builder = ObjectBuilder("t.o").code("eight_ch").code("nine_char");
  const auto built = builder.coff();
  EXPECT_FALSE(Coff::nameInStringTable(built->cScnHdr.at("eight_ch")));
  EXPECT_TRUE(Coff::nameInStringTable(built->cScnHdr.at("nine_char")));
  auto read = readImage(builder.image());
  ASSERT_TRUE(read);
  EXPECT_EQ(read->cScnNum, (std::map<int, std::string>{{1, "eight_ch"}, {2, "nine_char"}}));
}

TEST(CoffRead, DuplicateSectionNamesShareOneEntry) {
  // Two headers named ".text": the later header and bytes win, relocations
  // of both are kept, both numbers stay.
  ObjectBuilder builder("t.o");
  builder.code(".text")
      .bytes({1, 2})
      .reloc(0, 0, 0, 1)
      .code(".other")
      .bytes({3, 4, 5})
      .reloc(1, 0, 0, 2)
      .global("s", 0, 1);
  std::vector<uint8_t> image = builder.image();
  image[36 + 40 + 1] = 't', image[36 + 40 + 2] = 'e', image[36 + 40 + 3] = 'x';
  image[36 + 40 + 4] = 't', image[36 + 40 + 5] = 0;
  MessageCapture messages;
  auto read = readImage(image);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->cScnNum, (std::map<int, std::string>{{1, ".text"}, {2, ".text"}}));
  EXPECT_EQ(read->cScnHdr.size(), 1u);
  EXPECT_EQ(read->cScnHdr.at(".text").s_size, 3u);
  EXPECT_EQ(read->cRawData.at(".text").size(), 3u);
  EXPECT_EQ(read->cScnReloc.at(".text").size(), 2u);
  EXPECT_EQ(read->verify(), 0);
  EXPECT_EQ(messages.text(), "Error - Coff file 't.o', cScnHdr.size() != cScnNum.size() . \n");

  // Written again, the image describes itself: one section, readable.
  read->layout();
  EXPECT_EQ(read->size(), cofftest::writtenImage(*read).size());
  auto again = readImage(cofftest::writtenImage(*read));
  ASSERT_TRUE(again);
  EXPECT_EQ(again->cScnNum.size(), 1u);
  EXPECT_EQ(again->cScnReloc.at(".text").size(), 2u);
}

// Headers of one name append their entries to one list, and a written
// header counts at most 65535 of them: a longer list could not be written
// as it was read, so the object is refused.
TEST(CoffRead, DuplicateSectionsBeyondOneHeadersCount) {
  for (const bool lines : {false, true}) {
    ObjectBuilder builder("t.o");
    for (const char* name : {".a", ".b"}) {
      builder.code(name).bytes({0, 0});
      for (int k = 0; k < 0x8000; ++k) lines ? builder.line(0, 1, 0) : builder.reloc(0, 0, 0, 1);
    }
    std::vector<uint8_t> image = builder.image();
    {
      MessageCapture messages;
      EXPECT_TRUE(readImage(image)) << lines;  // two lists of 0x8000 entries
    }
    image[76 + 1] = 'a';
    MessageCapture messages;
    EXPECT_FALSE(readImage(image)) << lines;
    EXPECT_EQ(messages.text(), errorLine(lines ? "' could not read line numbers."
                                               : "' could not read relocation info."));
  }
}

TEST(CoffReadDeathTest, MissingSectionNameEndsTheProgram) {
  std::vector<uint8_t> image = ObjectBuilder("t.o").code("long_section").image();
  patch32(image, 36 + 4, 99);
  EXPECT_EXIT(readImage(image), testing::ExitedWithCode(255),
              "Error - Unable to find section name in string table.");
}

// Random damage: every outcome is an object or a message. A missing section
// name is fatal by design, so the sections have inline names and the counts
// that move the section headers stay intact.
TEST(CoffRead, RandomDamageNeverCrashes) {
  const std::vector<uint8_t> image = richObject(".code", ".udata").image();
  std::mt19937 random(12345);
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> broken = image;
    const int changes = 1 + static_cast<int>(random() % 4);
    for (int c = 0; c < changes; ++c) {
      const size_t at = random() % broken.size();
      const bool inSectionName = at >= 36 && at < 36 + 3 * 40 && (at - 36) % 40 < 8;
      const bool movesHeaders = at == 2 || at == 3 || at == 16 || at == 17;
      if (!inSectionName && !movesHeaders) broken[at] = static_cast<uint8_t>(random());
    }
    MessageCapture messages;
    auto read = readImage(broken);
    if (!read) {
      EXPECT_NE(messages.text(), "") << round;
      continue;
    }
    read->verify();
    read->layout();
    EXPECT_EQ(read->size(), cofftest::writtenImage(*read).size()) << round;
  }
}

}  // namespace
