// Writing the map file: a good map replaces an old one whole, and a map
// that cannot be written is reported and leaves what was there before.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "captured_output.h"
#include "file_size_limit.h"
#include "map_file_fixture.h"

namespace fs = std::filesystem;

namespace {

std::unique_ptr<Coff> smallOutput() {
  return maptest::outputOf(CORE_VESK).code(".code").at(0).bytes({1, 2}).global("go", 0, 1).coff();
}

size_t entriesIn(const std::string& directory) {
  return static_cast<size_t>(
      std::distance(fs::directory_iterator(directory), fs::directory_iterator()));
}

std::string refusal(const std::string& name) {
  return "Error - Could not open map file '" + name + "' for writing.\n";
}

TEST(MapFileWrite, ReplacesAnEarlierMapWhole) {
  qortest::ScratchDir dir;
  const std::string path = dir.file("prog.map");
  qortest::writeFile(path, std::string(10000, 'x'));
  ASSERT_EQ(MapFile().write(path, *smallOutput(), 0x100), 1);
  EXPECT_EQ(maptest::maskTime(qortest::readFile(path)), maptest::mapOf(*smallOutput(), 0x100));
  EXPECT_EQ(entriesIn(dir.path()), 1u);
}

// Each way the write can fail: the name is refused, the file cannot be
// completed, or it cannot be closed. The message names the map, nothing is
// left behind, and an earlier map stays as it was.
TEST(MapFileWrite, AFailedWriteIsReportedAndKeepsTheEarlierMap) {
  struct Case {
    const char* what;
    std::string name;  // in the scratch directory
    bool earlierMap;
    bool limitFileSize;
    size_t entriesAfter;  // of the scratch directory: no temporary stays
  };
  const Case cases[] = {
      {"the name is a directory", "prog.map", false, false, 1},
      {"the folder is missing", "missing/prog.map", false, false, 0},
      {"the disk fills up", "prog.map", true, true, 1},
  };
  for (const Case& c : cases) {
    qortest::ScratchDir dir;
    const std::string path = dir.file(c.name);
    if (c.earlierMap) {
      qortest::writeFile(path, "the earlier map\n");
    } else if (c.name == "prog.map") {
      fs::create_directory(path);
    }
    qortest::CapturedOutput captured;
    int written = -1;
    {
      std::unique_ptr<qortest::FileSizeLimit> limit;
      if (c.limitFileSize) limit = std::make_unique<qortest::FileSizeLimit>(100);
      written = MapFile().write(path, *smallOutput(), 0x100);
    }
    EXPECT_EQ(written, 0) << c.what;
    EXPECT_EQ(captured.errors(), refusal(path)) << c.what;
    EXPECT_EQ(errorCount(), 1u) << c.what;
    if (c.earlierMap) {
      EXPECT_EQ(qortest::readFile(path), "the earlier map\n") << c.what;
    } else if (c.name == "prog.map") {
      EXPECT_TRUE(fs::is_directory(path)) << c.what;
    }
    EXPECT_EQ(entriesIn(dir.path()), c.entriesAfter) << c.what;
  }
}

TEST(MapFileWrite, AReadOnlyEarlierMapIsKept) {
  if (geteuid() == 0) GTEST_SKIP() << "the superuser may write any file";
  qortest::ScratchDir dir;
  const std::string path = dir.file("prog.map");
  qortest::writeFile(path, "kept\n");
  fs::permissions(path, fs::perms::owner_read);
  qortest::CapturedOutput captured;
  EXPECT_EQ(MapFile().write(path, *smallOutput(), 0x100), 0);
  EXPECT_EQ(captured.errors(), refusal(path));
  EXPECT_EQ(qortest::readFile(path), "kept\n");
}

// A device is written where it stands; one that takes nothing fails when
// the text reaches it.
TEST(MapFileWrite, ADeviceThatTakesNothingIsAFailedWrite) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this host";
  qortest::CapturedOutput captured;
  EXPECT_EQ(MapFile().write("/dev/full", *smallOutput(), 0x100), 0);
  EXPECT_EQ(captured.errors(), refusal("/dev/full"));
}

}  // namespace
