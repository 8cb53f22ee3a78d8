#include "replacement_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "process_runner.h"

namespace fs = std::filesystem;
using qortest::readFile;
using qortest::writeFile;

TEST(ReplacementFile, OldFileStaysUntilCommitAndKeepsItsPermissions) {
  qortest::ScratchDir dir;
  const std::string target = dir.file("prog.o");
  writeFile(target, "old");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
  {
    ReplacementFile output;
    ASSERT_EQ(output.open(target), 1);
    EXPECT_NE(output.writeName(), target);
    ASSERT_EQ(output.writeText("new"), 1);
    std::fflush(output.file());
    EXPECT_EQ(readFile(target), "old");
    ASSERT_EQ(output.commit(), 1);
  }
  EXPECT_EQ(readFile(target), "new");
  EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(ReplacementFile, AbandonedWriteLeavesTheOldFileAndNoTemporary) {
  qortest::ScratchDir dir;
  const std::string target = dir.file("lib.lib");
  writeFile(target, "old library");
  {
    ReplacementFile output;
    ASSERT_EQ(output.open(target), 1);
    output.writeText("half");
  }
  EXPECT_EQ(readFile(target), "old library");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(ReplacementFile, WritesThroughALinkAndRefusesADirectory) {
  qortest::ScratchDir dir;
  writeFile(dir.file("real.hex"), "old");
  fs::create_symlink("real.hex", dir.file("link.hex"));
  {
    ReplacementFile output;
    ASSERT_EQ(output.prepare(dir.file("link.hex")), 1);
    writeFile(output.writeName(), "new");
    ASSERT_EQ(output.commit(), 1);
  }
  EXPECT_TRUE(fs::is_symlink(dir.file("link.hex")));
  EXPECT_EQ(readFile(dir.file("real.hex")), "new");

  fs::create_directory(dir.file("out.cod"));
  ReplacementFile refused;
  EXPECT_EQ(refused.open(dir.file("out.cod")), 0);
  EXPECT_EQ(refused.file(), nullptr);
  EXPECT_TRUE(fs::is_directory(dir.file("out.cod")));
}

TEST(ReplacementFile, NameWithNoRoomForATemporaryIsWrittenDirectly) {
  qortest::ScratchDir dir;
  const std::string target = dir.file(std::string(250, 'n') + ".o");  // 252 characters
  ReplacementFile output;
  ASSERT_EQ(output.open(target), 1);
  EXPECT_EQ(output.writeName(), target);
  ASSERT_EQ(output.writeText("direct"), 1);
  ASSERT_EQ(output.commit(), 1);
  EXPECT_EQ(readFile(target), "direct");
}
