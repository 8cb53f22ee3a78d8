// What the librarian must never do: write outside the current directory on
// extraction, or lose a user's library when writing a new one fails.
#include <filesystem>
#include <set>

#include <unistd.h>

#include "folder_snapshot.h"
#include "qorbu_fixture.h"

namespace qorbutest {
namespace {

std::set<std::string> filesIn(const std::string& directory) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// A library from elsewhere whose member names try to leave the directory
// the extraction runs in (the scratch directory's "work" subdirectory).
class UnsafeNames : public QorbuRun {
 protected:
  void SetUp() override {
    QorbuRun::SetUp();
    std::filesystem::create_directory(file("work"));
    // Members without externals, so that the library itself reads cleanly.
    cImage = ObjectBuilder("plain.o")
                 .timeStamp(1234567890)
                 .code(".text")
                 .bytes({0x01, 0x02})
                 .symbol("plain_local_label", 0, 1, C_STAT)
                 .image();
    cAbsolute = file("absolute_escape.o");
    std::string library = libraryMagic();
    for (const std::string& name : memberNames())
      library += libraryMember(name, 1234567890, cImage);
    qortest::writeFile(file("work/mixed.lib"), library);
  }

  std::vector<std::string> memberNames() const {
    return {"first.o",          "../parent_escape.o",
            cAbsolute,          "sub\\..\\..\\back_escape.o",
            "c:drive_escape.o", "last.o"};
  }

  std::string unsafe(const std::string& name) const {
    return error("'" + name + "' is not a safe member name to extract.");
  }

