#include <cstdio>
#include <string>

#include "archive.h"
#include "byte_sink.h"
#include "coff.h"
#include "diagnostics.h"
#include "replacement_file.h"

namespace {

const char* const WRITE_CONTEXT = "Archive::write()";

void reportWriteError(const std::string& text) { reportMessage(SEVERITY_ERROR, WRITE_CONTEXT, text, 0); }

const uint8_t* bytesOf(const void* record) { return static_cast<const uint8_t*>(record); }

// Every member is laid out afresh (keeping its time stamp), so that its
// pointers describe the image written, whatever block order its input had.
bool writeMember(ByteSink& sink, Coff& member, const std::string& libraryName) {
  member.layout();
  MemberHeader header;
  header.setName(member.cName);
  header.setDate(member.cFileHdr.f_timdat);
  header.setSize(member.size());
  header.setMagic();
  if (!sink.put(bytesOf(&header), sizeof header)) {
    reportWriteError("Could not write member header for '" + member.cName + "' in library file '" +
                     libraryName + "'. ");
    return false;
  }
  // Coff::write reports its own failures.
  return member.write(sink) != 0;
}

// The whole image, record by record; a refused record is reported and ends it.
bool writeImage(ByteSink& sink, const Archive& archive) {
  if (!sink.put(bytesOf(ARCHIVE_MAGIC), ARCHIVE_MAGIC_LENGTH)) {
    reportWriteError("Could not write archive magic string in library file '" + archive.cName + "'. ");
    return false;
  }
  for (const auto& member : archive.cMembers) {
    if (!writeMember(sink, *member, archive.cName)) return false;
  }
  return true;
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
  // Unbuffered, so that the sink's blocks go to the file as they are and
  // each write tells exactly how many bytes the file took.
  std::setvbuf(output.file(), nullptr, _IONBF, 0);
  BlockSink blocks(output.file());
  writeImage(blocks, *this);
  if (!blocks.finish()) {
    // The same records once more, into a sink that refuses the record the
    // file refused: the failure is named as the record that met it.
    LimitedSink upToTheFailure(blocks.accepted());
    if (writeImage(upToTheFailure, *this)) reportWriteError(openError);
    return 0;
  }
  if (!output.commit()) {
    reportWriteError(openError);
    return 0;
  }
  return 1;
}
