#include "replacement_file.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "same_file.h"
#include "temporary_file.h"

#include <sys/stat.h>
#include <unistd.h>

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

// The program's own standard output (1) or error (2) when `status` is
// that file; -1 otherwise. Written through its descriptor, such an output
// follows what the program printed, and nothing replaces the file the
// shell opened for it.
int standardStreamOf(const struct stat& status) {
  for (const int descriptor : {1, 2}) {
    struct stat standard {};
    if (::fstat(descriptor, &standard) == 0 && standard.st_dev == status.st_dev &&
        standard.st_ino == status.st_ino)
      return descriptor;
  }
  return -1;
}

// The caller's step before a file is written where it stands: none, or its
// true, lets the write go on.
bool allows(const std::function<bool()>& step) { return !step || step(); }

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
      cDirect(std::move(other.cDirect)),
      cKeepWhole(other.cKeepWhole) {}

ReplacementFile::~ReplacementFile() { discard(); }

int ReplacementFile::open(const std::string& name, bool textMode,
                          const std::function<bool()>& beforeWritingInPlace) {
  discard();
  cTarget = fileBehind(name);
  // A pipe, a device, or the file behind the program's own output: written
  // where it stands, as a plain open would, found by the name itself (a
  // link that the system makes up, such as a descriptor's, is no path).
  struct stat status {};
  if (::stat(name.c_str(), &status) == 0) {
    const int standard = standardStreamOf(status);
    if (standard >= 0)
      return allows(beforeWritingInPlace) && writeDirectly(cDirect.useStandardStream(standard));
    if (!S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode))
      return allows(beforeWritingInPlace) && writeDirectly(cDirect.openStream(name));
  }
  if (!mayReplace(cTarget)) return 0;
  Temporary temporary = createTemporaryBeside(cTarget, textMode);
  cFile = temporary.file;
  cTempName = std::move(temporary.name);
  if (cFile != nullptr) return 1;
  // A folder that refuses new files is the one reason to write in place:
  // after any other failure the old file is not put at risk.
  if (cKeepWhole || !folderTakesNoNewFile(temporary.failure)) return 0;
  return allows(beforeWritingInPlace) && writeDirectly(cDirect.openInPlace(cTarget));
}

int ReplacementFile::writeDirectly(int opened) {
  if (!opened) return 0;
  cFile = cDirect.file();
  return 1;
}

void ReplacementFile::writeUnbuffered() {
  if (cFile != nullptr && !cDirect.isOpen()) std::setvbuf(cFile, nullptr, _IONBF, 0);
}

int ReplacementFile::writeText(const std::string& text) {
  if (cFile == nullptr) return 0;
  return std::fwrite(text.data(), 1, text.size(), cFile) == text.size() ? 1 : 0;
}

int ReplacementFile::prepare() {
  if (cDirect.isOpen()) {
    cFile = nullptr;
    if (cDirect.prepare()) return 1;
    discard();
    return 0;
  }
  if (cFile == nullptr) return 0;
  const bool closed = std::fclose(cFile) == 0;
  cFile = nullptr;
  if (closed) return 1;
  discard();
  return 0;
}

int ReplacementFile::land() {
  if (cDirect.isOpen()) return cDirect.land();
  if (cTempName.empty()) return 0;
  keepPermissions(cTarget, cTempName);
  const std::string temporary = std::exchange(cTempName, std::string());
  return moveTemporaryOver(temporary, cTarget);
}

int ReplacementFile::commit() { return prepare() && land() ? 1 : 0; }

void ReplacementFile::discard() {
  if (!cDirect.isOpen() && cFile != nullptr) std::fclose(cFile);
  cFile = nullptr;
  cDirect.discard();
  discardTemporary(cTempName);
  cTempName.clear();
}
