// Roads on which the librarian must refuse and change nothing: a library
// whose damaged member would hide the members behind it, member names
// longer than a header can hold, a member that would be extracted over
// its own library, and a library that would be written over a member.
#include <filesystem>
#include <map>

#include "qorbu_fixture.h"

namespace qorbutest {
namespace {

namespace fs = std::filesystem;

// Every file under the directory with its contents, by relative path.
std::map<std::string, std::string> snapshot(const std::string& directory) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(directory)) {
    if (!entry.is_regular_file()) continue;
    files[fs::relative(entry.path(), directory).string()] = qortest::readFile(entry.path());
  }
  return files;
}

ObjectBuilder member(const std::string& name, int k) {
  return ObjectBuilder(name)
      .timeStamp(1000 + k)
      .code(".code")
      .bytes({0x01, 0x02, static_cast<uint8_t>(k), 0x04})
      .global("entry_of_member_" + std::to_string(k), 0, 1);
}

// A name of `length` characters through two folders, which exist, so that
// its file can be opened.
std::string nameOfLength(const std::string& root, size_t length) {
  const std::string folders = std::string(120, 'a') + "/" + std::string(120, 'b') + "/";
  fs::create_directories(root + "/" + folders);
  return folders + std::string(length - folders.size() - 2, 'm') + ".o";
}

// In the arguments and the message, "<long>" stands for a name of 256
// characters.
struct Road {
  std::string name;
  std::vector<std::string> arguments;
  std::string message;
};

std::ostream& operator<<(std::ostream& out, const Road& road) { return out << road.name; }

const char* const kMissing = "Library file 'six.lib' has a missing member object file.";
const char* const kMissingInto = "Library file 'into.lib' has a missing member object file.";
const char* const kMissingCut = "Library file 'cut.lib' has a missing member object file.";
const char* const kTwoSections = "Coff file 'dup.o' has more than one section named '.c'.";
const char* const kTooLong =
    "Member name '<long>' is longer than the 255 characters a library can hold.";

const std::vector<Road>& roads() {
  static const std::vector<Road> table = {
      // six.lib: good1.o, bad.o (its code measured 4 KiB longer than the
      // image holds), good2.o to good5.o.
      {"ListDamaged", {"/t", "six.lib"}, kMissing},
      {"DeleteFromDamaged", {"/d", "six.lib", "good1.o"}, kMissing},
      {"DeleteNothingFromDamaged", {"/d", "six.lib"}, kMissing},
      {"ReplaceInDamaged", {"/r", "six.lib", "good1.o"}, kMissing},
      {"ExtractAllFromDamaged", {"/x", "six.lib"}, kMissing},
      {"ExtractOneFromDamaged", {"/x", "six.lib", "good1.o"}, kMissing},
      // into.lib: aa.o, measured 1 byte into the image of bb.o, and bb.o;
      // the 279 bytes behind aa.o's measure are no member.
      {"ListMeasuredIntoTheNext", {"/t", "into.lib"}, kMissingInto},
      {"DeleteMeasuredIntoTheNext", {"/d", "into.lib", "aa.o"}, kMissingInto},
      {"ReplaceInMeasuredIntoTheNext", {"/r", "into.lib", "good1.o"}, kMissingInto},
      // cut.lib: good1.o and good2.o, cut inside good2.o's header.
      {"ExtractAllCutInsideAHeader", {"/x", "cut.lib"}, kMissingCut},
      // dup.o: two sections named ".c".
      {"CreateWithTwoSectionsOfOneName", {"/c", "new.lib", "dup.o"}, kTwoSections},
      {"CreateNewWithLongName", {"/c", "new.lib", "good1.o", "<long>"}, kTooLong},
      {"CreateOverExistingWithLongName", {"/c", "keep.lib", "<long>"}, kTooLong},
      {"ReplaceWithLongName", {"/r", "keep.lib", "good1.o", "<long>"}, kTooLong},
      // self.lib holds one member, stored under the name self.lib.
      {"ExtractOverTheLibrary",
       {"/x", "self.lib"},
       "the output file 'self.lib' is the same file as the input 'self.lib'."},
      {"ExtractOverTheLibraryByAnotherPath",
       {"/x", "./self.lib"},
       "the output file 'self.lib' is the same file as the input './self.lib'."},
      // link.lib is a link to good1.o, lib.o one to keep.lib.
      {"CreateOverAMember",
       {"/c", "link.lib", "good1.o"},
       "the output file 'link.lib' is the same file as the input 'good1.o'."},
      {"ReplaceWithTheLibraryItself",
       {"/r", "keep.lib", "good1.o", "lib.o"},
       "the output file 'keep.lib' is the same file as the input 'lib.o'."},
  };
  return table;
}

