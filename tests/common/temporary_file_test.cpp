#include "temporary_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "process_runner.h"

using qortest::fileExists;
using qortest::readFile;
using qortest::writeFile;

TEST(TemporaryFile, NeverTakesTheNameOfAnExistingFile) {
  qortest::ScratchDir dir;
  const std::string target = dir.file("out.o");
  writeFile(target + ".tmp", "a file of the user's");
  std::string temporary;
  std::FILE* file = createTemporaryBeside(target, temporary);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(temporary, target + ".tmp1");
  std::fclose(file);
  EXPECT_EQ(readFile(target + ".tmp"), "a file of the user's");
  EXPECT_EQ(reserveTemporaryBeside(target), target + ".tmp2");
}

TEST(TemporaryFile, MoveReplacesTheTargetAndDiscardRemoves) {
  qortest::ScratchDir dir;
  const std::string target = dir.file("out.hex");
  writeFile(target, "old");
  std::string temporary;
  std::FILE* file = createTemporaryBeside(target, temporary, true);
  ASSERT_NE(file, nullptr);
  std::fputs("new\n", file);
  std::fclose(file);
  EXPECT_EQ(readFile(target), "old");
  EXPECT_EQ(moveTemporaryOver(temporary, target), 1);
  EXPECT_EQ(readFile(target), "new\n");
  EXPECT_FALSE(fileExists(temporary));

  std::string unused = reserveTemporaryBeside(target);
  ASSERT_TRUE(fileExists(unused));
  discardTemporary(unused);
  EXPECT_FALSE(fileExists(unused));
}

TEST(TemporaryFile, FailedMoveLeavesTheTargetAndRemovesTheTemporary) {
  qortest::ScratchDir dir;
  const std::string target = dir.file("sub");
  std::filesystem::create_directory(target);
  writeFile(dir.file("sub/keep"), "x");
  std::string temporary = reserveTemporaryBeside(target);
  ASSERT_FALSE(temporary.empty());
  EXPECT_EQ(moveTemporaryOver(temporary, target), 0);
  EXPECT_FALSE(fileExists(temporary));
  EXPECT_EQ(readFile(dir.file("sub/keep")), "x");
  EXPECT_EQ(createTemporaryBeside(dir.file("missing/dir/x"), temporary), nullptr);
  EXPECT_EQ(temporary, "");
}
