#include <cstring>
#include <memory>
#include <utility>

#include "archive.h"
#include "bounded_reader.h"
#include "coff.h"
#include "diagnostics.h"

namespace {

const char* const MAKE_CONTEXT = "Archive::make()";

void reportMakeError(const std::string& text) { reportMessage(SEVERITY_ERROR, MAKE_CONTEXT, text, 0); }

bool readMagic(BoundedReader& reader, const std::string& path) {
  uint8_t magic[ARCHIVE_MAGIC_LENGTH];
  if (!reader.read(0, sizeof magic, magic)) {
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
bool readMembers(BoundedReader& reader, Archive& archive) {
  uint64_t offset = ARCHIVE_MAGIC_LENGTH;
  for (;;) {
    MemberHeader header;
    if (!reader.read(offset, sizeof header, reinterpret_cast<uint8_t*>(&header))) return true;
    uint64_t memberStart = offset + MemberHeader::SIZE;
    // A header that closes the file is followed by a member that cannot be
    // parsed; only a start beyond the end has no member at all.
    if (!reader.fits(memberStart, 0)) {
      reportMakeError("Library file '" + archive.cName + "' has a missing member object file.");
      return false;
    }
    std::string name = header.getName();
    std::unique_ptr<Coff> member = Coff::make(reader, memberStart, name);
    if (!member) {
      reportMakeError("Could not build member '" + name + "' in library file '" + archive.cName + "'. ");
      return false;
    }
    uint64_t memberSize = member->size();
    archive.cMembers.push_back(std::move(member));
    // An image that reaches past the end leaves no room for a further header.
    if (!reader.fits(memberStart, memberSize)) return true;
    offset = memberStart + memberSize;
  }
}

// The file is closed before the index is built.
bool readFile(const std::string& path, Archive& archive) {
  BoundedReader reader(path);
  if (!reader.isOpen()) {
    reportMakeError("Could not open library file '" + path + "' for reading.");
    return false;
  }
  return readMagic(reader, path) && readMembers(reader, archive);
}

}  // namespace

std::unique_ptr<Archive> Archive::make(const std::string& path) {
  auto archive = std::make_unique<Archive>();
  archive->cName = path;
  if (!readFile(path, *archive)) return nullptr;
  archive->makeSymbols();
  return archive;
}
