#include "library_image.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <utility>

#include "archive.h"
#include "debug_switches.h"

namespace {

// Unchanged members go from the library read to the new one in pieces of
// this size.
constexpr size_t kCopyPiece = size_t{1} << 20;

}  // namespace

bool LibraryImage::read(const std::string& path) {
  cName = path;
  cSource = openLibraryFile(path);
  if (!cSource) return false;
  const auto parse = [this](BoundedReader& source, const std::string& name, uint64_t start) {
    return addMember(source, name, start);
  };
  if (!readLibraryMembers(*cSource, path, parse)) return false;
  makeSymbols();
  return true;
}

std::optional<uint64_t> LibraryImage::addMember(BoundedReader& source, const std::string& name,
                                                uint64_t start) {
  Member member;
  member.name = name;
  member.start = start;
  if (keepAsBytes(source, member)) {
    cMembers.push_back(std::move(member));
    return cMembers.back().image.size;
  }
  // Another form, or one larger than the bytes at hand: parsed as always.
  uint64_t storedLength = 0;
  member.object = Coff::make(source, start, name, storedLength);
  if (!member.object) return std::nullopt;
  cMembers.push_back(std::move(member));
  return storedLength;
}

// A member in the writer's own form among the bytes at hand: its defined
// externals are kept (the bytes at hand change with the next read).
bool LibraryImage::keepAsBytes(BoundedReader& source, Member& member) {
  cScanNames.clear();
  if (!readCanonicalImage(source.bytesAt(member.start), member.image, cScanNames)) return false;
  member.firstGlobal = cGlobals.size();
  member.globalCount = cScanNames.size();
  for (const std::string_view name : cScanNames) {
    cGlobals.push_back({cNameText.size(), name.size(), FirstDefinitions::hashOf(name)});
    cNameText.append(name);
  }
  member.headerAsWritten = headerAsWritten(source, member);
  return true;
}

bool LibraryImage::headerAsWritten(BoundedReader& source, const Member& member) const {
  MemberHeader held;
  if (!source.read(member.start - MemberHeader::SIZE, sizeof held,
                   reinterpret_cast<uint8_t*>(&held)))
    return false;
  const MemberHeader written =
      MemberHeader::asWritten(member.name, member.image.timeStamp, member.image.size);
  return std::memcmp(&held, &written, sizeof held) == 0;
}

int LibraryImage::makeSymbols() {
  cDefinitions.clear(cGlobals.size());
  // The names of parsed members stay here while the index is checked.
  std::deque<std::string> parsedNames;
  int result = 1;
  for (const Member& member : cMembers) {
    const auto take = [&](std::string_view name, size_t hash) {
      if (cDefinitions.take(name, hash, &member.name)) return;
      reportMultipleDefinitions(std::string(name));
      result = 0;
    };
    if (member.object) {
      forEachDefinedGlobal(*member.object, [&](const std::string& name) {
        take(parsedNames.emplace_back(name), FirstDefinitions::hashOf(name));
      });
      continue;
    }
    for (size_t k = member.firstGlobal; k < member.firstGlobal + member.globalCount; ++k)
      take(std::string_view(cNameText).substr(cGlobals[k].offset, cGlobals[k].length),
           cGlobals[k].hash);
  }
  if (traceOn("Archive::makeSymbols")) traceSymbolIndex(cDefinitions.byName());
  return result;
}

namespace {

// A stretch of the library read that goes out as it is: members kept as
// their bytes whose headers are as the writer writes them, one after the
// other. A library changed in one member is then written in a few large
// pieces.
class UnchangedStretch {
 public:
  // Takes the member (its header in front of it) when it continues the
  // stretch or starts one; false when it stands elsewhere.
  bool extend(uint64_t headerStart, uint64_t end) {
    if (cEnd != cStart && headerStart != cEnd) return false;
    if (cEnd == cStart) cStart = headerStart;
    cEnd = end;
    return true;
  }
  // The stretch so far, which is then empty.
  std::pair<uint64_t, uint64_t> take() {
    const std::pair<uint64_t, uint64_t> taken(cStart, cEnd);
    cStart = cEnd = 0;
    return taken;
  }

 private:
  uint64_t cStart = 0;
  uint64_t cEnd = 0;
};

}  // namespace

int LibraryImage::write() {
  const auto putMembers = [this](ByteSink& sink, bool recordByRecord) {
    UnchangedStretch stretch;
    const auto flush = [&]() {
      const auto [start, end] = stretch.take();
      return start == end || copyFromLibrary(sink, start, end);
    };
    for (Member& member : cMembers) {
      if (!recordByRecord && !member.object && member.headerAsWritten) {
        const uint64_t headerStart = member.start - MemberHeader::SIZE;
        const uint64_t end = member.start + member.image.size;
        if (stretch.extend(headerStart, end)) continue;
        if (!flush()) return false;
        stretch.extend(headerStart, end);
        continue;
      }
      if (!flush() || !putMember(sink, member, recordByRecord)) return false;
    }
    return flush();
  };
  // Written where it stands (a device or a pipe), the library would lose
  // the bytes still to be copied from it: they are read into memory first.
  const auto holdLibrary = [this]() { return cSource->holdWholeFile(UINT64_MAX); };
  return writeLibraryFile(cName, putMembers, holdLibrary);
}

bool LibraryImage::putMember(ByteSink& sink, Member& member, bool recordByRecord) {
  if (!member.object && recordByRecord) {
    // Bytes in the writer's own form parse without a word and write back
    // to the same bytes, here one record at a time.
    member.object = Coff::make(*cSource, member.start, member.name);
    if (!member.object) return false;
  }
  if (member.object) {
    // As Archive::write: laid out afresh, the time stamp kept.
    member.object->layout();
    return putMemberHeader(sink, cName, member.name, member.timeStamp(), member.size()) &&
           member.object->write(sink) != 0;
  }
  return putMemberHeader(sink, cName, member.name, member.image.timeStamp, member.image.size) &&
         copyFromLibrary(sink, member.start, member.start + member.image.size);
}

// The bytes were checked when the library was read; a file that no longer
// holds them (cut short meanwhile) is reported as a library missing a
// member, and nothing replaces it.
bool LibraryImage::copyFromLibrary(ByteSink& sink, uint64_t start, uint64_t end) {
  const std::span<const uint8_t> held = cSource->heldBytes();
  if (!held.empty() && end <= held.size()) return sink.put(held.data() + start, end - start);
  cCopyBuffer.resize(static_cast<size_t>(std::min<uint64_t>(kCopyPiece, end - start)));
  for (uint64_t at = start; at < end;) {
    const size_t piece = static_cast<size_t>(std::min<uint64_t>(cCopyBuffer.size(), end - at));
    if (!cSource->read(at, piece, cCopyBuffer.data())) {
      reportMissingMember(cName);
      return false;
    }
    if (!sink.put(cCopyBuffer.data(), piece)) return false;
    at += piece;
  }
  return true;
}
