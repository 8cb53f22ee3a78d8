#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>

#include "archive.h"
#include "coff.h"
#include "diagnostics.h"

namespace {

const char* const WRITE_CONTEXT = "Archive::write()";

void reportWriteError(const std::string& text) { reportMessage(SEVERITY_ERROR, WRITE_CONTEXT, text, 0); }

// The new library is written to a fresh file next to the old one and takes
// its name only when complete, so that a failed write never destroys a
// library that was there before.
class ReplacementFile {
 public:
  explicit ReplacementFile(const std::string& target) : cTarget(target) {}
  ~ReplacementFile() { discard(); }
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  bool open() {
    if (!targetWritable()) return false;
    for (int attempt = 0; attempt < 100 && cFile == nullptr; ++attempt) {
      cTemporary = cTarget + ".qortmp" + std::to_string(attempt);
      errno = 0;
      cFile = std::fopen(cTemporary.c_str(), "wbx");
      if (cFile == nullptr && errno != EEXIST) break;
    }
    if (cFile == nullptr) return false;
    // Unbuffered, so that every failed write shows at the record it hit.
    std::setvbuf(cFile, nullptr, _IONBF, 0);
    return true;
  }

  std::FILE* file() const { return cFile; }

  // Closes the file and puts it in the target's place.
  bool commit() {
    bool closed = std::fclose(cFile) == 0;
    cFile = nullptr;
    if (!closed) return false;
    keepTargetPermissions();
    std::error_code error;
    std::filesystem::rename(cTemporary, cTarget, error);
    if (error) return false;
    cTemporary.clear();
    return true;
  }

 private:
  // An existing library must itself be open to writing, as it would be
  // without the detour through the fresh file.
  bool targetWritable() const {
    std::error_code error;
    if (!std::filesystem::exists(cTarget, error)) return !error;
    std::FILE* probe = std::fopen(cTarget.c_str(), "r+b");
    if (probe == nullptr) return false;
    std::fclose(probe);
    return true;
  }

  void keepTargetPermissions() const {
    std::error_code error;
    auto status = std::filesystem::status(cTarget, error);
    if (!error && std::filesystem::exists(status)) {
      std::filesystem::permissions(cTemporary, status.permissions(), error);
    }
  }

  void discard() {
    if (cFile != nullptr) std::fclose(cFile);
    cFile = nullptr;
    if (!cTemporary.empty()) std::remove(cTemporary.c_str());
    cTemporary.clear();
  }

  std::string cTarget;
  std::string cTemporary;
  std::FILE* cFile = nullptr;
};

// Every member is laid out afresh (keeping its time stamp), so that its
// pointers describe the image written, whatever block order its input had.
bool writeMember(std::FILE* file, Coff& member, const std::string& libraryName) {
  member.layout();
  MemberHeader header;
  header.setName(member.cName);
  header.setDate(member.cFileHdr.f_timdat);
  header.setSize(member.size());
  header.setMagic();
  if (std::fwrite(&header, 1, sizeof header, file) != sizeof header) {
    reportWriteError("Could not write member header for '" + member.cName + "' in library file '" +
                     libraryName + "'. ");
    return false;
  }
  long base = std::ftell(file);
  // Coff::write reports its own failures.
  return base >= 0 && member.write(file, static_cast<uint64_t>(base)) != 0;
}

}  // namespace

int Archive::write() {
  ReplacementFile output(cName);
  const std::string openError = "Could not open library file '" + cName + "' for writing.";
  if (!output.open()) {
    reportWriteError(openError);
    return 0;
  }
  if (std::fwrite(ARCHIVE_MAGIC, 1, ARCHIVE_MAGIC_LENGTH, output.file()) != ARCHIVE_MAGIC_LENGTH) {
    reportWriteError("Could not write archive magic string in library file '" + cName + "'. ");
    return 0;
  }
  for (const auto& member : cMembers) {
    if (!writeMember(output.file(), *member, cName)) return 0;
  }
  if (!output.commit()) {
    reportWriteError(openError);
    return 0;
  }
  return 1;
}
