#include <cstdio>
#include <string>

#include "archive.h"
#include "byte_sink.h"
#include "coff.h"
#include "diagnostics.h"
#include "replacement_file.h"

namespace {

const char* const WRITE_CONTEXT = "Archive::write()";

void reportWriteError(const std::string& text) {
  reportMessage(SEVERITY_ERROR, WRITE_CONTEXT, text, 0);
}

const uint8_t* bytesOf(const void* record) { return static_cast<const uint8_t*>(record); }

}  // namespace

bool putMemberHeader(ByteSink& sink, const std::string& library, const std::string& member,
                     uint32_t date, uint32_t size) {
  // A longer size would lose its last digits, and the member header would
  // give a length the member does not have.
  if (size > MemberHeader::MAX_SIZE) {
    reportWriteError("Member '" + member + "' of library file '" + library + "' would be " +
                     std::to_string(size) + " bytes, more than the 999999999 a member header " +
                     "can record.");
    return false;
  }
  const MemberHeader header = MemberHeader::asWritten(member, date, size);
  if (sink.put(bytesOf(&header), sizeof header)) return true;
  reportWriteError("Could not write member header for '" + member + "' in library file '" +
                   library + "'. ");
  return false;
}

namespace {

// The whole image, record by record; a refused record is reported and ends it.
bool writeImage(ByteSink& sink, const std::string& path, const MemberWriter& putMembers,
                bool recordByRecord) {
  if (!sink.put(bytesOf(ARCHIVE_MAGIC), ARCHIVE_MAGIC_LENGTH)) {
    reportWriteError("Could not write archive magic string in library file '" + path + "'. ");
    return false;
  }
  return putMembers(sink, recordByRecord);
}

}  // namespace

int writeLibraryFile(const std::string& path, const MemberWriter& putMembers,
                     const std::function<bool()>& beforeWritingInPlace) {
  // The new library replaces the old one only when complete, so that a
  // failed write never destroys a library that was there before. A library
  // holds the only copy of its members: when its folder takes no temporary,
  // it is not cut and rewritten in place but refused.
  ReplacementFile output;
  output.keepWhole();
  const std::string openError = "Could not open library file '" + path + "' for writing.";
  if (!output.open(path, false, beforeWritingInPlace)) {
    reportWriteError(openError);
    return 0;
  }
  // Unbuffered, so that the sink's blocks go to the file as they are and
  // each write tells exactly how many bytes the file took.
  output.writeUnbuffered();
  BlockSink blocks(output.file());
  // The block sink takes every record, so an incomplete image is the
  // members' own failure, which they have reported: nothing replaces the
  // old library.
  const bool complete = writeImage(blocks, path, putMembers, false);
  if (!complete) return 0;
  if (!blocks.finish()) {
    // The same records once more, into a sink that refuses the record the
    // file refused: the failure is named as the record that met it.
    LimitedSink upToTheFailure(blocks.accepted());
    if (writeImage(upToTheFailure, path, putMembers, true)) reportWriteError(openError);
    return 0;
  }
  if (!output.commit()) {
    reportWriteError(openError);
    return 0;
  }
  return 1;
}

int Archive::write() {
  // Every member is laid out afresh (keeping its time stamp), so that its
  // pointers describe the image written, whatever block order its input had.
  return writeLibraryFile(cName, [this](ByteSink& sink, bool) {
    for (const auto& member : cMembers) {
      member->layout();
      // Coff::write reports its own failures.
      if (!putMemberHeader(sink, cName, member->cName, member->cFileHdr.f_timdat, member->size()) ||
          member->write(sink) == 0)
        return false;
    }
    return true;
  });
}
