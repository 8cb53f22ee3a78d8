// Reads arbitrary bytes as a library: Archive::make must end in a message or
// an archive, never in a crash, a hang or a huge allocation. A library read
// must account for every byte of its file, the index, the member copies and
// the dump must work on whatever it read, the library written from it must
// read back as written, and the librarian's delete of one member must give
// back every other member byte for byte.
#include <algorithm>
#include <memory>
#include <sstream>
#include <utility>

#include "archive.h"
#include "archiver.h"
#include "bounded_reader.h"
#include "coff.h"
#include "fuzz_support.h"

namespace {

// Zero-filled sections may be megabytes long: copies, dumps and rewrites of
// those are slow without finding more, so they are made of smaller
// libraries only.
uint64_t rawDataBytes(const Archive& archive) {
  uint64_t total = 0;
  for (const auto& member : archive.cMembers) total += qorfuzz::sectionBytes(*member);
  return total;
}

void exercise(const Archive& archive) {
  const bool small = rawDataBytes(archive) <= 65536;
  Archive copy(archive);
  size_t handedOut = 0;
  for (const auto& [symbol, member] : archive.cSymbols) {
    if (copy.hasSymbol(symbol) != 1) qorfuzz::fail("a copy lost an indexed symbol");
    if (small || handedOut++ < 2) {
      if (!archive.getMember(symbol)) qorfuzz::fail("getMember of an indexed symbol gave none");
    }
  }
  if (small) {
    std::ostringstream sink;
    copy.dump(sink);
  }
}

// Each member's record (its header and image) in a library written from
// the archive, as the offsets at which it starts and ends.
std::vector<std::pair<uint64_t, uint64_t>> recordsOf(const Archive& archive) {
  std::vector<std::pair<uint64_t, uint64_t>> records;
  uint64_t offset = ARCHIVE_MAGIC_LENGTH;
  for (const auto& member : archive.cMembers) {
    const uint64_t end = offset + MemberHeader::SIZE + member->size();
    records.emplace_back(offset, end);
    offset = end;
  }
  return records;
}

// The members read cover the file: each measured as it is stored (an older
// layout's image is shorter than the one written from it), one behind the
// other, they end exactly where the file does, with no piece left over.
void checkEveryByteRead(const Archive& archive, const std::string& path, size_t fileLength) {
  BoundedReader reader(path);
  uint64_t offset = ARCHIVE_MAGIC_LENGTH;
  for (const auto& member : archive.cMembers) {
    uint64_t stored = 0;
    offset += MemberHeader::SIZE;
    if (!Coff::make(reader, offset, member->cName, stored)) qorfuzz::fail("a member read is gone");
    offset += stored;
  }
  if (offset != fileLength) qorfuzz::fail("the members read do not end where the library does");
}

// The written library reads back with the same members (names longer than a
// header holds come back cut) and writes again to the same bytes, which it
// answers.
std::vector<uint8_t> checkRewrite(Archive& archive) {
  archive.cName = qorfuzz::scratchPath("written.lib");
  if (archive.write() != 1) qorfuzz::fail("writing a library failed");
  std::vector<uint8_t> written = qorfuzz::readBytes(archive.cName);
  std::unique_ptr<Archive> reread = Archive::make(archive.cName);
  if (!reread) qorfuzz::fail("a written library does not read back");
  if (reread->cMembers.size() != archive.cMembers.size())
    qorfuzz::fail("members lost in a rewrite");
  for (size_t i = 0; i < archive.cMembers.size(); ++i) {
    std::string expected = archive.cMembers[i]->cName.substr(0, MemberHeader::MAX_NAME);
    if (reread->cMembers[i]->cName != expected) qorfuzz::fail("a member name changed in a rewrite");
  }
  if (reread->write() != 1) qorfuzz::fail("writing a library read back failed");
  if (qorfuzz::readBytes(reread->cName) != written)
    qorfuzz::fail("writing a library again changes its bytes");
  return written;
}

// The librarian deletes the first member of the name of member `chosen`.
// Every other member must come out as the writer writes it (so a member the
// library held in the writer's own form keeps its bytes): the library is the
// rewrite without that one record. A delete that fails (a symbol the members
// left define twice) must leave the library as it was.
void checkDelete(const uint8_t* data, size_t size, const Archive& archive,
                 const std::vector<uint8_t>& written, size_t chosen) {
  static const std::string path = qorfuzz::scratchPath("delete.lib");
  if (!qorfuzz::writeBytes(path, data, size)) qorfuzz::fail("library to delete from not written");
  const std::string& name = archive.cMembers[chosen]->cName;
  size_t first = 0;
  while (archive.cMembers[first]->cName != name) ++first;
  Archiver librarian;
  librarian.setCommand(CMD_DELETE, path, {name});
  const std::vector<uint8_t> before(data, data + size);
  if (librarian.execute() != 1) {
    if (qorfuzz::readBytes(path) != before) qorfuzz::fail("a failed delete changed the library");
    return;
  }
  const auto [start, end] = recordsOf(archive)[first];
  std::vector<uint8_t> expected(written.begin(), written.begin() + static_cast<ptrdiff_t>(start));
  expected.insert(expected.end(), written.begin() + static_cast<ptrdiff_t>(end), written.end());
  if (qorfuzz::readBytes(path) != expected)
    qorfuzz::fail("deleting a member changed the bytes of another");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qorfuzz::startInput();
  static const std::string input = qorfuzz::scratchPath("input.lib");
  if (!qorfuzz::writeBytes(input, data, size)) qorfuzz::fail("input file not written");
  qorfuzz::runUntilFatal([&] {
    std::unique_ptr<Archive> archive = Archive::make(input);
    if (!archive) return;
    checkEveryByteRead(*archive, input, size);
    exercise(*archive);
    if (rawDataBytes(*archive) > qorfuzz::MAX_REWRITTEN_SECTION_BYTES) return;
    const std::vector<uint8_t> written = checkRewrite(*archive);
    if (!archive->cMembers.empty())
      checkDelete(data, size, *archive, written, size % archive->cMembers.size());
  });
  return 0;
}
