#include "temporary_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <vector>

#include "process_runner.h"
#include "temporary_registry.h"

using qortest::fileExists;
using qortest::readFile;
using qortest::writeFile;

namespace {

// A temporary made and closed again: its name, or empty.
std::string madeTemporary(const std::string& target) {
  const Temporary made = createTemporaryBeside(target);
  if (made.file != nullptr) std::fclose(made.file);
  return made.name;
}

}  // namespace

TEST(TemporaryFile, NeverTakesTheNameOfAnExistingFile) {
  qortest::ScratchDir dir;
  const std::string target = dir.file("out.o");
  writeFile(target + ".tmp", "a file of the user's");
  const std::string temporary = madeTemporary(target);
  ASSERT_NE(temporary, "");
  EXPECT_NE(temporary, target + ".tmp");
  EXPECT_EQ(readFile(target + ".tmp"), "a file of the user's");
  const std::string second = madeTemporary(target);
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
      made.push_back(madeTemporary(dir.file(c.target)));
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

// A program that ends on any road, a fatal error's exit or a signal that
// ends it included, leaves no temporary behind; a signal still ends it as
// that signal.
TEST(TemporaryFileDeathTest, EndOfTheProgramRemovesEveryTemporary) {
  for (const int signal : {0, SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) {  // 0: an exit
    qortest::ScratchDir dir;
    const auto run = [&] {
      removeTemporariesOnTerminationSignals();
      madeTemporary(dir.file("a.o"));
      createTemporaryBeside(dir.file("b.o"));
      if (signal != 0) std::raise(signal);
      std::exit(3);
    };
    if (signal == 0) {
      EXPECT_EXIT(run(), ::testing::ExitedWithCode(3), "");
    } else {
      EXPECT_EXIT(run(), ::testing::KilledBySignal(signal), "") << signal;
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << signal;
  }
}

TEST(TemporaryFile, MoveReplacesTheTargetAndDiscardRemoves) {
  qortest::ScratchDir dir;
  const std::string target = dir.file("out.hex");
  writeFile(target, "old");
  const Temporary made = createTemporaryBeside(target, true);
  ASSERT_NE(made.file, nullptr);
  const std::string temporary = made.name;
  std::fputs("new\n", made.file);
  std::fclose(made.file);
  EXPECT_EQ(readFile(target), "old");
  EXPECT_EQ(moveTemporaryOver(temporary, target), 1);
  EXPECT_EQ(readFile(target), "new\n");
  EXPECT_FALSE(fileExists(temporary));

  const std::string unused = madeTemporary(target);
  ASSERT_TRUE(fileExists(unused));
  discardTemporary(unused);
  EXPECT_FALSE(fileExists(unused));
}

TEST(TemporaryFile, FailedMoveLeavesTheTargetAndRemovesTheTemporary) {
  qortest::ScratchDir dir;
  const std::string target = dir.file("sub");
  std::filesystem::create_directory(target);
  writeFile(dir.file("sub/keep"), "x");
  const std::string temporary = madeTemporary(target);
  ASSERT_FALSE(temporary.empty());
  EXPECT_EQ(moveTemporaryOver(temporary, target), 0);
  EXPECT_FALSE(fileExists(temporary));
  EXPECT_EQ(readFile(dir.file("sub/keep")), "x");
}

// Only a folder that refuses new files lets a target be written in place;
// every other failure to make the temporary is named, and no file is made.
// The folder of 4,087 characters holds a name of three but not the
// temporary's ten.
TEST(TemporaryFile, FailureNamesWhetherTheFolderTakesNoNewFile) {
  qortest::ScratchDir dir;
  const std::string longFolder = qortest::folderPathOfLength(dir.path(), 4087);
  const struct {
    std::string target;
    int failure;
  } made[] = {{dir.file("missing/dir/x"), ENOENT}, {longFolder + "/x.o", ENAMETOOLONG}};
  for (const auto& m : made) {
    const Temporary temporary = createTemporaryBeside(m.target);
    EXPECT_EQ(temporary.file, nullptr);
    EXPECT_EQ(temporary.name, "");
    EXPECT_EQ(temporary.failure, m.failure) << m.target.size();
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  for (const int failure : {EACCES, EPERM, EROFS}) EXPECT_TRUE(folderTakesNoNewFile(failure));
  for (const int failure : {ENAMETOOLONG, ENOSPC, EDQUOT, EMFILE, ENFILE, ENOENT, EIO, 0})
    EXPECT_FALSE(folderTakesNoNewFile(failure)) << failure;
}
