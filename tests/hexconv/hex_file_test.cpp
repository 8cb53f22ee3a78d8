// Hex::write on disk: files appear complete or not at all, old files stay
// whole when a run cannot write.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "diagnostics.h"
#include "hex.h"
#include "process_runner.h"
#include "replacement_file.h"
#include "srecord_check.h"

namespace {

namespace fs = std::filesystem;

// Runs each test inside a fresh scratch directory: the writer uses the
// current directory.
class HexFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetDiagnostics();
    cOldDir = fs::current_path();
    fs::current_path(cScratch.path());
    const uint8_t bytes[] = {0xAB, 0xCD};
    cHex.cFileBaseName = "prog";
    cHex.cRanges.emplace_back(0x10, Data(2, bytes));
  }
  void TearDown() override { fs::current_path(cOldDir); }

  std::set<std::string> entries() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(cScratch.path()))
      names.insert(entry.path().filename().string());
    return names;
  }

  qortest::ScratchDir cScratch;
  fs::path cOldDir;
  Hex cHex;
};

TEST_F(HexFileTest, WritesAndReplacesTheFileLeavingNothingElse) {
  qortest::writeFile("prog.hex", "old contents that are longer than the new file\n");
  ASSERT_EQ(cHex.write(HEX_INHX8M), 1);
  EXPECT_EQ(qortest::readFile("prog.hex"), ":02001000ABCD76\n:00000001FF\n");
  EXPECT_EQ(entries(), (std::set<std::string>{"prog.hex"}));
  EXPECT_EQ(errorCount(), 0u);
  EXPECT_TRUE(hexcheck::srecordAgrees(cScratch.file("prog.hex"), {{0x10, 0xAB}, {0x11, 0xCD}}));
}

TEST_F(HexFileTest, UnwritableNameIsReportedAndNothingIsLeftBehind) {
  fs::create_directory("prog.hex");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(cHex.write(HEX_INHX32), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "Error - Could not open hex file 'prog.hex' for writing.\n");
  EXPECT_EQ(errorCount(), 1u);
  EXPECT_EQ(entries(), (std::set<std::string>{"prog.hex"}));
  EXPECT_TRUE(fs::is_directory("prog.hex"));
}

TEST_F(HexFileTest, SplitLayoutKeepsTheOldLowFileWhenTheHighFileCannotBeWritten) {
  qortest::writeFile("prog.hxl", "old low file\n");
  fs::create_directory("prog.hxh");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(cHex.write(HEX_INHX8S), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "Error - Could not open hex file 'prog.hxh' for writing.\n");
  EXPECT_EQ(qortest::readFile("prog.hxl"), "old low file\n");
  EXPECT_EQ(entries(), (std::set<std::string>{"prog.hxl", "prog.hxh"}));
}

TEST_F(HexFileTest, SplitLayoutWritesBothFiles) {
  ASSERT_EQ(cHex.write(HEX_INHX8S), 1);
  EXPECT_EQ(qortest::readFile("prog.hxl"), ":01000800AB4C\n:00000001FF\n");
  EXPECT_EQ(qortest::readFile("prog.hxh"), ":01000800CD2A\n:00000001FF\n");
  EXPECT_TRUE(hexcheck::srecordAgrees(cScratch.file("prog.hxl"), {{0x08, 0xAB}}));
  EXPECT_TRUE(hexcheck::srecordAgrees(cScratch.file("prog.hxh"), {{0x08, 0xCD}}));
}

TEST_F(HexFileTest, ReadOnlyExistingFileIsNotReplaced) {
  if (geteuid() == 0) GTEST_SKIP() << "the superuser may write any file";
  qortest::writeFile("prog.hex", "kept\n");
  fs::permissions("prog.hex", fs::perms::owner_read);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(cHex.write(HEX_INHX8M), 0);
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(qortest::readFile("prog.hex"), "kept\n");
}

// Rewriting a file in place keeps its permissions; so does replacing it.
TEST_F(HexFileTest, ReplacedFileKeepsItsPermissions) {
  qortest::writeFile("prog.hex", "old\n");
  const fs::perms kept = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions("prog.hex", kept);
  ASSERT_EQ(cHex.write(HEX_INHX8M), 1);
  EXPECT_EQ(qortest::readFile("prog.hex"), ":02001000ABCD76\n:00000001FF\n");
  EXPECT_EQ(fs::status("prog.hex").permissions() & fs::perms::all, kept);
}

// As with a plain open for writing, a link keeps pointing at the file it
// names, which gets the new contents.
TEST_F(HexFileTest, LinkedFileIsWrittenThroughTheLink) {
  fs::create_directory("real");
  qortest::writeFile("real/target.hex", "old\n");
  fs::create_symlink("real/target.hex", "prog.hex");
  ASSERT_EQ(cHex.write(HEX_INHX8M), 1);
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status("prog.hex")));
  EXPECT_EQ(qortest::readFile("real/target.hex"), ":02001000ABCD76\n:00000001FF\n");
  EXPECT_EQ(entries(), (std::set<std::string>{"prog.hex", "real"}));
}

// A name at the length limit is written through a temporary of a short
// name of its own, and none is left behind.
TEST_F(HexFileTest, LongestNameIsWrittenAndLeavesNoTemporary) {
  cHex.cFileBaseName = std::string(251, 'p');
  ASSERT_EQ(cHex.write(HEX_INHX32), 1);
  const std::string name = cHex.cFileBaseName + ".hex";
  EXPECT_EQ(qortest::readFile(name), ":020000040000FA\n:02001000ABCD76\n:00000001FF\n");
  EXPECT_EQ(entries(), (std::set<std::string>{name}));
  EXPECT_TRUE(hexcheck::srecordAgrees(cScratch.file(name), {{0x10, 0xAB}, {0x11, 0xCD}}));
}

TEST_F(HexFileTest, TemporaryNeverTakesTheNameOfAUserFile) {
  qortest::writeFile("out.hex.tmp", "user file\n");
  {
    ReplacementFile file;
    ASSERT_EQ(file.open("out.hex"), 1);
    ASSERT_EQ(file.writeText("new\n"), 1);
    ASSERT_EQ(file.commit(), 1);
  }
  EXPECT_EQ(qortest::readFile("out.hex.tmp"), "user file\n");
  EXPECT_EQ(qortest::readFile("out.hex"), "new\n");
  EXPECT_EQ(entries(), (std::set<std::string>{"out.hex", "out.hex.tmp"}));
}

TEST_F(HexFileTest, FailedReplacementLeavesNoTemporary) {
  {
    ReplacementFile file;
    ASSERT_EQ(file.open("out.hex"), 1);
    ASSERT_EQ(file.writeText("new\n"), 1);
    fs::create_directory("out.hex");
    fs::create_directory("out.hex/keep");
    EXPECT_EQ(file.commit(), 0);
  }
  EXPECT_EQ(entries(), (std::set<std::string>{"out.hex"}));
  EXPECT_TRUE(fs::is_directory("out.hex/keep"));
}

}  // namespace
