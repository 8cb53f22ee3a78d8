#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

#include "archive.h"
#include "coff.h"
#include "diagnostics.h"
#include "file_info.h"

namespace {

const char* const MAKE_CONTEXT = "Archive::make()";

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

void reportMakeError(const std::string& text) { reportMessage(SEVERITY_ERROR, MAKE_CONTEXT, text, 0); }

// The real length of the open file; when it cannot be told, the reads
// themselves find the end.
long fileLength(std::FILE* file) {
  long length = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
  return length >= 0 ? length : LONG_MAX;
}

// Reads exactly `count` bytes at `offset`; false on a failed seek or a short read.
bool readAt(std::FILE* file, long offset, void* buffer, size_t count) {
  return std::fseek(file, offset, SEEK_SET) == 0 && std::fread(buffer, 1, count, file) == count;
}

bool readMagic(std::FILE* file, const std::string& path) {
  char magic[ARCHIVE_MAGIC_LENGTH];
  if (!readAt(file, 0, magic, sizeof magic)) {
    reportMakeError("Could not read archive magic string in library file '" + path + "'.");
    return false;
  }
  if (std::memcmp(magic, ARCHIVE_MAGIC, ARCHIVE_MAGIC_LENGTH) != 0) {
    reportMakeError("File '" + path + "' is not a valid library file.");
    return false;
  }
  return true;
}

// Reads the members one after another until no whole header is left. Each
// member's image is as long as its own layout says (Coff::size), which is
// where the next header starts.
bool readMembers(std::FILE* file, long length, Archive& archive) {
  long offset = ARCHIVE_MAGIC_LENGTH;
  for (;;) {
    MemberHeader header;
    if (offset > length - static_cast<long>(MemberHeader::SIZE)) return true;
    if (!readAt(file, offset, &header, sizeof header)) return true;
    long memberStart = offset + static_cast<long>(MemberHeader::SIZE);
    // Seeking to the end of the file succeeds: a header that closes the file
    // is followed by a member that cannot be parsed.
    if (std::fseek(file, memberStart, SEEK_SET) != 0) {
      reportMakeError("Library file '" + archive.cName + "' has a missing member object file.");
      return false;
    }
    std::string name = header.getName();
    std::unique_ptr<Coff> member = Coff::make(file, static_cast<uint64_t>(memberStart), name);
    if (!member) {
      reportMakeError("Could not build member '" + name + "' in library file '" + archive.cName + "'. ");
      return false;
    }
    unsigned long memberSize = member->size();
    archive.cMembers.push_back(std::move(member));
    // An image that reaches past the end leaves no room for a further header.
    if (memberSize > static_cast<unsigned long>(length - memberStart)) return true;
    offset = memberStart + static_cast<long>(memberSize);
  }
}

}  // namespace

std::unique_ptr<Archive> Archive::make(const std::string& path) {
  FilePtr file(isPipe(path) ? nullptr : std::fopen(path.c_str(), "rb"));
  if (!file) {
    reportMakeError("Could not open library file '" + path + "' for reading.");
    return nullptr;
  }
  auto archive = std::make_unique<Archive>();
  archive->cName = path;
  if (!readMagic(file.get(), path)) return nullptr;
  long length = fileLength(file.get());
  if (!readMembers(file.get(), length, *archive)) return nullptr;
  file.reset();
  archive->makeSymbols();
  return archive;
}
