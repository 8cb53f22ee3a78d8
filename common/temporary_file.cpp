#include "temporary_file.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {
constexpr int MAX_ATTEMPTS = 100;
}

std::FILE* createTemporaryBeside(const std::string& target, std::string& temporaryName,
                                 bool textMode) {
  for (int attempt = 0; attempt < MAX_ATTEMPTS; ++attempt) {
    temporaryName = target + ".tmp" + (attempt == 0 ? std::string() : std::to_string(attempt));
    if (std::FILE* file = std::fopen(temporaryName.c_str(), textMode ? "wx" : "wbx")) return file;
  }
  temporaryName.clear();
  return nullptr;
}

std::string reserveTemporaryBeside(const std::string& target) {
  std::string temporaryName;
  std::FILE* file = createTemporaryBeside(target, temporaryName);
  if (file != nullptr) std::fclose(file);
  return temporaryName;
}

int moveTemporaryOver(const std::string& temporaryName, const std::string& target) {
  // The library's rename replaces an existing target on every host; the C
  // one refuses to on some, which would fail every rewrite of a file.
  std::error_code error;
  std::filesystem::rename(temporaryName, target, error);
  if (!error) return 1;
  discardTemporary(temporaryName);
  return 0;
}

void discardTemporary(const std::string& temporaryName) {
  if (!temporaryName.empty()) std::remove(temporaryName.c_str());
}
