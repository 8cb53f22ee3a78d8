#include <cstring>
#include <memory>
#include <optional>
#include <utility>

#include "archive.h"
#include "bounded_reader.h"
#include "coff.h"
#include "diagnostics.h"

namespace {

const char* const MAKE_CONTEXT = "Archive::make()";

void reportMakeError(const std::string& text) {
  reportMessage(SEVERITY_ERROR, MAKE_CONTEXT, text, 0);
}

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

}  // namespace

void reportMissingMember(const std::string& path) {
  reportMakeError("Library file '" + path + "' has a missing member object file.");
}

std::unique_ptr<BoundedReader> openLibraryFile(const std::string& path) {
  auto reader = std::make_unique<BoundedReader>(path);
  if (reader->isOpen()) return reader;
  reportMakeError("Could not open library file '" + path + "' for reading.");
  return nullptr;
}

// Reads the members one after another until the file ends. Each member's
// image is as long as its own layout says, which is where the next header
// starts. The members must account for every byte of the file: a member
// measured past its end, bytes left behind the last member (a library cut
// inside a header), or a header that records another length than its
// member's, is a library cut short or a member measured wrong. Taken as the
// end of the library, it would hide every member behind it, and a library
// rewritten from what was read would lose them.
bool readLibraryMembers(BoundedReader& reader, const std::string& path, const MemberParser& parse) {
  if (!readMagic(reader, path)) return false;
  uint64_t offset = ARCHIVE_MAGIC_LENGTH;
  while (offset != reader.length()) {
    MemberHeader header;
    if (!reader.read(offset, sizeof header, reinterpret_cast<uint8_t*>(&header))) {
      reportMissingMember(path);
      return false;
    }
    // The whole header was read, so its member starts within the file; a
    // header that closes the file is followed by a member that cannot be
    // parsed.
    const uint64_t memberStart = offset + MemberHeader::SIZE;
    const std::string name = header.getName();
    const std::optional<uint64_t> memberSize = parse(reader, name, memberStart);
    if (!memberSize) {
      reportMakeError("Could not build member '" + name + "' in library file '" + path + "'. ");
      return false;
    }
    if (!reader.fits(memberStart, *memberSize) || header.sizeDisagreesWith(*memberSize)) {
      reportMissingMember(path);
      return false;
    }
    offset = memberStart + *memberSize;
  }
  return true;
}

std::unique_ptr<Archive> Archive::make(const std::string& path) {
  auto archive = std::make_unique<Archive>();
  archive->cName = path;
  {
    // The file is closed before the index is built.
    const std::unique_ptr<BoundedReader> reader = openLibraryFile(path);
    if (!reader) return nullptr;
    const auto parse = [&archive](BoundedReader& source, const std::string& name,
                                  uint64_t start) -> std::optional<uint64_t> {
      uint64_t storedLength = 0;
      std::unique_ptr<Coff> member = Coff::make(source, start, name, storedLength);
      if (!member) return std::nullopt;
      archive->cMembers.push_back(std::move(member));
      return storedLength;
    };
    if (!readLibraryMembers(*reader, path, parse)) return nullptr;
  }
  archive->makeSymbols();
  return archive;
}