class Refusals : public QorbuRun, public ::testing::WithParamInterface<Road> {
 protected:
  void SetUp() override {
    QorbuRun::SetUp();
    std::string six = libraryMagic();
    for (int k = 1; k <= 5; ++k) {
      const std::string name = "good" + std::to_string(k) + ".o";
      six += libraryMember(name, 1000 + k, member(name, k).image());
      if (k != 1) continue;
      std::vector<uint8_t> bad = member("bad.o", 0).image();
      qortest::claimZeroFilledBytes(bad, 0, 4096);
      six += libraryMember("bad.o", 1000, bad);
    }
    qortest::writeFile(file("six.lib"), six);
    const std::vector<uint8_t> bb = member("bb.o", 2).image();
    std::vector<uint8_t> aa = member("aa.o", 1).image();
    // Its 4 code bytes stay, unread, in the image.
    qortest::claimZeroFilledBytes(aa, 0, static_cast<uint32_t>(bb.size() + 4 + 1));
    qortest::writeFile(file("into.lib"), libraryMagic() + libraryMember("aa.o", 1001, aa) +
                                             libraryMember("bb.o", 1002, bb));
    const std::string two = libraryMagic() +
                            libraryMember("good1.o", 1001, member("good1.o", 1).image()) +
                            libraryMember("good2.o", 1002, member("good2.o", 2).image());
    qortest::writeFile(file("cut.lib"),
                       two.substr(0, two.size() - member("good2.o", 2).image().size() - 100));
    std::vector<uint8_t> dup = ObjectBuilder("dup.o").code(".c").bytes({1}).code(".d").image();
    dup[FileHeader::SIZE + OptionalHeader::SIZE + SectionHeader::SIZE + 1] = 'c';
    qortest::writeFileBytes(file("dup.o"), dup);
    qortest::writeFile(
        file("self.lib"),
        libraryMagic() + libraryMember("self.lib", 1007, member("self.lib", 7).image()));
    put(member("good1.o", 1), "good1.o");
    cLong = nameOfLength(cDir.path(), 256);
    put(member(cLong, 9), cLong);
    ASSERT_EQ(qorbu({"/c", "keep.lib", "good1.o"}).exitCode, 0);
    fs::create_symlink("good1.o", file("link.lib"));
    fs::create_symlink("keep.lib", file("lib.o"));
  }

  std::string cLong;
};

TEST_P(Refusals, ReportAndChangeNothing) {
  const Road& road = GetParam();
  std::vector<std::string> arguments = road.arguments;
  for (std::string& argument : arguments)
    if (argument == "<long>") argument = cLong;
  std::string message = road.message;
  if (const size_t at = message.find("<long>"); at != std::string::npos)
    message.replace(at, 6, cLong);
  const auto before = snapshot(cDir.path());
  const ProcessResult result = qorbu(arguments);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output, banner() + error(message) + summary(1));
  EXPECT_EQ(snapshot(cDir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Roads, Refusals, ::testing::ValuesIn(roads()),
                         [](const ::testing::TestParamInfo<Road>& info) {
                           return info.param.name;
                         });

// A name of exactly 255 characters fits a header: it is stored whole and
// found again as typed.
TEST_F(QorbuRun, NameOfTheLongestLengthComesBackAsTyped) {
  const std::string name = nameOfLength(cDir.path(), 255);
  const std::vector<uint8_t> image = put(member(name, 1), name);
  ASSERT_EQ(qorbu({"/c", "x.lib", name}).exitCode, 0);
  EXPECT_EQ(contents("x.lib"), libraryMagic() + libraryMember(name, 1001, image));
  put(member("other.o", 2), "other.o");
  ASSERT_EQ(qorbu({"/r", "x.lib", "other.o", name}).exitCode, 0);
  const ProcessResult result = qorbu({"/d", "x.lib", name});
  EXPECT_EQ(result.exitCode, 0) << result.output;
  EXPECT_EQ(contents("x.lib"),
            libraryMagic() + libraryMember("other.o", 1002, member("other.o", 2).image()));
}

}  // namespace
}  // namespace qorbutest
