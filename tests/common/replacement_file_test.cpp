#include "replacement_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <utility>
#include <vector>

#include "file_size_limit.h"
#include "output_set.h"
#include "process_runner.h"
#include "temporary_registry.h"

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
    ASSERT_EQ(output.open(dir.file("link.hex")), 1);
    ASSERT_EQ(output.writeText("new"), 1);
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

// A link whose file is not there yet is written as a plain open would write
// it: the file is created where the link points (a relative link from the
// link's own folder, through every link of a chain) and the link stays. A
// link into a folder that does not exist, or a loop of links, is refused and
// nothing changes.
TEST(ReplacementFile, DanglingLinksActAsAPlainOpen) {
  struct Case {
    std::vector<std::pair<std::string, std::string>> links;  // name, target
    std::string output;
    std::string created;  // empty: refused
  };
  const std::vector<Case> cases = {
      {{{"prog.hex", "new.hex"}}, "prog.hex", "new.hex"},
      {{{"sub/prog.cod", "../out/new.cod"}}, "sub/prog.cod", "out/new.cod"},
      {{{"prog.lst", "sub/a.lst"}, {"sub/a.lst", "../out/b.lst"}}, "prog.lst", "out/b.lst"},
      {{{"prog.o", "missing/new.o"}}, "prog.o", ""},
      {{{"a.lib", "b.lib"}, {"b.lib", "a.lib"}}, "a.lib", ""},
  };
  for (const Case& c : cases) {
    qortest::ScratchDir dir;
    fs::create_directory(dir.file("sub"));
    fs::create_directory(dir.file("out"));
    for (const auto& [name, target] : c.links) fs::create_symlink(target, dir.file(name));
    {
      ReplacementFile output;
      const int opened = output.open(dir.file(c.output));
      EXPECT_EQ(opened, c.created.empty() ? 0 : 1) << c.output;
      if (opened) {
        ASSERT_EQ(output.writeText("new"), 1);
        ASSERT_EQ(output.commit(), 1);
      }
    }
    for (const auto& [name, target] : c.links) EXPECT_TRUE(fs::is_symlink(dir.file(name))) << name;
    if (!c.created.empty()) {
      EXPECT_EQ(readFile(dir.file(c.created)), "new") << c.output;
    }
    // Nothing but the links and the created file: no temporary left behind.
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
      files += entry.symlink_status().type() != fs::file_type::directory;
    }
    EXPECT_EQ(files, c.links.size() + (c.created.empty() ? 0 : 1)) << c.output;
  }
}

