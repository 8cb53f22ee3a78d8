#include "library_image.h"

#include <cstring>
#include <deque>
#include <utility>

#include "archive.h"
#include "debug_switches.h"
#include "first_definitions.h"
#include "qassert.h"

namespace {

// A library up to this size is read whole, so that its members' bytes are
// at hand; a larger one is read as Archive::make reads it, every member
// parsed.
constexpr uint64_t kWholeLibraryLimit = uint64_t{1} << 30;

}  // namespace

bool LibraryImage::read(const std::string& path) {
  cName = path;
  cSource = openLibraryFile(path);
  if (!cSource) return false;
  cSource->holdWholeFile(kWholeLibraryLimit);
  const auto parse = [this](BoundedReader& source, const std::string& name, uint64_t start) {
    return addMember(source, name, start);
  };
  if (!readLibraryMembers(*cSource, path, parse)) return false;
  // Without the bytes at hand every member is parsed; the file is done with.
  if (cSource->heldBytes().empty()) cSource.reset();
  makeSymbols();
  return true;
}

std::optional<uint64_t> LibraryImage::addMember(BoundedReader& source, const std::string& name,
                                                uint64_t start) {
  Member member;
  member.name = name;
  member.start = start;
  member.firstGlobal = cGlobals.size();
  const std::span<const uint8_t> held = source.heldBytes();
  if (!held.empty() && start <= held.size() &&
      readCanonicalImage(held.subspan(start), member.image, cGlobals)) {
    member.globalCount = cGlobals.size() - member.firstGlobal;
    // Hashed while the names are at hand in the cache.
    for (size_t k = member.firstGlobal; k < cGlobals.size(); ++k)
      cGlobalHashes.push_back(FirstDefinitions::hashOf(cGlobals[k]));
    cMembers.push_back(std::move(member));
    return cMembers.back().image.size;
  }
  member.object = Coff::make(source, start, name);
  if (!member.object) return std::nullopt;
  cMembers.push_back(std::move(member));
  return cMembers.back().object->size();
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
      take(cGlobals[k], cGlobalHashes[k]);
  }
  if (traceOn("Archive::makeSymbols")) traceSymbolIndex(cDefinitions.byName());
  return result;
}

namespace {

// A stretch of the library read that goes out as it is: members kept as
// their bytes whose headers would be written as they stand, one after the
// other. A library changed in one member is then written in a few large
// pieces.
class UnchangedStretch {
 public:
  explicit UnchangedStretch(std::span<const uint8_t> library) : cLibrary(library) {}

  // Takes the member (its header in front of it) when it continues the
  // stretch or starts one; false when it stands elsewhere.
  bool extend(uint64_t headerStart, uint64_t end) {
    if (cEnd != cStart && headerStart != cEnd) return false;
    if (cEnd == cStart) cStart = headerStart;
    cEnd = end;
    return true;
  }
  bool flush(ByteSink& sink) {
    const bool put = cEnd == cStart || sink.put(cLibrary.data() + cStart, cEnd - cStart);
    cStart = cEnd = 0;
    return put;
  }

 private:
  std::span<const uint8_t> cLibrary;
  uint64_t cStart = 0;
  uint64_t cEnd = 0;
};

}  // namespace

int LibraryImage::write() {
  return writeLibraryFile(cName, [this](ByteSink& sink, bool recordByRecord) {
    UnchangedStretch stretch(cSource ? cSource->heldBytes() : std::span<const uint8_t>());
    for (Member& member : cMembers) {
      if (!recordByRecord && headerUnchanged(member)) {
        const uint64_t headerStart = member.start - MemberHeader::SIZE;
        if (stretch.extend(headerStart, member.start + member.image.size)) continue;
        if (!stretch.flush(sink)) return false;
        stretch.extend(headerStart, member.start + member.image.size);
        continue;
      }
      if (!stretch.flush(sink) || !putMember(sink, member, recordByRecord)) return false;
    }
    return stretch.flush(sink);
  });
}

// A member kept as its bytes whose header in the library read is the one
// the writer would put in front of it.
bool LibraryImage::headerUnchanged(const Member& member) const {
  if (member.object || member.start < MemberHeader::SIZE) return false;
  MemberHeader header;
  header.setName(member.name);
  header.setDate(member.image.timeStamp);
  header.setSize(member.image.size);
  header.setMagic();
  return std::memcmp(&header, cSource->heldBytes().data() + member.start - MemberHeader::SIZE,
                     sizeof header) == 0;
}

bool LibraryImage::putMember(ByteSink& sink, Member& member, bool recordByRecord) {
  if (!member.object && recordByRecord) {
    // Bytes in the writer's own form parse without a word and write back
    // to the same bytes, here one record at a time.
    member.object = Coff::make(*cSource, member.start, member.name);
    QOR_ASSERT(member.object != nullptr);
  }
  if (member.object) {
    // As Archive::write: laid out afresh, the time stamp kept.
    member.object->layout();
    return putMemberHeader(sink, cName, member.name, member.timeStamp(), member.size()) &&
           member.object->write(sink) != 0;
  }
  return putMemberHeader(sink, cName, member.name, member.image.timeStamp, member.image.size) &&
         sink.put(cSource->heldBytes().data() + member.start, member.image.size);
}
