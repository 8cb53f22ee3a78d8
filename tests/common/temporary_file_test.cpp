#include "temporary_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <vector>

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
  EXPECT_NE(temporary, target + ".tmp");
  std::fclose(file);
  EXPECT_EQ(readFile(target + ".tmp"), "a file of the user's");
  const std::string second = reserveTemporaryBeside(target);
  EXPECT_NE(second, temporary);
  EXPECT_TRUE(fileExists(temporary));
  EXPECT_TRUE(fileExists(second));
  discardTemporary(temporary);
  discardTemporary(second);
}

// The temporary's name is short and its own, whatever the target is called
// and whatever stale files lie beside it: it lies in the target's folder,
// never lengthens with the target's name and never meets a file that was
// there before.
TEST(TemporaryFile, ShortNameInTheTargetsFolderWhateverLiesThere) {
  const struct {
    std::string target;
    std::vector<std::string> stale;
  } cases[] = {
      {"out.o", {}},
      {std::string(250, 'n') + ".o", {}},
      {"sub/" + std::string(251, 'm') + ".lib", {}},
      {"out.o", {"out.o.tmp", "out.o.tmp1", "out.o.tmp99", ".qor", ".qor000000", ".qorzzzzzz"}},
  };
  for (const auto& c : cases) {
    qortest::ScratchDir dir;
    std::filesystem::create_directory(dir.file("sub"));
    for (const std::string& name : c.stale) writeFile(dir.file(name), "stale");
    std::vector<std::string> made;
    for (int k = 0; k < 20; ++k) {
      made.push_back(reserveTemporaryBeside(dir.file(c.target)));
      const std::filesystem::path path = made.back();
      EXPECT_EQ(path.parent_path(), std::filesystem::path(dir.file(c.target)).parent_path());
      EXPECT_EQ(path.filename().string().size(), 10u) << path;
      EXPECT_EQ(path.filename().string().rfind(".qor", 0), 0u) << path;
    }
    for (const std::string& name : c.stale) EXPECT_EQ(readFile(dir.file(name)), "stale") << name;
    EXPECT_EQ(std::set<std::string>(made.begin(), made.end()).size(), made.size());
    for (const std::string& name : made) discardTemporary(name);
  }
}

// A program that ends on any road, a fatal error's exit included, leaves no
// temporary behind.
TEST(TemporaryFileDeathTest, EndOfTheProgramRemovesEveryTemporary) {
  qortest::ScratchDir dir;
  EXPECT_EXIT(
      {
        reserveTemporaryBeside(dir.file("a.o"));
        std::string name;
        createTemporaryBeside(dir.file("b.o"), name);
        std::exit(3);
      },
      ::testing::ExitedWithCode(3), "");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
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
