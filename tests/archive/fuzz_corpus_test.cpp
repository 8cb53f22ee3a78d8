// The fuzz targets' seed corpus holds what its file names promise: "valid-"
// files read without a message, "broken-" files fail with messages,
// "unverified-" objects read but fail Coff::verify, and "fatal-" files end
// the program with exit code 255.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive_test_helpers.h"

using namespace archivetest;

namespace {

std::vector<std::string> corpusFiles(const std::string& target, const std::string& prefix) {
  std::vector<std::string> files;
  std::string directory = std::string(QOR_SOURCE_DIR) + "/fuzz/corpus/" + target;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) == 0) files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

TEST(FuzzCorpus, ObjectFiles) {
  EXPECT_GE(corpusFiles("coff", "valid-").size(), 3u);
  for (const auto& path : corpusFiles("coff", "valid-")) {
    CapturedOutput captured;
    auto object = Coff::make(path);
    ASSERT_TRUE(object) << path;
    EXPECT_EQ(object->verify(), 1) << path;
    // The older layout announces itself; nothing else may be reported.
    bool oldLayout = path.find("old-layout") != std::string::npos;
    EXPECT_EQ(errorCount(), oldLayout ? 1u : 0u) << path << captured.errors();
  }
  EXPECT_GE(corpusFiles("coff", "broken-").size(), 3u);
  for (const auto& path : corpusFiles("coff", "broken-")) {
    CapturedOutput captured;
    EXPECT_FALSE(Coff::make(path)) << path;
    EXPECT_EQ(errorCount(), 1u) << path << captured.errors();
  }
  for (const auto& path : corpusFiles("coff", "unverified-")) {
    CapturedOutput captured;
    auto object = Coff::make(path);
    ASSERT_TRUE(object) << path;
    EXPECT_EQ(object->verify(), 0) << path;
  }
}

TEST(FuzzCorpus, Libraries) {
  EXPECT_GE(corpusFiles("archive", "valid-").size(), 3u);
  for (const auto& path : corpusFiles("archive", "valid-")) {
    CapturedOutput captured;
    auto archive = Archive::make(path);
    ASSERT_TRUE(archive) << path;
    // Only a duplicate definition or an old-layout member may be reported.
    std::istringstream lines(captured.errors());
    for (std::string line; std::getline(lines, line);) {
      bool allowed = line.find("has multiple external definitions.") != std::string::npos ||
                     line.find("missing optional file header.") != std::string::npos;
      EXPECT_TRUE(allowed) << path << ": " << line;
    }
  }
  EXPECT_GE(corpusFiles("archive", "broken-").size(), 3u);
  for (const auto& path : corpusFiles("archive", "broken-")) {
    CapturedOutput captured;
    EXPECT_FALSE(Archive::make(path)) << path;
    EXPECT_GE(errorCount(), 1u) << path;
  }
}

TEST(FuzzCorpusDeathTest, FatalFiles) {
  for (const auto& path : corpusFiles("coff", "fatal-")) {
    EXPECT_EXIT(Coff::make(path), testing::ExitedWithCode(255), "in string table") << path;
  }
  for (const auto& path : corpusFiles("archive", "fatal-")) {
    EXPECT_EXIT(Archive::make(path), testing::ExitedWithCode(255), "in string table") << path;
  }
}
