// Reads arbitrary bytes as a library: Archive::make must end in a message or
// an archive, never in a crash, a hang or a huge allocation. The index, the
// member copies and the dump must work on whatever it read, and the library
// written from it must read back as written.
#include <memory>
#include <sstream>

#include "archive.h"
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

// The written library reads back with the same members (names longer than a
// header holds come back cut) and writes again to the same bytes.
void checkRewrite(Archive& archive) {
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
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qorfuzz::startInput();
  static const std::string input = qorfuzz::scratchPath("input.lib");
  if (!qorfuzz::writeBytes(input, data, size)) qorfuzz::fail("input file not written");
  qorfuzz::runUntilFatal([&] {
    std::unique_ptr<Archive> archive = Archive::make(input);
    if (!archive) return;
    exercise(*archive);
    if (rawDataBytes(*archive) <= qorfuzz::MAX_REWRITTEN_SECTION_BYTES) checkRewrite(*archive);
  });
  return 0;
}
