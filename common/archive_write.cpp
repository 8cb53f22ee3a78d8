#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

#include "archive.h"
#include "coff.h"
#include "diagnostics.h"
#include "temporary_file.h"

namespace {

const char* const WRITE_CONTEXT = "Archive::write()";

void reportWriteError(const std::string& text) { reportMessage(SEVERITY_ERROR, WRITE_CONTEXT, text, 0); }

namespace fs = std::filesystem;

// The new library is written to a fresh file next to the old one and takes
// its name only when complete, so that a failed write never destroys a
// library that was there before.
class LibraryOutput {
 public:
  explicit LibraryOutput(const std::string& target) : cTarget(target) {}
  ~LibraryOutput() {
    if (cFile != nullptr) std::fclose(cFile);
    discardTemporary(cTemporary);
  }
  LibraryOutput(const LibraryOutput&) = delete;
  LibraryOutput& operator=(const LibraryOutput&) = delete;

  bool open() {
    if (!targetWritable()) return false;
    cTarget = fileBehind(cTarget);
    cFile = createTemporaryBeside(cTarget, cTemporary);
    // No temporary fits beside the target (a name at the length limit, a
    // directory we may not add to): write the target itself.
    if (cFile == nullptr) cFile = std::fopen(cTarget.c_str(), "wb");
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
    if (cTemporary.empty()) return true;  // written in place
    keepTargetPermissions();
    return moveTemporaryOver(std::exchange(cTemporary, std::string()), cTarget) == 1;
  }

 private:
  // An existing library must itself be open to writing, as it would be
  // without the detour through the fresh file.
  bool targetWritable() const {
    std::error_code error;
    fs::file_status status = fs::status(cTarget, error);
    if (!fs::exists(status)) return true;
    if (fs::is_directory(status)) return false;
    std::FILE* probe = std::fopen(cTarget.c_str(), "r+b");
    if (probe == nullptr) return false;
    std::fclose(probe);
    return true;
  }

  // A link keeps pointing at the library, which gets the new contents.
  static std::string fileBehind(const std::string& name) {
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(name, error))) return name;
    fs::path target = fs::canonical(name, error);
    return error ? name : target.string();
  }

  void keepTargetPermissions() const {
    std::error_code error;
    fs::file_status status = fs::status(cTarget, error);
    if (!error && fs::exists(status)) fs::permissions(cTemporary, status.permissions(), error);
  }

  std::string cTarget;
  std::string cTemporary;  // empty when writing the target in place
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
  LibraryOutput output(cName);
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
