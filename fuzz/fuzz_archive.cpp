// Reads arbitrary bytes as a library: Archive::make must end in a message or
// an archive, never in a crash, a hang or a huge allocation. The index, the
// member copies and the dump must work on whatever it read, and a library of
// well-formed members must read back as written.
#include <memory>
#include <sstream>

#include "archive.h"
#include "coff.h"
#include "fuzz_support.h"

namespace {

void exercise(const Archive& archive) {
  Archive copy(archive);
  for (const auto& [symbol, member] : archive.cSymbols) {
    if (!archive.getMember(symbol)) qorfuzz::fail("getMember of an indexed symbol gave none");
    if (copy.hasSymbol(symbol) != 1) qorfuzz::fail("a copy lost an indexed symbol");
  }
  std::ostringstream sink;
  copy.dump(sink);
}

bool membersVerify(const Archive& archive) {
  for (const auto& member : archive.cMembers) {
    if (member->verify() != 1) return false;
  }
  return true;
}

// The written library reads back with the same members (names longer than a
// header holds come back cut) and writes again to the same bytes.
void checkRewrite(Archive& archive) {
  archive.cName = qorfuzz::scratchPath("written.lib");
  if (archive.write() != 1) qorfuzz::fail("writing a library of verified members failed");
  std::vector<uint8_t> written = qorfuzz::readBytes(archive.cName);
  std::unique_ptr<Archive> reread = Archive::make(archive.cName);
  if (!reread) qorfuzz::fail("a written library does not read back");
  if (reread->cMembers.size() != archive.cMembers.size()) qorfuzz::fail("members lost in a rewrite");
  for (size_t i = 0; i < archive.cMembers.size(); ++i) {
    std::string expected = archive.cMembers[i]->cName.substr(0, MemberHeader::MAX_NAME);
    if (reread->cMembers[i]->cName != expected) qorfuzz::fail("a member name changed in a rewrite");
  }
  if (reread->write() != 1) qorfuzz::fail("writing a library read back failed");
  if (qorfuzz::readBytes(reread->cName) != written) qorfuzz::fail("writing a library again changes its bytes");
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
    if (membersVerify(*archive)) checkRewrite(*archive);
  });
  return 0;
}
