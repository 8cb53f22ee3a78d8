#include "temporary_file.h"

#include <cstdio>

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
  if (std::rename(temporaryName.c_str(), target.c_str()) == 0) return 1;
  discardTemporary(temporaryName);
  return 0;
}

void discardTemporary(const std::string& temporaryName) {
  if (!temporaryName.empty()) std::remove(temporaryName.c_str());
}
