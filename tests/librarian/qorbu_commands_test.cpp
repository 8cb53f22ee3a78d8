// The librarian's five commands, run as a process on builder-made objects:
// the output, the exit code and the files left behind.
#include <filesystem>

#include "qorbu_fixture.h"

namespace qorbutest {
namespace {

std::string leftAligned(const std::string& text, size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string listLine(const std::string& name, size_t size, const std::string& date) {
  return "Member: " + leftAligned("'" + name + "'", 25) +
         "  Size: " + leftAligned(std::to_string(size), 6) + " Date: " + date + " \n";
}

std::string extracting(const std::string& name) { return "Extracting member '" + name + "'.\n"; }

// A library holding alpha.o and beta.o, made by the librarian itself.
class Commands : public QorbuRun {
 protected:
  void SetUp() override {
    QorbuRun::SetUp();
    cAlpha = put(alphaObject(), "alpha.o");
    cBeta = put(betaObject(), "beta.o");
  }

  void makeLibrary() {
    ProcessResult result = qorbu({"/c", "two.lib", "alpha.o", "beta.o"});
    ASSERT_EQ(result.exitCode, 0) << result.output;
  }

  std::string alphaMember() const { return libraryMember("alpha.o", 1234567890, cAlpha); }
  std::string betaMember() const { return libraryMember("beta.o", 1000000000, cBeta); }

  std::vector<uint8_t> cAlpha;
  std::vector<uint8_t> cBeta;
};

// ---- create

TEST_F(Commands, CreateWritesMagicThenHeaderAndImageOfEachMemberInOrder) {
  ProcessResult result = qorbu({"/c", "two.lib", "alpha.o", "beta.o"});
  EXPECT_EQ(result.output, banner() + summary(0));
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(contents("two.lib"), libraryMagic() + alphaMember() + betaMember());
}

TEST_F(Commands, CreateWithoutMembersWritesTheMagicAlone) {
  ProcessResult result = qorbu({"/c", "empty.lib"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(contents("empty.lib"), libraryMagic());
}

TEST_F(Commands, CreateReplacesAnExistingLibraryWithoutReadingIt) {
  qortest::writeFile(file("two.lib"), "not a library at all");
  ProcessResult result = qorbu({"/c", "two.lib", "beta.o"});
  EXPECT_EQ(result.output, banner() + summary(0));
  EXPECT_EQ(contents("two.lib"), libraryMagic() + betaMember());
}

TEST_F(Commands, CreateKeepsTheMemberNameAsTyped) {
  std::filesystem::create_directory(file("sub"));
  std::vector<uint8_t> image = put(alphaObject(), "sub\\alpha.o");  // one file name on this host
  ProcessResult result = qorbu({"/c", "x.lib", "sub\\alpha.o"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(contents("x.lib"), libraryMagic() + libraryMember("sub\\alpha.o", 1234567890, image));
}

TEST_F(Commands, CreateInQuietModePrintsNothing) {
  ProcessResult result = qorbu({"/c", "two.lib", "alpha.o", "beta.o", "/q"});
  // The quiet switch among the members is refused as a member name.
  EXPECT_EQ(result.output, "");
  EXPECT_EQ(result.exitCode, 1);
  result = qorbu({"/q", "/c", "two.lib", "alpha.o", "beta.o"});
  EXPECT_EQ(result.output, "");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(contents("two.lib"), libraryMagic() + alphaMember() + betaMember());
}

TEST_F(Commands, CreateWithAMissingObjectWritesNothing) {
  makeLibrary();
  std::string before = contents("two.lib");
  ProcessResult result = qorbu({"/c", "two.lib", "alpha.o", "gone.o"});
  EXPECT_EQ(result.output,
            banner() + error("Could not open Coff file 'gone.o' for reading.") + summary(1));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(contents("two.lib"), before);
}

TEST_F(Commands, CreateWithAnUnreadableObjectWritesNothing) {
  qortest::writeFile(file("junk.o"), std::string(40, 'j'));
  ProcessResult result = qorbu({"/c", "x.lib", "junk.o"});
  EXPECT_EQ(
      result.output,
      banner() + error("Coff file 'junk.o' does not appear to be a valid COFF file.") + summary(1));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_FALSE(exists("x.lib"));
}

TEST_F(Commands, CreateWithTwoDefinitionsOfOneExternalWritesNothing) {
  put(alphaTwinObject(), "twin.o");
  ProcessResult result = qorbu({"/c", "x.lib", "alpha.o", "beta.o", "twin.o"});
  EXPECT_EQ(
      result.output,
      banner() + error("Symbol 'alpha_entry' has multiple external definitions.") + summary(1));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_FALSE(exists("x.lib"));
}

// ---- list

TEST_F(Commands, ListShowsNameSizeAndDateOfEachMember) {
  makeLibrary();
  ProcessResult result = qorbu({"/t", "two.lib", "ignored.o", "also_ignored.o"});
  EXPECT_EQ(result.output,
            banner() + listLine("alpha.o", cAlpha.size(), "Fri Feb 13 23:31:30 2009") +
                listLine("beta.o", cBeta.size(), "Sun Sep  9 01:46:40 2001") + summary(0));
  EXPECT_EQ(result.exitCode, 0);
}

TEST_F(Commands, ListKeepsNamesLongerThanTheirColumnWhole) {
  std::string longName = "a_member_name_longer_than_the_column.o";
  std::vector<uint8_t> image = put(alphaObject(), longName);
  ASSERT_EQ(qorbu({"/c", "long.lib", longName}).exitCode, 0);
  ProcessResult result = qorbu({"/q", "/t", "long.lib"});
  EXPECT_EQ(result.output, "");
  result = qorbu({"/t", "long.lib"});
  EXPECT_EQ(result.output, banner() + "Member: '" + longName +
                               "'  Size: " + leftAligned(std::to_string(image.size()), 6) +
                               " Date: Fri Feb 13 23:31:30 2009 \n" + summary(0));
}

TEST_F(Commands, ListOfAnEmptyLibraryListsNothing) {
  qortest::writeFile(file("empty.lib"), libraryMagic());
  ProcessResult result = qorbu({"/t", "empty.lib"});
  EXPECT_EQ(result.output, banner() + summary(0));
  EXPECT_EQ(result.exitCode, 0);
}

TEST_F(Commands, ListOfAMissingOrForeignFileFails) {
  ProcessResult result = qorbu({"/t", "none.lib"});
  EXPECT_EQ(result.output,
            banner() + error("Could not open library file 'none.lib' for reading.") + summary(1));
  EXPECT_EQ(result.exitCode, 1);
  qortest::writeFile(file("text.lib"), "plain text, not a library\n");
  result = qorbu({"/t", "text.lib"});
  EXPECT_EQ(result.output,
            banner() + error("File 'text.lib' is not a valid library file.") + summary(1));
  EXPECT_EQ(result.exitCode, 1);
}

// ---- delete

TEST_F(Commands, DeleteRemovesTheNamedMember) {
  makeLibrary();
  ProcessResult result = qorbu({"/d", "two.lib", "alpha.o"});
  EXPECT_EQ(result.output, banner() + summary(0));
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(contents("two.lib"), libraryMagic() + betaMember());
}

TEST_F(Commands, DeleteOfEveryMemberLeavesAnEmptyLibrary) {
  makeLibrary();
  ASSERT_EQ(qorbu({"/d", "two.lib", "beta.o", "alpha.o"}).exitCode, 0);
  EXPECT_EQ(contents("two.lib"), libraryMagic());
}

TEST_F(Commands, DeleteWithoutNamesRewritesTheSameLibrary) {
  makeLibrary();
  std::string before = contents("two.lib");
  ASSERT_EQ(qorbu({"/d", "two.lib"}).exitCode, 0);
  EXPECT_EQ(contents("two.lib"), before);
}

TEST_F(Commands, DeleteOfANonMemberChangesNothing) {
  makeLibrary();
  std::string before = contents("two.lib");
  ProcessResult result = qorbu({"/d", "two.lib", "alpha.o", "nobody.o", "Beta.o"});
  EXPECT_EQ(result.output, banner() + error("'nobody.o' is not a member of library 'two.lib'.") +
                               error("'Beta.o' is not a member of library 'two.lib'.") +
                               summary(2));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(contents("two.lib"), before);
}

TEST_F(Commands, DeleteFromAMissingLibraryFails) {
  ProcessResult result = qorbu({"/d", "none.lib", "alpha.o"});
  EXPECT_EQ(result.output,
            banner() + error("Could not open library file 'none.lib' for reading.") + summary(1));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_FALSE(exists("none.lib"));
}

// ---- replace

TEST_F(Commands, ReplaceOfAMemberPutsTheNewObjectInItsPlace) {
  makeLibrary();
  std::vector<uint8_t> newAlpha =
      put(alphaObject().timeStamp(1300000000).bytes({0x09, 0x08}), "alpha.o");
  ProcessResult result = qorbu({"/r", "two.lib", "alpha.o"});
  EXPECT_EQ(result.output, banner() + summary(0));
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(contents("two.lib"),
            libraryMagic() + libraryMember("alpha.o", 1300000000, newAlpha) + betaMember());
}

TEST_F(Commands, ReplaceOfANewNameAppendsIt) {
  ASSERT_EQ(qorbu({"/c", "one.lib", "beta.o"}).exitCode, 0);
  ProcessResult result = qorbu({"/r", "one.lib", "alpha.o"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(contents("one.lib"), libraryMagic() + betaMember() + alphaMember());
}

TEST_F(Commands, ReplaceNeedsAnExistingLibrary) {
  ProcessResult result = qorbu({"/r", "none.lib", "alpha.o"});
  EXPECT_EQ(result.output,
            banner() + error("Could not open library file 'none.lib' for reading.") + summary(1));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_FALSE(exists("none.lib"));
}

TEST_F(Commands, ReplaceWithAMissingObjectChangesNothing) {
  makeLibrary();
  std::string before = contents("two.lib");
  ProcessResult result = qorbu({"/r", "two.lib", "beta.o", "gone.o"});
  EXPECT_EQ(result.output,
            banner() + error("Could not open Coff file 'gone.o' for reading.") + summary(1));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(contents("two.lib"), before);
}

TEST_F(Commands, ReplaceThatWouldDefineASymbolTwiceChangesNothing) {
  makeLibrary();
  std::string before = contents("two.lib");
  put(alphaTwinObject(), "twin.o");
  ProcessResult result = qorbu({"/r", "two.lib", "twin.o"});
  EXPECT_EQ(
      result.output,
      banner() + error("Symbol 'alpha_entry' has multiple external definitions.") + summary(1));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(contents("two.lib"), before);
}

// ---- extract

TEST_F(Commands, ExtractWithoutNamesWritesEveryMemberAndAnnouncesIt) {
  makeLibrary();
  std::filesystem::create_directory(file("out"));
  std::filesystem::copy_file(file("two.lib"), file("out/two.lib"));
  ProcessResult result = qorbuIn(file("out"), {"/x", "two.lib"});
  EXPECT_EQ(result.output, banner() + extracting("alpha.o") + extracting("beta.o") + summary(0));
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(qortest::readFile(file("out/alpha.o")), bytesText(cAlpha));
  EXPECT_EQ(qortest::readFile(file("out/beta.o")), bytesText(cBeta));
}

TEST_F(Commands, ExtractByNameWritesOnlyThoseMembers) {
  makeLibrary();
  std::filesystem::remove(file("alpha.o"));
  std::filesystem::remove(file("beta.o"));
  ProcessResult result = qorbu({"/x", "two.lib", "beta.o"});
  EXPECT_EQ(result.output, banner() + extracting("beta.o") + summary(0));
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(contents("beta.o"), bytesText(cBeta));
  EXPECT_FALSE(exists("alpha.o"));
}

TEST_F(Commands, ExtractOverwritesAnExistingFile) {
  makeLibrary();
  qortest::writeFile(file("alpha.o"), "stale");
  ASSERT_EQ(qorbu({"/x", "two.lib", "alpha.o"}).exitCode, 0);
  EXPECT_EQ(contents("alpha.o"), bytesText(cAlpha));
}

TEST_F(Commands, ExtractInQuietModeAnnouncesNothing) {
  makeLibrary();
  std::filesystem::remove(file("alpha.o"));
  ProcessResult result = qorbu({"-Q", "/x", "two.lib"});
  EXPECT_EQ(result.output, "");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(contents("alpha.o"), bytesText(cAlpha));
}

TEST_F(Commands, ExtractOfANonMemberExtractsNothing) {
  makeLibrary();
  std::filesystem::remove(file("alpha.o"));
  ProcessResult result = qorbu({"/x", "two.lib", "alpha.o", "nobody.o"});
  EXPECT_EQ(result.output,
            banner() + error("'nobody.o' is not a member of library 'two.lib'.") + summary(1));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_FALSE(exists("alpha.o"));
  EXPECT_FALSE(exists("nobody.o"));
}

TEST_F(Commands, ExtractFromAMissingLibraryFails) {
  ProcessResult result = qorbu({"/x", "none.lib"});
  EXPECT_EQ(result.output,
            banner() + error("Could not open library file 'none.lib' for reading.") + summary(1));
  EXPECT_EQ(result.exitCode, 1);
}

TEST_F(Commands, ExtractLaysOutAMemberWhoseBlocksCameInAnotherOrder) {
  // One code section, no relocations or lines: the raw data normally sits
  // right after the section header. Here it is moved behind the string table.
  ObjectBuilder object = ObjectBuilder("moved.o")
                             .timeStamp(1234567890)
                             .code(".text")
                             .bytes({0x11, 0x22, 0x33, 0x44, 0x55})
                             .symbol("moved_local_label", 0, 1, C_STAT);
  std::vector<uint8_t> normal = object.image();
  const size_t rawStart = FileHeader::SIZE + OptionalHeader::SIZE + SectionHeader::SIZE;
  const size_t rawLength = 5;
  std::vector<uint8_t> moved(normal.begin(), normal.begin() + rawStart);
  moved.insert(moved.end(), normal.begin() + rawStart + rawLength, normal.end());
  moved.insert(moved.end(), normal.begin() + rawStart, normal.begin() + rawStart + rawLength);
  const size_t symbolPointerAt = 8;
  const size_t rawPointerAt = FileHeader::SIZE + OptionalHeader::SIZE + 20;
  writeLe32(&moved[symbolPointerAt], readLe32(&normal[symbolPointerAt]) - rawLength);
  writeLe32(&moved[rawPointerAt], static_cast<uint32_t>(normal.size() - rawLength));
  qortest::writeFile(file("moved.lib"),
                     libraryMagic() + libraryMember("moved.o", 1234567890, moved));

  ProcessResult result = qorbu({"/x", "moved.lib"});
  EXPECT_EQ(result.output, banner() + extracting("moved.o") + summary(0));
  EXPECT_EQ(contents("moved.o"), bytesText(normal));
}

// ---- members that share a name, and failed extraction writes

// A library from elsewhere that holds two members named alpha.o; the
// commands that look a name up take the first of them.
class SharedNames : public Commands {
 protected:
  void SetUp() override {
    Commands::SetUp();
    cSecond = ObjectBuilder("alpha.o")
                  .timeStamp(1400000000)
                  .code(".text")
                  .bytes({0x77, 0x66})
                  .symbol("second_local_label", 0, 1, C_STAT)
                  .image();
    qortest::writeFile(file("shared.lib"),
                       libraryMagic() + alphaMember() + betaMember() + secondMember());
  }

  std::string secondMember() const { return libraryMember("alpha.o", 1400000000, cSecond); }

  std::vector<uint8_t> cSecond;
};

TEST_F(SharedNames, DeleteRemovesOnlyTheFirstMemberOfTheName) {
  ProcessResult result = qorbu({"/d", "shared.lib", "alpha.o"});
  EXPECT_EQ(result.output, banner() + summary(0));
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(contents("shared.lib"), libraryMagic() + betaMember() + secondMember());
}

TEST_F(SharedNames, ReplaceTakesThePlaceOfTheFirstMemberOfTheName) {
  std::vector<uint8_t> newAlpha =
      put(alphaObject().timeStamp(1300000000).bytes({0x09, 0x08}), "alpha.o");
  ASSERT_EQ(qorbu({"/r", "shared.lib", "alpha.o"}).exitCode, 0);
  EXPECT_EQ(contents("shared.lib"), libraryMagic() +
                                        libraryMember("alpha.o", 1300000000, newAlpha) +
                                        betaMember() + secondMember());
}

TEST_F(SharedNames, ExtractByNameWritesTheFirstMemberOfTheName) {
  std::filesystem::remove(file("alpha.o"));
  ProcessResult result = qorbu({"/x", "shared.lib", "alpha.o"});
  EXPECT_EQ(result.output, banner() + extracting("alpha.o") + summary(0));
  EXPECT_EQ(contents("alpha.o"), bytesText(cAlpha));
}

// A name given twice takes the first member of the name, then the first of
// those left (or the member the first replacement appended).
TEST_F(SharedNames, ANameGivenTwiceTakesTheMembersOfTheNameInTurn) {
  ProcessResult result = qorbu({"/d", "shared.lib", "alpha.o", "alpha.o"});
  EXPECT_EQ(result.output, banner() + summary(0));
  EXPECT_EQ(contents("shared.lib"), libraryMagic() + betaMember());

  const std::string before = contents("shared.lib");
  result = qorbu({"/d", "shared.lib", "beta.o", "beta.o"});
  EXPECT_EQ(result.output,
            banner() + error("'beta.o' is not a member of library 'shared.lib'.") + summary(1));
  EXPECT_EQ(contents("shared.lib"), before);

  ASSERT_EQ(qorbu({"/r", "shared.lib", "alpha.o", "beta.o", "alpha.o"}).exitCode, 0);
  EXPECT_EQ(contents("shared.lib"), libraryMagic() + betaMember() + alphaMember());
}

TEST_F(Commands, ExtractStopsAtTheFirstMemberThatCannotBeWritten) {
  // The member's directory does not exist here, so its file cannot be made.
  qortest::writeFile(
      file("nested.lib"),
      libraryMagic() + libraryMember("absent_dir/alpha.o", 1234567890, cAlpha) + betaMember());
  std::filesystem::remove(file("beta.o"));
  ProcessResult result = qorbu({"/x", "nested.lib"});
  EXPECT_EQ(result.output, banner() + extracting("absent_dir/alpha.o") +
                               error("Could not open Coff file 'absent_dir/alpha.o' for writing.") +
                               summary(1));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_FALSE(exists("beta.o"));
  result = qorbu({"/x", "nested.lib", "absent_dir/alpha.o", "beta.o"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_FALSE(exists("beta.o"));
}

// ---- round trip

TEST_F(Commands, ObjectsComeOutOfALibraryExactlyAsTheyWentIn) {
  std::vector<uint8_t> rich = put(ObjectBuilder("rich.o")
                                      .timeStamp(1700000000)
                                      .processor(0x1234, 14, 8)
                                      .code("rich_code_section")
                                      .at(0x100)
                                      .bytes({0x00, 0x30, 0x8a, 0x00, 0x20, 0x28})
                                      .reloc(0, 2, 0, 1)
                                      .reloc(4, 4, 2, 4)
                                      .line(0, 10, 0x100, 2)
                                      .line(0, 11, 0x101)
                                      .idata(".idata")
                                      .bytes({0x55})
                                      .udata("rich_udata_section", 16)
                                      .romdata(".romdata")
                                      .bytes({0x01, 0x02, 0x03})
                                      .fileSymbol("rich_source.asm")
                                      .symbol("rich_function", 0, 1, C_EXT, DT_FCN << 4)
                                      .aux(AuxFcn{})
                                      .externRef("somewhere_else")
                                      .symbol("rich_local", 2, 2, C_STAT),
                                  "rich.o");
  ASSERT_EQ(qorbu({"/c", "round.lib", "alpha.o", "rich.o", "beta.o"}).exitCode, 0);
  for (const char* name : {"alpha.o", "rich.o", "beta.o"}) std::filesystem::remove(file(name));
  ASSERT_EQ(qorbu({"/x", "round.lib"}).exitCode, 0);
  EXPECT_EQ(contents("alpha.o"), bytesText(cAlpha));
  EXPECT_EQ(contents("rich.o"), bytesText(rich));
  EXPECT_EQ(contents("beta.o"), bytesText(cBeta));
}

}  // namespace
}  // namespace qorbutest