  std::vector<uint8_t> cImage;
  std::string cAbsolute;
};

TEST_F(UnsafeNames, ExtractAllSkipsThemReportsEachAndExtractsTheRest) {
  ProcessResult result = qorbuIn(file("work"), {"/x", "mixed.lib"});
  EXPECT_EQ(result.output, banner() + "Extracting member 'first.o'.\n" +
                               unsafe("../parent_escape.o") + unsafe(cAbsolute) +
                               unsafe("sub\\..\\..\\back_escape.o") + unsafe("c:drive_escape.o") +
                               "Extracting member 'last.o'.\n" + summary(4));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(filesIn(file("work")), (std::set<std::string>{"mixed.lib", "first.o", "last.o"}));
  EXPECT_EQ(filesIn(cDir.path()), (std::set<std::string>{"work"}));
  EXPECT_EQ(qortest::readFile(file("work/last.o")), bytesText(cImage));
}

TEST_F(UnsafeNames, ExtractByNameRefusesTheUnsafeOneAndExtractsTheOthers) {
  ProcessResult result = qorbuIn(file("work"), {"/x", "mixed.lib", "../parent_escape.o", "last.o"});
  EXPECT_EQ(result.output,
            banner() + unsafe("../parent_escape.o") + "Extracting member 'last.o'.\n" + summary(1));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_FALSE(exists("parent_escape.o"));
  EXPECT_TRUE(exists("work/last.o"));
}

TEST_F(UnsafeNames, ListingShowsThemUnchanged) {
  ProcessResult result = qorbuIn(file("work"), {"/t", "mixed.lib"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.output.find("Member: '../parent_escape.o'"), std::string::npos);
}

// A library whose name is at the length limit still gets a temporary
// beside it: the members copied from it unchanged come from the old file,
// which the new one replaces only when complete. Enough members that their
// copy reads the file rather than what the read of the library still has at
// hand.
class InPlace : public QorbuRun {};

TEST_F(InPlace, DeleteAndReplaceCopyWhatTheLibraryHeldBeforeTheCut) {
  const std::string library = std::string(251, 'l') + ".lib";
  std::vector<std::string> names;
  for (int k = 0; k < 200; ++k) {
    names.push_back("m" + std::to_string(k) + ".o");
    put(ObjectBuilder(names.back())
            .timeStamp(k)
            .code(".code")
            .bytes(std::vector<uint8_t>(1000, k))
            .global("entry_" + std::to_string(k), 0, 1),
        names.back());
  }
  const auto create = [&](const std::string& name, std::vector<std::string> members) {
    members.insert(members.begin(), {"/c", name});
    return qorbu(members).exitCode;
  };
  ASSERT_EQ(create(library, names), 0);
  ProcessResult result = qorbu({"/d", library, "m0.o"});
  EXPECT_EQ(result.exitCode, 0) << result.output;
  ASSERT_EQ(create("expected.lib", {names.begin() + 1, names.end()}), 0);
  EXPECT_EQ(contents(library), contents("expected.lib"));
  result = qorbu({"/r", library, "m0.o"});
  EXPECT_EQ(result.exitCode, 0) << result.output;
  names.push_back(names.front());
  ASSERT_EQ(create("expected.lib", {names.begin() + 1, names.end()}), 0);
  EXPECT_EQ(contents(library), contents("expected.lib"));
}

// Writing the new library fails after a few hundred bytes: the old library
// must come through whole, and no half-written file may stay behind.
class FailedWrite : public QorbuRun {
 protected:
  // Runs the librarian with a file size limit of a few hundred bytes and
  // the limit's signal ignored, so that a long write fails like a full disk.
  ProcessResult qorbuWithSmallFileLimit(const std::vector<std::string>& arguments) {
    std::vector<std::string> shellArguments = {
        "-c", "ulimit -f 1 && trap '' XFSZ && exec \"$0\" \"$@\"", QORBU_PATH};
    shellArguments.insert(shellArguments.end(), arguments.begin(), arguments.end());
    return qortest::runProgram("/bin/sh", shellArguments, cDir.path());
  }

  void SetUp() override {
    QorbuRun::SetUp();
    put(alphaObject(), "alpha.o");
    std::vector<uint8_t> bulk(3000, 0x5A);
    put(ObjectBuilder("big.o")
            .timeStamp(1)
            .code("big_code_section")
            .bytes(bulk)
            .global("big_entry", 0, 1),
        "big.o");
    ASSERT_EQ(qorbu({"/c", "keep.lib", "alpha.o"}).exitCode, 0);
    cBefore = contents("keep.lib");
  }

  void expectLibraryKept(const ProcessResult& result) {
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_NE(result.output.find("Error - "), std::string::npos) << result.output;
    EXPECT_EQ(contents("keep.lib"), cBefore);
    EXPECT_EQ(filesIn(cDir.path()), (std::set<std::string>{"alpha.o", "big.o", "keep.lib"}));
  }

  std::string cBefore;
};

TEST_F(FailedWrite, CreateKeepsTheOldLibrary) {
  expectLibraryKept(qorbuWithSmallFileLimit({"/c", "keep.lib", "alpha.o", "big.o"}));
}

TEST_F(FailedWrite, ReplaceKeepsTheOldLibrary) {
  expectLibraryKept(qorbuWithSmallFileLimit({"/r", "keep.lib", "big.o"}));
}

TEST_F(FailedWrite, DeleteKeepsTheOldLibrary) {
  ASSERT_EQ(qorbu({"/r", "keep.lib", "big.o"}).exitCode, 0);
  cBefore = contents("keep.lib");
  expectLibraryKept(qorbuWithSmallFileLimit({"/d", "keep.lib", "alpha.o"}));
}

// Members the library held unchanged are copied as their bytes; a write
// that fails in them is still named by the record it met, as when every
// member was written record by record: here the 512th byte falls in the
// raw data of big.o, or in the header in front of it.
TEST_F(FailedWrite, TheFailureIsNamedByTheRecordItMet) {
  ASSERT_EQ(qorbu({"/r", "keep.lib", "big.o"}).exitCode, 0);
  cBefore = contents("keep.lib");
  const struct {
    std::vector<std::string> arguments;
    std::string message;
  } cases[] = {
      {{"/d", "keep.lib", "alpha.o"}, "Error - Coff file 'big.o' could not write raw data.\n"},
      {{"/r", "keep.lib", "alpha.o"},
       "Error - Could not write member header for 'big.o' in library file 'keep.lib'. \n"},
  };
  for (const auto& run : cases) {
    const ProcessResult result = qorbuWithSmallFileLimit(run.arguments);
    expectLibraryKept(result);
    EXPECT_NE(result.output.find(run.message), std::string::npos) << result.output;
    EXPECT_EQ(result.output.find("Error - "), result.output.rfind("Error - ")) << result.output;
  }
}

// A library holds its user's only copy of its members: no road may cut it.
// Under a file size limit, with a name at the length limit or stale
// temporaries beside it, the write fails and the library stays whole; in a
// folder that takes no new file it is not rewritten in place but refused.
// Each case checks the message, the exit code, every file byte for byte and
// that no temporary is left.
class LibraryKeptWhole : public QorbuRun {
 protected:
  struct Road {
    std::string library;
    std::vector<std::string> stale;    // files beside the library
    std::vector<std::string> command;  // the command and its members, the library after the first
    std::string message;
    uint64_t sizeLimit;
  };

  void SetUp() override {
    QorbuRun::SetUp();
    put(alphaObject(), "alpha.o");
    put(betaObject(), "beta.o");
    put(ObjectBuilder("big.o")
            .timeStamp(1)
            .code("big_code_section")
            .bytes(std::vector<uint8_t>(6000, 0x5A))
            .global("big_entry", 0, 1),
        "big.o");
  }

  void expectKeptWhole(const Road& road, const std::string& folder) {
    namespace fs = std::filesystem;
    const std::string libraryPath = folder.empty() ? road.library : folder + "/" + road.library;
    std::vector<std::string> arguments = road.command;
    arguments.insert(arguments.begin() + 1, libraryPath);
    ASSERT_EQ(qorbu({"/c", libraryPath, "alpha.o", "beta.o"}).exitCode, 0);
    for (const std::string& name : road.stale) qortest::writeFile(file(name), "stale");
    if (!folder.empty())
      fs::permissions(file(folder), fs::perms::owner_read | fs::perms::owner_exec);
    const auto before = qortest::folderSnapshot(cDir.path());
    const ProcessResult result =
        qortest::runProgramWithFileLimit(QORBU_PATH, arguments, cDir.path(), road.sizeLimit);
    if (!folder.empty()) fs::permissions(file(folder), fs::perms::owner_all);
    EXPECT_EQ(result.exitCode, 1) << road.command[0];
    EXPECT_EQ(result.output, banner() + error(road.message) + summary(1)) << road.command[0];
    EXPECT_EQ(qortest::folderSnapshot(cDir.path()), before) << road.command[0];
  }
};

TEST_F(LibraryKeptWhole, UnderASizeLimit) {
  const std::string longName = std::string(250, 'l') + ".lib";  // 254 characters
  std::vector<std::string> stale = {"keep.lib.tmp", ".qor000000", ".qorzzzzzz"};
  for (int k = 1; k < 100; ++k) stale.push_back("keep.lib.tmp" + std::to_string(k));
  const Road roads[] = {
      {longName, {}, {"/r", "big.o"}, "Coff file 'big.o' could not write raw data.", 4096},
      {"keep.lib", stale, {"/r", "big.o"}, "Coff file 'big.o' could not write raw data.", 4096},
  };
  for (const Road& road : roads) expectKeptWhole(road, "");
}

TEST_F(LibraryKeptWhole, InAReadOnlyFolder) {
  if (geteuid() == 0) GTEST_SKIP() << "the superuser may write any folder";
  std::filesystem::create_directory(file("ro"));
  const std::string refused = "Could not open library file 'ro/keep.lib' for writing.";
  const Road roads[] = {
      {"keep.lib", {}, {"/r", "big.o"}, refused, 0},
      {"keep.lib", {}, {"/d", "beta.o"}, refused, 0},
      {"keep.lib", {}, {"/c", "big.o"}, refused, 0},
  };
  for (const Road& road : roads) expectKeptWhole(road, "ro");
}

}  // namespace
}  // namespace qorbutest
