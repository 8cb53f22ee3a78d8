#include "temporary_file.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>

#include "temporary_registry.h"

namespace {

// A taken name is passed over for the next; only a folder that refuses
// every name stops the search, so a pile of stale temporaries cannot.
constexpr int kMaxAttempts = 100;
// ".qor" and six letters or digits: 36^6 names.
constexpr int kSuffixLength = 6;

// Made and entered with the signals held, so that a signal that ends the
// program between the two cannot leave the file behind. A table that is
// full is a failure to make the file, as one of too many open files is.
std::FILE* createAndRemember(const std::string& name, bool textMode, int& failure) {
  static const bool registered = std::atexit(discardAllTemporaries) == 0;
  (void)registered;
  TerminationSignalsHeld held;
  errno = 0;
  std::FILE* file = std::fopen(name.c_str(), textMode ? "wx" : "wbx");
  failure = errno;
  if (file == nullptr || rememberTemporary(name)) return file;
  std::fclose(file);
  std::remove(name.c_str());
  failure = EMFILE;
  return nullptr;
}

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

Temporary createTemporaryBeside(const std::string& target, bool textMode) {
  const std::filesystem::path folder = std::filesystem::path(target).parent_path();
  Temporary made;
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    made.name = (folder / generatedName()).string();
    made.file = createAndRemember(made.name, textMode, made.failure);
    if (made.file != nullptr) return made;
    if (made.failure != EEXIST) break;
  }
  made.name.clear();
  return made;
}

bool folderTakesNoNewFile(int failure) {
  return failure == EACCES || failure == EPERM || failure == EROFS;
}

int moveTemporaryOver(const std::string& temporaryName, const std::string& target) {
  // The library's rename replaces an existing target on every host; the C
  // one refuses to on some, which would fail every rewrite of a file.
  std::error_code error;
  {
    // The file is either still the temporary, and removed by a signal that
    // ends the program, or moved and out of the table: never moved while
    // still entered.
    TerminationSignalsHeld held;
    std::filesystem::rename(temporaryName, target, error);
    if (!error) forgetTemporary(temporaryName);
  }
  if (!error) return 1;
  discardTemporary(temporaryName);
  return 0;
}

void discardTemporary(const std::string& temporaryName) {
  if (temporaryName.empty()) return;
  TerminationSignalsHeld held;
  std::remove(temporaryName.c_str());
  forgetTemporary(temporaryName);
}

void discardAllTemporaries() { removeRememberedTemporaries(); }