// A name at the length limit still gets a temporary: the old file stays
// until the new one is complete.
TEST(ReplacementFile, NameAtTheLengthLimitStillGetsATemporary) {
  qortest::ScratchDir dir;
  const std::string target = dir.file(std::string(250, 'n') + ".o");  // 252 characters
  writeFile(target, "old");
  ReplacementFile output;
  ASSERT_EQ(output.open(target), 1);
  EXPECT_NE(output.writeName(), target);
  ASSERT_EQ(output.writeText("replaced"), 1);
  EXPECT_EQ(readFile(target), "old");
  ASSERT_EQ(output.commit(), 1);
  EXPECT_EQ(readFile(target), "replaced");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

// Before a file is written where it stands (here a pipe, which is never
// replaced), the caller's step runs; when it refuses, nothing is opened. A
// replacement through a temporary does not run it.
TEST(ReplacementFile, AStepRunsBeforeAFileIsWrittenInPlace) {
  qortest::ScratchDir dir;
  const std::string direct = dir.file("out.lib");
  ASSERT_EQ(mkfifo(direct.c_str(), 0600), 0);
  const int reader = ::open(direct.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  const std::string beside = dir.file("prog.o");
  writeFile(beside, "old content");
  for (const std::string& target : {direct, beside}) {
    for (const bool allow : {false, true}) {
      bool ran = false;
      ReplacementFile output;
      const int opened = output.open(target, false, [&] {
        ran = true;
        return allow;
      });
      const bool inPlace = target == direct;
      EXPECT_EQ(ran, inPlace) << target;
      EXPECT_EQ(opened, !inPlace || allow ? 1 : 0) << target;
      if (opened) output.discard();
      EXPECT_EQ(readFile(beside), "old content");
    }
  }
  ::close(reader);
}

// A folder that takes no new file, holding a file that may be written: the
// file is written in place (the step runs first, the old content still
// there), unless it must be kept whole, when the open is refused and the
// file stays. Only a user without the superuser's rights sees the folder
// refuse.
TEST(ReplacementFile, ReadOnlyFolderWritesInPlaceUnlessKeptWhole) {
  if (geteuid() == 0) GTEST_SKIP() << "the superuser may write any folder";
  qortest::ScratchDir dir;
  const std::string folder = dir.file("ro");
  fs::create_directory(folder);
  const std::string target = folder + "/prog.o";
  writeFile(target, "old content");
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  {
    ReplacementFile kept;
    kept.keepWhole();
    EXPECT_EQ(kept.open(target), 0);
    EXPECT_EQ(readFile(target), "old content");
    std::string seen;
    ReplacementFile output;
    ASSERT_EQ(output.open(target, false,
                          [&] {
                            seen = readFile(target);
                            return true;
                          }),
              1);
    EXPECT_EQ(seen, "old content");
    EXPECT_EQ(output.writeName(), target);
    ASSERT_EQ(output.writeText("new"), 1);
    ASSERT_EQ(output.commit(), 1);
  }
  fs::permissions(folder, fs::perms::owner_all);
  EXPECT_EQ(readFile(target), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

// A pipe (like a device) named as the output must stay what it is: a
// replacement would put a plain file in its place. The reader is opened
// first so that writing into the pipe does not wait.
TEST(ReplacementFile, PipeIsWrittenWhereItStands) {
  qortest::ScratchDir dir;
  const std::string pipe = dir.file("out.hex");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  fs::create_symlink("out.hex", dir.file("link.hex"));
  const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  {
    ReplacementFile output;
    ASSERT_EQ(output.open(dir.file("link.hex")), 1);
    EXPECT_EQ(output.writeName(), pipe);
    ASSERT_EQ(output.writeText("through"), 1);
    ASSERT_EQ(output.commit(), 1);
  }
  char received[16] = {};
  EXPECT_EQ(::read(reader, received, sizeof received), 7);
  ::close(reader);
  EXPECT_EQ(std::string(received), "through");
  EXPECT_TRUE(fs::is_fifo(pipe));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

// Writing into a pipe that nobody reads would wait for ever: it is refused at
// once, and the pipe stays. Should the open wait after all, a reader is
// opened so that the test fails instead of hanging.
TEST(ReplacementFile, PipeWithoutAReaderIsRefusedAtOnce) {
  qortest::ScratchDir dir;
  const std::string pipe = dir.file("out.lst");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  ReplacementFile output;
  auto opened = std::async(std::launch::async, [&] { return output.open(pipe); });
  if (opened.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    opened.wait();
    ::close(reader);
    FAIL() << "the open waited for a reader";
  }
  EXPECT_EQ(opened.get(), 0);
  EXPECT_EQ(output.file(), nullptr);
  EXPECT_TRUE(fs::is_fifo(pipe));
}

// A signal that would end the program while a set of outputs lands waits
// until every one has landed: the run ends as the signal, with all the new
// files there and no temporary left.
TEST(OutputSet, ASignalDuringTheCommitFindsEveryOutputNew) {
  for (const int signal : {SIGTERM, SIGPIPE}) {
    qortest::ScratchDir dir;
    const std::vector<std::string> targets = {dir.file("out.hxl"), dir.file("out.hxh")};
    for (const std::string& target : targets) writeFile(target, "old");
    const auto commitWithASignalBetween = [&] {
      removeTemporariesOnTerminationSignals();
      OutputSet outputs;
      for (const std::string& target : targets) {
        ReplacementFile& output = outputs.add([] {});
        if (!output.open(target) || !output.writeText("new")) std::_Exit(2);
      }
      outputs.afterEachLanding([signal] { std::raise(signal); });
      outputs.commitAll();
      std::_Exit(3);  // the signal never came
    };
    EXPECT_EXIT(commitWithASignalBetween(), ::testing::KilledBySignal(signal), "") << signal;
    for (const std::string& target : targets) EXPECT_EQ(readFile(target), "new") << signal;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
  }
}

// Files written in place change only once every one of them has room for
// its whole new content: a size limit that the second one passes (its old
// content is longer still) leaves both old files as they were. Without the
// limit both are written and cut to their new length.
TEST(OutputSet, InPlaceOutputsChangeOnlyWhenEveryOneHasRoom) {
  if (geteuid() == 0) GTEST_SKIP() << "the superuser may write any folder";
  qortest::ScratchDir dir;
  const std::string folder = dir.file("ro");
  fs::create_directory(folder);
  const std::vector<std::pair<std::string, std::string>> files = {
      {folder + "/out.lst", std::string(100, 'l')}, {folder + "/out.cod", std::string(9000, 'c')}};
  for (const auto& [target, old] : files) writeFile(target, old);
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  const auto commit = [&] {
    OutputSet outputs;
    int failures = 0;
    for (const auto& [target, old] : files) {
      ReplacementFile& output = outputs.add([&failures] { ++failures; });
      EXPECT_EQ(output.open(target), 1);
      EXPECT_EQ(output.writeName(), target);
      output.writeText(std::string(old.size() / 2, 'n'));
    }
    return outputs.commitAll() - failures;
  };
  {
    qortest::FileSizeLimit limit(4096);
    EXPECT_EQ(commit(), -1);
  }
  for (const auto& [target, old] : files) EXPECT_EQ(readFile(target), old);
  EXPECT_EQ(commit(), 1);
  for (const auto& [target, old] : files)
    EXPECT_EQ(readFile(target), std::string(old.size() / 2, 'n'));
  fs::permissions(folder, fs::perms::owner_all);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
}
