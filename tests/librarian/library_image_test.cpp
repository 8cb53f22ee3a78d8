// List, delete and replace keep members in the writer's own form as their
// bytes. Against Archive, which parses every member, on libraries that mix
// such members with others (an older layout, a function line pointer the
// layout changes, udata bytes stored, a header the writer would write
// otherwise, a symbol defined twice): the same messages, members and
// written bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "archive.h"
#include "archiver.h"
#include "byte_order.h"
#include "captured_output.h"
#include "debug_switches.h"
#include "diagnostics.h"
#include "library_image.h"
#include "object_builder.h"
#include "process_runner.h"

using qortest::ObjectBuilder;

namespace {

using Bytes = std::vector<uint8_t>;

struct Member {
  std::string headerName;  // as the name field holds it, before the '/'
  Bytes image;
  std::string date;  // the date field's text; empty: the image's stamp
};

Bytes withFunction(const std::string& name, uint32_t stamp, uint32_t linePointer) {
  return ObjectBuilder(name)
      .timeStamp(stamp)
      .code(".code")
      .bytes({1, 2, 3, 4})
      .line(0, 3, 0, 0)
      .line(0, 4, 2, 0)
      .symbol(name + "_fn", 0, 1, C_EXT, DT_FCN << 4)
      .aux(AuxFcn{0, 4, linePointer, 0})
      .image();
}

// A library as another tool might have written it: headers as given.
Bytes libraryOf(const std::vector<Member>& members) {
  Bytes library(ARCHIVE_MAGIC, ARCHIVE_MAGIC + ARCHIVE_MAGIC_LENGTH);
  for (const Member& member : members) {
    MemberHeader header;
    header.setName(member.headerName);
    header.setDate(member.image.size() >= 8 ? readLe32(&member.image[4]) : 0);
    header.setSize(static_cast<uint32_t>(member.image.size()));
    header.setMagic();
    if (!member.date.empty()) {
      std::fill(std::begin(header.ar_date), std::end(header.ar_date), '\0');
      std::copy(member.date.begin(), member.date.end(), header.ar_date);
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(&header);
    library.insert(library.end(), bytes, bytes + sizeof header);
    library.insert(library.end(), member.image.begin(), member.image.end());
  }
  return library;
}

std::vector<Member> mixedMembers() {
  const Bytes canonical = withFunction("plain.o", 100, 0);
  // The layout points the function at its second line entry; this one
  // points elsewhere and is written back changed.
  Bytes misPointed = withFunction("pointer.o", 200, 0);
  const uint32_t symbols = readLe32(&misPointed[8]);
  writeLe32(&misPointed[symbols + SymbolEntry::SIZE + 8], 0x99);
  // udata bytes stored at the raw data: read, but never written.
  Bytes udata =
      ObjectBuilder("bss.o").timeStamp(300).udata(".bss", 4).global("bss_item", 0, 1).image();
  writeLe32(&udata[36 + 20], 36 + SectionHeader::SIZE);
  // The older layout (no optional header): announced when read, written in
  // the current one.
  Bytes older = ObjectBuilder("old.o").timeStamp(400).global("old_entry", 0, N_ABS).image();
  older.erase(older.begin() + FileHeader::SIZE, older.begin() + 36);
  older[16] = 0;
  writeLe32(&older[8], readLe32(&older[8]) - OptionalHeader::SIZE);
  const Bytes twin = withFunction("plain.o", 500, 0);  // plain.o_fn once more
  return {{"plain.o", canonical, ""},
          {"pointer.o", misPointed, ""},
          {"bss.o", udata, ""},
          // The name cut before its last '/' keeps the first.
          {"dir/old.o/", older, ""},
          {"dated.o", withFunction("dated.o", 600, 0), "0600"},
          {"twin.o", twin, ""},
          {"plain.o", withFunction("second.o", 700, 0), ""}};
}

struct Outcome {
  std::string messages;
  std::string trace;
  int result = 0;
  std::string written;
};

// Runs `command` on the library written to `path`; what it said and left.
Outcome outcomeOf(const std::string& path, const Bytes& library,
                  const std::function<int()>& command) {
  EXPECT_TRUE(qortest::writeFileBytes(path, library));
  Outcome outcome;
  {
    qortest::CapturedOutput captured;
    setSwitch("Archive::makeSymbols", 1);
    outcome.result = command();
    setSwitch("Archive::makeSymbols", 0);
    outcome.messages = captured.errors();
    outcome.trace = captured.output();
  }
  outcome.written = qortest::readFile(path);
  return outcome;
}

void expectSame(const Outcome& byArchive, const Outcome& byImage, const std::string& what) {
  EXPECT_EQ(byImage.result, byArchive.result) << what;
  EXPECT_EQ(byImage.messages, byArchive.messages) << what;
  EXPECT_EQ(byImage.trace, byArchive.trace) << what;
  EXPECT_EQ(byImage.written, byArchive.written) << what;
}

// The commands as they were before members were kept as bytes.
int deleteByArchive(const std::string& path, const std::string& name) {
  std::unique_ptr<Archive> archive = Archive::make(path);
  if (!archive) return 0;
  for (auto member = archive->cMembers.begin(); member != archive->cMembers.end(); ++member) {
    if ((*member)->cName != name) continue;
    archive->cMembers.erase(member);
    return archive->makeSymbols() ? archive->write() : 0;
  }
  reportError("Archiver::cmdDelete", "'", name, "' is not a member of library '", path, "'.");
  return 0;
}

int replaceByArchive(const std::string& path, const std::vector<std::string>& names) {
  std::unique_ptr<Archive> archive = Archive::make(path);
  if (!archive) return 0;
  for (const std::string& name : names) {
    std::unique_ptr<Coff> replacement = Coff::make(name);
    if (!replacement) return 0;
    auto member = std::find_if(archive->cMembers.begin(), archive->cMembers.end(),
                               [&](const auto& held) { return held->cName == name; });
    if (member == archive->cMembers.end()) {
      archive->cMembers.push_back(std::move(replacement));
    } else {
      *member = std::move(replacement);
    }
  }
  return archive->makeSymbols() ? archive->write() : 0;
}

int byArchiver(uint8_t command, const std::string& path, const std::vector<std::string>& names) {
  Archiver archiver;
  archiver.setCommand(command, path, names);
  return archiver.execute();
}

TEST(LibraryImage, ReadsTheMembersArchiveReads) {
  qortest::ScratchDir dir;
  const std::string path = dir.file("mixed.lib");
  const Bytes library = libraryOf(mixedMembers());
  std::unique_ptr<Archive> archive;
  LibraryImage image;
  const Outcome byArchive =
      outcomeOf(path, library, [&] { return (archive = Archive::make(path)) ? 1 : 0; });
  const Outcome byImage = outcomeOf(path, library, [&] { return image.read(path) ? 1 : 0; });
  expectSame(byArchive, byImage, "read");
  EXPECT_NE(byImage.trace, "");
  EXPECT_NE(byImage.messages.find("missing optional file header"), std::string::npos);
  EXPECT_NE(byImage.messages.find("'plain.o_fn' has multiple external definitions"),
            std::string::npos);
  ASSERT_TRUE(archive);
  ASSERT_EQ(image.cMembers.size(), archive->cMembers.size());
  size_t keptAsBytes = 0;
  for (size_t k = 0; k < archive->cMembers.size(); ++k) {
    const Coff& parsed = *archive->cMembers[k];
    EXPECT_EQ(image.cMembers[k].name, parsed.cName) << k;
    EXPECT_EQ(image.cMembers[k].size(), parsed.size()) << k;
    EXPECT_EQ(image.cMembers[k].timeStamp(), parsed.cFileHdr.f_timdat) << k;
    keptAsBytes += image.cMembers[k].object ? 0 : 1;
  }
  EXPECT_EQ(keptAsBytes, 4u);  // plain, dated, twin and the second plain
}

// Replacements are named as typed, relative to the working directory.
class InDirectory {
 public:
  explicit InDirectory(const std::string& directory) : cBefore(std::filesystem::current_path()) {
    std::filesystem::current_path(directory);
  }
  ~InDirectory() { std::filesystem::current_path(cBefore); }

 private:
  std::filesystem::path cBefore;
};

TEST(LibraryImage, DeleteAndReplaceWriteWhatArchiveWrites) {
  qortest::ScratchDir dir;
  InDirectory here(dir.path());
  const std::string path = dir.file("mixed.lib");
  ObjectBuilder("pointer.o")
      .timeStamp(800)
      .code(".code")
      .bytes({7, 7})
      .global("fresh", 0, 1)
      .writeFile(dir.file("pointer.o"));
  ObjectBuilder("new.o")
      .timeStamp(900)
      .code(".code")
      .bytes({8})
      .global("newest", 0, 1)
      .writeFile(dir.file("new.o"));
  // Without the last two members no symbol is defined twice, so the
  // commands write; with them they fail after the index check.
  std::vector<Member> unique = mixedMembers();
  unique.resize(unique.size() - 2);
  int written = 0;
  for (const Bytes& library : {libraryOf(unique), libraryOf(mixedMembers())}) {
    for (const std::string name : {"plain.o", "bss.o", "dir/old.o/", "dated.o", "missing.o"}) {
      const Outcome byImage =
          outcomeOf(path, library, [&] { return byArchiver(CMD_DELETE, path, {name}); });
      expectSame(outcomeOf(path, library, [&] { return deleteByArchive(path, name); }), byImage,
                 "delete " + name);
      written += byImage.result;
    }
    for (const std::vector<std::string>& names :
         {std::vector<std::string>{"pointer.o"}, std::vector<std::string>{"new.o", "pointer.o"}}) {
      const Outcome byImage =
          outcomeOf(path, library, [&] { return byArchiver(CMD_REPLACE, path, names); });
      expectSame(outcomeOf(path, library, [&] { return replaceByArchive(path, names); }), byImage,
                 "replace " + names.front());
      written += byImage.result;
    }
  }
  // Four deletions and two replacements without the twin, and the deletion
  // of the first plain.o, which ends the double definition.
  EXPECT_EQ(written, 7);
}

}  // namespace
