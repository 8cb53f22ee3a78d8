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

// Sections are known by name: a second header of a name is refused, not
// merged into the first (which lost a section), whether the names are
// inline or in the string table, and whatever counts the two hold.
TEST(CoffRead, TwoSectionsOfOneNameAreRefused) {
  struct Row {
    const char* name;
    std::vector<uint8_t> image;
    const char* section;
  };
  std::vector<uint8_t> inlineTwice = ObjectBuilder("t.o").code(".c").bytes({1}).code(".d").image();
  inlineTwice[76 + 1] = 'c';
  // ".c" inline and ".c" at offset 4 of the string table.
  std::vector<uint8_t> tableAndInline =
      ObjectBuilder("t.o").string(".c").code(".c").code(".e").bytes({2}).image();
  std::fill_n(tableAndInline.begin() + 76, 8, 0);
  patch32(tableAndInline, 76 + 4, 4);
  ObjectBuilder manyEntries("t.o");
  for (const char* name : {".a", ".b"}) {
    manyEntries.code(name).bytes({0, 0});
    for (int k = 0; k < 0x8000; ++k) manyEntries.reloc(0, 0, 0, 1).line(0, 1, 0);
  }
  std::vector<uint8_t> countsTwice = manyEntries.image();
  countsTwice[76 + 1] = 'a';
  // A later udata header would have turned many zero-filled bytes into udata.
  std::vector<uint8_t> toUdata = ObjectBuilder("t.o").code(".x").udata(".y", 0).image();
  patch32(toUdata, 36 + 16, 0x10001);
  toUdata[76 + 1] = 'x';
  for (const Row& row : std::vector<Row>{{"inline", inlineTwice, ".c"},
                                         {"string table", tableAndInline, ".c"},
                                         {"entries past one count", countsTwice, ".a"},
                                         {"code then udata", toUdata, ".x"}}) {
    MessageCapture messages;
    EXPECT_FALSE(readImage(row.image)) << row.name;
    EXPECT_EQ(messages.text(),
              errorLine("' has more than one section named '" + std::string(row.section) + "'."))
        << row.name;
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
