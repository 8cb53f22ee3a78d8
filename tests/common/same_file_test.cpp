#include "same_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "output_set.h"
#include "process_runner.h"

namespace fs = std::filesystem;
using qortest::readFile;
using qortest::writeFile;

// Names of one file by identity where it exists, by the resolved path where
// it does not; a device is never counted as a file a write could destroy.
TEST(SameFile, ByIdentityOrByResolvedPath) {
  qortest::ScratchDir dir;
  fs::create_directory(dir.file("sub"));
  writeFile(dir.file("main.o"), "object");
  writeFile(dir.file("other.o"), "object");
  fs::create_hard_link(dir.file("main.o"), dir.file("hard.o"));
  fs::create_symlink("main.o", dir.file("soft.o"));
  fs::create_symlink("sub/new.map", dir.file("dangling.map"));
  const struct {
    std::string first;
    std::string second;
    bool same;
  } cases[] = {
      {"main.o", "main.o", true},
      {"main.o", "./sub/../main.o", true},
      {"main.o", "hard.o", true},
      {"soft.o", "main.o", true},
      {"main.o", "other.o", false},
      {"new.o", "./new.o", true},
      {"new.o", "sub/../new.o", true},
      {"new.o", "sub/new.o", false},
      {"dangling.map", "sub/new.map", true},
      {"new.o", "main.o", false},
      {"main.o", "sub", false},
  };
  const fs::path here = fs::current_path();
  fs::current_path(dir.path());
  for (const auto& c : cases)
    EXPECT_EQ(isSameFile(c.first, c.second), c.same) << c.first << " " << c.second;
  fs::current_path(here);
  if (fs::exists("/dev/null")) {
    EXPECT_FALSE(isSameFile("/dev/null", "/dev/null"));
  }
  EXPECT_EQ(outputOverInputText("a.o", "./a.o"),
            "the output file 'a.o' is the same file as the input './a.o'.");
  EXPECT_EQ(outputOverOutputText("x.hxl", "x.hxh"),
            "the output file 'x.hxl' is the same file as 'x.hxh'.");
  // An output over an input is named before two outputs of one file.
  EXPECT_EQ(sameFileRefusal({"x.hxl", "./x.hxl", "b.o"}, {"", "./b.o"}),
            "the output file 'b.o' is the same file as the input './b.o'.");
  EXPECT_EQ(sameFileRefusal({"x.hxl", "./x.hxl"}, {"b.o"}),
            "the output file 'x.hxl' is the same file as './x.hxl'.");
  EXPECT_EQ(sameFileRefusal({"x.hxl", "x.hxh"}, {"b.o"}), "");
}

// Outputs replace their old files only together: a set that ends without
// its commit, or whose commit fails at one output, leaves the old files of
// those not yet moved and no temporary.
TEST(OutputSet, CommitsAllOrLeavesTheOldFiles) {
  for (const int failing : {-1, 0, 1, 2}) {  // -1: every move succeeds; 2: no commit at all
    qortest::ScratchDir dir;
    const std::vector<std::string> names = {dir.file("a.o"), dir.file("a.map")};
    for (const std::string& name : names) writeFile(name, "old");
    std::vector<std::string> reported;
    {
      OutputSet outputs;
      for (const std::string& name : names) {
        ReplacementFile& output = outputs.add([&reported, name] { reported.push_back(name); });
        ASSERT_EQ(output.open(name), 1);
        ASSERT_EQ(output.writeText("new"), 1);
      }
      if (failing == 0 || failing == 1) {
        // The target turns into a folder: the move over it fails.
        fs::remove(names[failing]);
        fs::create_directory(names[failing]);
      }
      if (failing != 2) {
        EXPECT_EQ(outputs.commitAll(), failing == -1 ? 1 : 0);
      }
    }
    // A move that failed is reported once, and its target (the folder) stays.
    if (failing == 0 || failing == 1) {
      EXPECT_EQ(reported, std::vector<std::string>{names[failing]});
      fs::remove(names[failing]);
    }
    // Outputs before the failing one were moved; the rest keep their old files.
    for (int k = 0; k < 2; ++k) {
      if (k == failing) continue;
      const bool moved = failing == -1 || k < failing;
      EXPECT_EQ(readFile(names[k]), moved && failing != 2 ? "new" : "old") << failing << k;
    }
    size_t entries = std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator());
    EXPECT_EQ(entries, failing == 0 || failing == 1 ? 1u : 2u) << failing;
  }
}
