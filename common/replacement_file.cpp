#include "replacement_file.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "file_info.h"
#include "same_file.h"
#include "temporary_file.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// A missing file can be created only in a folder that exists.
bool folderExists(const std::string& name) {
  const fs::path folder = fs::path(name).parent_path();
  std::error_code error;
  return folder.empty() || fs::is_directory(folder, error);
}

// A plain open for writing refuses a directory, an existing file that may
// not be written, a name it cannot look up (a loop of links) and a missing
// file whose folder is missing too.
bool mayReplace(const std::string& name) {
  std::error_code error;
  fs::file_status status = fs::status(name, error);
  if (status.type() == fs::file_type::none) return false;
  if (!fs::exists(status)) return folderExists(name);
  if (fs::is_directory(status)) return false;
  std::FILE* existing = std::fopen(name.c_str(), "r+b");
  if (existing == nullptr) return false;
  std::fclose(existing);
  return true;
}

// A device or a pipe is written where it stands, as a plain open would: a
// replacement would put an ordinary file in its place.
bool isSpecialFile(const std::string& name) {
  std::error_code error;
  const fs::file_status status = fs::status(name, error);
  return fs::exists(status) && !fs::is_regular_file(status) && !fs::is_directory(status);
}

// A writer end of the pipe, opened without waiting: it exists only while a
// reader is there, and holding it keeps that reader from seeing the end
// before the real write starts. -1 when nobody reads the pipe.
int holdPipeWithReader(const std::string& name) {
#ifdef _WIN32
  (void)name;
  return -1;
#else
  return ::open(name.c_str(), O_WRONLY | O_NONBLOCK);
#endif
}

// A file rewritten in place keeps its permissions; so does its replacement.
void keepPermissions(const std::string& target, const std::string& replacement) {
  std::error_code error;
  fs::file_status status = fs::status(target, error);
  if (!error && fs::exists(status)) fs::permissions(replacement, status.permissions(), error);
}

}  // namespace

ReplacementFile::ReplacementFile(ReplacementFile&& other) noexcept
    : cTarget(std::move(other.cTarget)),
      cTempName(std::exchange(other.cTempName, std::string())),
      cFile(std::exchange(other.cFile, nullptr)),
      cDirect(std::exchange(other.cDirect, false)),
      cPipeHold(std::exchange(other.cPipeHold, -1)),
      cKeepWhole(other.cKeepWhole) {}

ReplacementFile::~ReplacementFile() { discard(); }

int ReplacementFile::open(const std::string& name, bool textMode,
                          const std::function<bool()>& beforeWritingInPlace) {
  discard();
  cTarget = fileBehind(name);
  if (!mayReplace(cTarget)) return 0;
  if (isPipe(cTarget)) {
    cPipeHold = holdPipeWithReader(cTarget);
    if (cPipeHold < 0) return 0;
  }
  if (!isSpecialFile(cTarget)) {
    Temporary temporary = createTemporaryBeside(cTarget, textMode);
    cFile = temporary.file;
    cTempName = std::move(temporary.name);
    if (cFile != nullptr) return 1;
    // A folder that refuses new files is the one reason to write in place:
    // after any other failure the old file is not put at risk.
    if (cKeepWhole || !folderTakesNoNewFile(temporary.failure)) return 0;
  }
  if (beforeWritingInPlace && !beforeWritingInPlace()) return 0;
  cFile = std::fopen(cTarget.c_str(), textMode ? "w" : "wb");
  cDirect = cFile != nullptr;
  return cDirect ? 1 : 0;
}

int ReplacementFile::writeText(const std::string& text) {
  if (cFile == nullptr) return 0;
  return std::fwrite(text.data(), 1, text.size(), cFile) == text.size() ? 1 : 0;
}

int ReplacementFile::closeFile() {
  if (cFile == nullptr) return 1;
  const bool closed = std::fclose(cFile) == 0;
  cFile = nullptr;
  return closed ? 1 : 0;
}

void ReplacementFile::releasePipe() {
#ifndef _WIN32
  if (cPipeHold >= 0) ::close(cPipeHold);
#endif
  cPipeHold = -1;
}

int ReplacementFile::commit() {
  const bool closed = closeFile() != 0;
  releasePipe();
  if (!closed) {
    discard();
    return 0;
  }
  if (cDirect) {
    cDirect = false;
    return 1;
  }
  if (cTempName.empty()) return 0;
  keepPermissions(cTarget, cTempName);
  const std::string temporary = std::exchange(cTempName, std::string());
  return moveTemporaryOver(temporary, cTarget);
}

void ReplacementFile::discard() {
  closeFile();
  releasePipe();
  discardTemporary(cTempName);
  cTempName.clear();
  cDirect = false;
}
