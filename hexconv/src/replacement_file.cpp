#include "replacement_file.h"

#include <filesystem>
#include <system_error>

#include "temporary_file.h"

namespace fs = std::filesystem;

namespace {

// An existing file must be writable by us, as it would be for a plain
// open for writing; a missing one only needs its directory.
bool mayReplace(const std::string& name) {
  std::error_code error;
  fs::file_status status = fs::status(name, error);
  if (!fs::exists(status)) return true;
  if (fs::is_directory(status)) return false;
  std::FILE* existing = std::fopen(name.c_str(), "r+");
  if (existing == nullptr) return false;
  std::fclose(existing);
  return true;
}

// The file a name stands for: a link is followed, so that the file it
// points at gets the new contents and the link stays, as with a plain open.
std::string fileBehind(const std::string& name) {
  std::error_code error;
  if (!fs::is_symlink(fs::symlink_status(name, error))) return name;
  const fs::path target = fs::canonical(name, error);
  return error ? name : target.string();
}

// A file rewritten in place keeps its permissions; so does its replacement.
void keepPermissions(const std::string& target, const std::string& replacement) {
  std::error_code error;
  fs::file_status status = fs::status(target, error);
  if (!error && fs::exists(status)) fs::permissions(replacement, status.permissions(), error);
}

}  // namespace

ReplacementFile::~ReplacementFile() { discard(); }

int ReplacementFile::open(const std::string& name) {
  discard();
  if (!mayReplace(name)) return 0;
  cName = fileBehind(name);
  // Exclusive creation: a temporary never overwrites a file of the user's.
  cFile = createTemporaryBeside(cName, cTempName, true);
  if (cFile == nullptr) {
    // No temporary fits beside the target (a name at the length limit, a
    // directory we may not add to): write the target itself, as a plain
    // open for writing would.
    cFile = std::fopen(cName.c_str(), "w");
    cDirect = cFile != nullptr;
  }
  return cFile == nullptr ? 0 : 1;
}

int ReplacementFile::writeText(const std::string& text) {
  if (cFile == nullptr) return 0;
  bool ok = std::fwrite(text.data(), 1, text.size(), cFile) == text.size();
  ok = std::fclose(cFile) == 0 && ok;
  cFile = nullptr;
  cWritten = ok;
  return ok ? 1 : 0;
}

int ReplacementFile::commit() {
  if (!cWritten) return 0;
  if (cDirect) {
    cWritten = false;
    cDirect = false;
    return 1;
  }
  keepPermissions(cName, cTempName);
  std::string temporary = cTempName;
  cTempName.clear();
  if (!moveTemporaryOver(temporary, cName)) return 0;
  cWritten = false;
  return 1;
}

void ReplacementFile::discard() {
  if (cFile != nullptr) {
    std::fclose(cFile);
    cFile = nullptr;
  }
  discardTemporary(cTempName);
  cTempName.clear();
  cWritten = false;
  cDirect = false;
}
