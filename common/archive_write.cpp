#include <cstdio>
#include <string>

#include "archive.h"
#include "coff.h"
#include "diagnostics.h"
#include "replacement_file.h"

namespace {

const char* const WRITE_CONTEXT = "Archive::write()";

void reportWriteError(const std::string& text) { reportMessage(SEVERITY_ERROR, WRITE_CONTEXT, text, 0); }

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
  // The new library replaces the old one only when complete, so that a
  // failed write never destroys a library that was there before.
  ReplacementFile output;
  const std::string openError = "Could not open library file '" + cName + "' for writing.";
  if (!output.open(cName)) {
    reportWriteError(openError);
    return 0;
  }
  // Unbuffered, so that every failed write shows at the record it hit.
  std::setvbuf(output.file(), nullptr, _IONBF, 0);
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
