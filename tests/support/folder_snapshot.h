// Every plain file under a folder with its bytes, for tests that a failed
// run changed no file and left no new one (no temporary) behind.
#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "process_runner.h"

namespace qortest {

// Each plain file under `folder` (links and folders aside) by its name
// relative to it, with its contents.
inline std::map<std::string, std::string> folderSnapshot(const std::string& folder) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.symlink_status().type() != fs::file_type::regular) continue;
    files[fs::relative(entry.path(), folder).string()] = readFile(entry.path().string());
  }
  return files;
}

}  // namespace qortest
