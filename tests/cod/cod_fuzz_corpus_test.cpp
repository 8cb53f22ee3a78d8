// The COD fuzz target's seed corpus holds what its file names promise:
// "valid-" files read without a message, "broken-" and "found-" files (the
// inputs the fuzzer once broke the reader with) fail with one message.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cod_test_support.h"

using codtest::CapturedOutput;

namespace {

std::vector<std::string> corpusFiles(const std::string& prefix) {
  std::vector<std::string> files;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::string(QOR_SOURCE_DIR) + "/fuzz/corpus/cod")) {
    if (entry.path().filename().string().rfind(prefix, 0) == 0)
      files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

TEST(CodFuzzCorpus, FilesReadAsTheirNamesSay) {
  EXPECT_GE(corpusFiles("valid-").size(), 3u);
  for (const auto& path : corpusFiles("valid-")) {
    CapturedOutput captured;
    EXPECT_TRUE(Cod::make(path)) << path;
    EXPECT_EQ(captured.errors(), "") << path;
  }
  std::vector<std::string> failing = corpusFiles("broken-");
  EXPECT_GE(failing.size(), 3u);
  for (const auto& path : corpusFiles("found-")) failing.push_back(path);
  for (const auto& path : failing) {
    CapturedOutput captured;
    EXPECT_FALSE(Cod::make(path)) << path;
    EXPECT_EQ(errorCount(), 1u) << path << captured.errors();
    EXPECT_EQ(captured.errors().rfind("Error - Cod file '" + path + "'' does not have ", 0), 0u)
        << captured.errors();
  }
}
