#include "temporary_file.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <system_error>

namespace {

// A taken name is passed over for the next; only a folder that refuses
// every name stops the search, so a pile of stale temporaries cannot.
constexpr int kMaxAttempts = 100;
// ".qor" and six letters or digits: 36^6 names.
constexpr int kSuffixLength = 6;

// The temporaries this program has made and not yet moved or discarded.
// Never destroyed, so that it outlives every exit handler.
std::set<std::string>& liveTemporaries() {
  static auto* names = new std::set<std::string>;
  return *names;
}

void removeLiveTemporaries() { discardAllTemporaries(); }

void remember(const std::string& name) {
  static const bool registered = std::atexit(removeLiveTemporaries) == 0;
  (void)registered;
  liveTemporaries().insert(name);
}

void forget(const std::string& name) { liveTemporaries().erase(name); }

// Different in every run: two programs writing into one folder at once
// meet only by chance, and then the exclusive creation passes over it.
uint64_t freshSeed() {
  uint64_t seed =
      static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  try {
    std::random_device device;
    seed ^= static_cast<uint64_t>(device()) << 32;
  } catch (...) {
    // No entropy source on this host: the clock alone.
  }
  return seed;
}

std::string generatedName() {
  static std::mt19937_64 random(freshSeed());
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
  std::string name = ".qor";
  for (int k = 0; k < kSuffixLength; ++k) name += kLetters[pick(random)];
  return name;
}

}  // namespace

std::FILE* createTemporaryBeside(const std::string& target, std::string& temporaryName,
                                 bool textMode) {
  const std::filesystem::path folder = std::filesystem::path(target).parent_path();
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    temporaryName = (folder / generatedName()).string();
    errno = 0;
    if (std::FILE* file = std::fopen(temporaryName.c_str(), textMode ? "wx" : "wbx")) {
      remember(temporaryName);
      return file;
    }
    if (errno != EEXIST) break;  // the folder takes no new file
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
  if (!error) {
    forget(temporaryName);
    return 1;
  }
  discardTemporary(temporaryName);
  return 0;
}

void discardTemporary(const std::string& temporaryName) {
  if (temporaryName.empty()) return;
  std::remove(temporaryName.c_str());
  forget(temporaryName);
}

void discardAllTemporaries() {
  for (const std::string& name : liveTemporaries()) std::remove(name.c_str());
  liveTemporaries().clear();
}
