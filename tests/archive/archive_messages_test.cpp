// Every message of reading and writing a library, broken and truncated
// libraries, and write failures that must neither pass as success nor
// destroy the library that was there before.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "archive_test_helpers.h"
#include "file_size_limit.h"
#include "unblocked_pipe.h"

using namespace archivetest;
using qortest::FileSizeLimit;
using qortest::ScratchDir;

namespace {

std::unique_ptr<Archive> readBytes(const ScratchDir& dir, const Bytes& bytes,
                                   const std::string& name = "test.lib") {
  std::string path = dir.file(name);
  EXPECT_TRUE(qortest::writeFileBytes(path, bytes));
  return Archive::make(path);
}

Bytes objectImage(const std::string& name, const std::vector<std::string>& globals) {
  return objectDefining(name, globals).image();
}

std::vector<std::string> filesIn(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(ArchiveRead, CannotOpen) {
  ScratchDir dir;
  CapturedOutput captured;
  std::string path = dir.file("absent.lib");
  EXPECT_FALSE(Archive::make(path));
  EXPECT_EQ(captured.errors(), "Error - Could not open library file '" + path + "' for reading.\n");
  EXPECT_EQ(errorCount(), 1u);
}

// A pipe could keep the reader waiting for a writer that never comes.
TEST(ArchiveRead, APipeIsNotOpened) {
  ScratchDir dir;
  const std::string path = dir.file("pipe.lib");
  qortest::UnblockedPipe pipe(path);
  CapturedOutput captured;
  EXPECT_FALSE(Archive::make(path));
  EXPECT_EQ(captured.errors(), "Error - Could not open library file '" + path + "' for reading.\n");
}

TEST(ArchiveRead, ShortOrWrongMagic) {
  ScratchDir dir;
  {
    CapturedOutput captured;
    EXPECT_FALSE(readBytes(dir, Bytes{'!', '<', 'a', 'r', 'c', 'h', '>'}));
    EXPECT_EQ(captured.errors(), "Error - Could not read archive magic string in library file '" +
                                     dir.file("test.lib") + "'.\n");
  }
  {
    CapturedOutput captured;
    EXPECT_FALSE(readBytes(dir, Bytes{}));
    EXPECT_EQ(errorCount(), 1u);
  }
  {
    CapturedOutput captured;
    EXPECT_FALSE(readBytes(dir, Bytes{'!', '<', 'a', 'r', 'c', 'h', '>', '\r', '\n'}));
    EXPECT_EQ(captured.errors(),
              "Error - File '" + dir.file("test.lib") + "' is not a valid library file.\n");
  }
}

TEST(ArchiveRead, HeaderThatEndsTheFileHasAnUnreadableMember) {
  // Seeking to the end of the file succeeds: the member parse is what fails.
  ScratchDir dir;
  Bytes library = magicBytes();
  append(library, headerBytes("lonely.o", 0, 100));
  CapturedOutput captured;
  EXPECT_FALSE(readBytes(dir, library));
  EXPECT_EQ(captured.errors(),
            "Error - Coff file 'lonely.o' could not read file header.\n"
            "Error - Could not build member 'lonely.o' in library file '" +
                dir.file("test.lib") + "'. \n");
}

TEST(ArchiveRead, GarbageMember) {
  ScratchDir dir;
  Bytes library =
      libraryBytes({{"good.o", objectImage("good.o", {"g"})}, {"bad.o", Bytes(64, 0x41)}});
  CapturedOutput captured;
  EXPECT_FALSE(readBytes(dir, library));
  EXPECT_EQ(captured.errors(),
            "Error - Coff file 'bad.o' does not appear to be a valid COFF file.\n"
            "Error - Could not build member 'bad.o' in library file '" +
                dir.file("test.lib") + "'. \n");
}

std::string missingMember(const ScratchDir& dir) {
  return "Error - Library file '" + dir.file("test.lib") + "' has a missing member object file.\n";
}

TEST(ArchiveRead, TruncatedLibraries) {
  ScratchDir dir;
  Bytes whole =
      libraryBytes({{"a.o", objectImage("a.o", {"a"})}, {"b.o", objectImage("b.o", {"bee"})}});
  const size_t firstEnd = 8 + 280 + objectImage("a.o", {"a"}).size();
  const size_t secondImageStart = firstEnd + 280;
  // Cut anywhere inside the second image: that member cannot be built.
  for (size_t cut :
       {secondImageStart + 1, secondImageStart + 19, secondImageStart + 40, whole.size() - 1}) {
    CapturedOutput captured;
    Bytes library(whole.begin(), whole.begin() + static_cast<long>(cut));
    EXPECT_FALSE(readBytes(dir, library)) << cut;
    EXPECT_EQ(errorCount(), 2u) << cut << captured.errors();
    EXPECT_NE(captured.errors().find("Error - Could not build member 'b.o' in library file '"),
              std::string::npos)
        << cut;
  }
  // Cut anywhere inside the second header, as an interrupted copy leaves
  // it: a member is missing.
  for (size_t cut = firstEnd + 1; cut < secondImageStart; ++cut) {
    CapturedOutput captured;
    EXPECT_FALSE(readBytes(dir, Bytes(whole.begin(), whole.begin() + static_cast<long>(cut))))
        << cut;
    EXPECT_EQ(captured.errors(), missingMember(dir)) << cut;
  }
  // Cut between the members: a library of the first.
  CapturedOutput captured;
  auto archive = readBytes(dir, Bytes(whole.begin(), whole.begin() + static_cast<long>(firstEnd)));
  ASSERT_TRUE(archive);
  EXPECT_EQ(memberNames(*archive), std::vector<std::string>{"a.o"});
  EXPECT_EQ(captured.errors(), "");
}

TEST(ArchiveRead, TrailingBytesAfterTheLastMember) {
  ScratchDir dir;
  Bytes library = libraryBytes({{"a.o", objectImage("a.o", {"a"})}});
  for (size_t extra : {1u, 100u, 279u}) {
    CapturedOutput captured;
    Bytes trailing = library;
    trailing.insert(trailing.end(), extra, 0x20);
    EXPECT_FALSE(readBytes(dir, trailing)) << extra;
    EXPECT_EQ(captured.errors(), missingMember(dir)) << extra;
  }
  // A whole header's worth of bytes is taken for a header.
  CapturedOutput captured;
  Bytes trailing = library;
  append(trailing, headerBytes("junk.o", 0, 0));
  trailing.insert(trailing.end(), 30, 0);
  EXPECT_FALSE(readBytes(dir, trailing));
  EXPECT_NE(captured.errors().find("Error - Could not build member 'junk.o' in library file '"),
            std::string::npos);
}

// The size field of the member at `headerStart` blanked: it holds no
// number, so only the member's own layout measures it.
void blankSizeField(Bytes& library, size_t headerStart) {
  std::fill_n(library.begin() + static_cast<long>(headerStart + 268), 10, ' ');
}

// A member measured longer than the bytes left (its code claims 4 KiB of
// zeros that the image does not hold) is a missing member wherever it
// stands: taken as the end of the library, it would hide every member
// behind it. Measured to end exactly at the end of the file, with a header
// that records that length, it is whole.
TEST(ArchiveRead, MemberMeasuredPastTheEndOfTheFile) {
  ScratchDir dir;
  Bytes damaged = objectImage("bad.o", {"bad"});
  qortest::claimZeroFilledBytes(damaged, 0, 4096);
  for (size_t position = 0; position < 3; ++position) {
    std::vector<std::pair<std::string, Bytes>> members = {{"a.o", objectImage("a.o", {"a"})},
                                                          {"b.o", objectImage("b.o", {"b"})}};
    members.insert(members.begin() + static_cast<long>(position), {"bad.o", damaged});
    CapturedOutput captured;
    EXPECT_FALSE(readBytes(dir, libraryBytes(members))) << position;
    EXPECT_EQ(captured.errors(), missingMember(dir)) << position;
  }
  const size_t measured = 4096 - 4 + damaged.size();
  Bytes library = libraryBytes({{"a.o", objectImage("a.o", {"a"})}, {"bad.o", damaged}});
  const size_t badHeader = library.size() - damaged.size() - 280;
  const Bytes recorded = headerBytes("bad.o", 0, static_cast<uint32_t>(measured));
  std::copy(recorded.begin(), recorded.end(), library.begin() + static_cast<long>(badHeader));
  library.resize(library.size() - damaged.size() + measured - 1, 0);
  {
    CapturedOutput captured;
    EXPECT_FALSE(readBytes(dir, library));
    EXPECT_EQ(captured.errors(), missingMember(dir));
  }
  library.push_back(0);
  CapturedOutput captured;
  const auto archive = readBytes(dir, library);
  ASSERT_TRUE(archive);
  EXPECT_EQ(memberNames(*archive), (std::vector<std::string>{"a.o", "bad.o"}));
  EXPECT_EQ(archive->cMembers[1]->size(), measured);
  EXPECT_EQ(captured.errors(), "");
}

TEST(ArchiveRead, MagicAloneIsAnEmptyLibrary) {
  ScratchDir dir;
  CapturedOutput captured;
  auto archive = readBytes(dir, magicBytes());
  ASSERT_TRUE(archive);
  EXPECT_EQ(archive->cName, dir.file("test.lib"));
  EXPECT_TRUE(archive->cMembers.empty());
  EXPECT_EQ(captured.errors(), "");
}

// The next header is found from the member's own layout; a size field
// that holds a number must record that length, one that holds none is not
// read.
TEST(ArchiveRead, HeaderSizeFieldMustRecordTheMeasuredLength) {
  ScratchDir dir;
  const Bytes first = objectImage("a.o", {"a"});
  for (const uint32_t size :
       {uint32_t(first.size()) + 1, uint32_t(first.size()) - 1, 4000000000u, 0u}) {
    Bytes library = magicBytes();
    append(library, headerBytes("a.o", 0, size));
    append(library, first);
    append(library, headerBytes("b.o", 0, 1));
    append(library, objectImage("b.o", {"b"}));
    {
      CapturedOutput captured;
      EXPECT_FALSE(readBytes(dir, library)) << size;
      EXPECT_EQ(captured.errors(), missingMember(dir)) << size;
    }
    // Without numbers in the fields, the same library reads whole.
    blankSizeField(library, 8);
    blankSizeField(library, 8 + 280 + first.size());
    CapturedOutput captured;
    auto archive = readBytes(dir, library);
    ASSERT_TRUE(archive);
    EXPECT_EQ(memberNames(*archive), (std::vector<std::string>{"a.o", "b.o"}));
    EXPECT_EQ(captured.errors(), "");
  }
}

TEST(ArchiveWrite, CannotOpen) {
  ScratchDir dir;
  for (const std::string& path : {dir.file("no/such/dir.lib"), dir.path()}) {
    CapturedOutput captured;
    Archive archive;
    archive.cName = path;
    EXPECT_EQ(archive.write(), 0);
    EXPECT_EQ(captured.errors(),
              "Error - Could not open library file '" + path + "' for writing.\n");
  }
  EXPECT_TRUE(std::filesystem::is_directory(dir.path()));
}

TEST(ArchiveWrite, FailuresKeepTheOldLibrary) {
  ScratchDir dir;
  const std::string path = dir.file("keep.lib");
  const Bytes old = libraryBytes({{"old.o", objectImage("old.o", {"old"})}});
  Archive archive;
  archive.cName = path;
  archive.cMembers.push_back(objectDefining("a.o", {"a"}).coff());
  const rlim_t rawDataAt = 8 + 280 + FileHeader::SIZE + OptionalHeader::SIZE + SectionHeader::SIZE;

  struct Case {
    rlim_t limit;
    std::string message;
  };
  const std::vector<Case> cases = {
      {4, "Error - Could not write archive magic string in library file '" + path + "'. \n"},
      {100, "Error - Could not write member header for 'a.o' in library file '" + path + "'. \n"},
      // The member's own write fails and says so; the library write fails with it.
      {8 + 280 + 10, "Error - Coff file 'a.o' could not write file header.\n"},
      // The library goes out in large blocks; a failure is still named by the
      // record that holds the first byte the file refused.
      {rawDataAt + 3, "Error - Coff file 'a.o' could not write raw data.\n"},
      {rawDataAt + 4, "Error - Coff file 'a.o' could not write symbol.\n"},
      {rawDataAt + 4 + SymbolEntry::SIZE,
       "Error - Coff file 'a.o' could not write string table length.\n"},
  };
  for (const auto& failure : cases) {
    ASSERT_TRUE(qortest::writeFileBytes(path, old));
    CapturedOutput captured;
    int result;
    {
      FileSizeLimit limit(failure.limit);
      result = archive.write();
    }
    EXPECT_EQ(result, 0) << failure.limit;
    EXPECT_EQ(captured.errors(), failure.message);
    EXPECT_EQ(qortest::readFileBytes(path), old) << failure.limit;
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"keep.lib"});
  }
}

// A pipe is written where it stands, the whole library at once (the write
// used to ask the pipe for its position before each member and stop,
// saying nothing, after the first header).
TEST(ArchiveWrite, APipeWithAReaderGetsTheWholeLibrary) {
  ScratchDir dir;
  const std::string path = dir.file("pipe.lib");
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  const int reader = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  Archive archive;
  archive.cName = path;
  archive.cMembers.push_back(objectDefining("a.o", {"a"}).coff());
  archive.cMembers.push_back(objectDefining("b.o", {"b"}).coff());
  CapturedOutput captured;
  EXPECT_EQ(archive.write(), 1);
  EXPECT_EQ(captured.errors(), "");
  Bytes received(4096);
  const ssize_t count = ::read(reader, received.data(), received.size());
  ::close(reader);
  received.resize(count > 0 ? static_cast<size_t>(count) : 0);
  EXPECT_EQ(received,
            libraryBytes({{"a.o", objectImage("a.o", {"a"})}, {"b.o", objectImage("b.o", {"b"})}}));
}

TEST(ArchiveWrite, ReplacesAnExistingLibraryKeepingItsPermissions) {
  ScratchDir dir;
  const std::string path = dir.file("perm.lib");
  ASSERT_TRUE(qortest::writeFileBytes(path, Bytes(5000, 0x33)));
  namespace fs = std::filesystem;
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  Archive archive;
  archive.cName = path;
  archive.cMembers.push_back(objectDefining("a.o", {"a"}).coff());
  ASSERT_EQ(archive.write(), 1);
  EXPECT_EQ(qortest::readFileBytes(path), libraryBytes({{"a.o", objectImage("a.o", {"a"})}}));
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"perm.lib"});
}

TEST(ArchiveWrite, NameWithNoRoomForATemporaryIsWrittenDirectly) {
  ScratchDir dir;
  const std::string name = std::string(251, 'n') + ".lib";  // the longest a file name may be
  Archive archive;
  archive.cName = dir.file(name);
  archive.cMembers.push_back(objectDefining("a.o", {"a"}).coff());
  CapturedOutput captured;
  ASSERT_EQ(archive.write(), 1) << captured.errors();
  EXPECT_EQ(qortest::readFileBytes(archive.cName),
            libraryBytes({{"a.o", objectImage("a.o", {"a"})}}));
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{name});
}

TEST(ArchiveWrite, LinkToALibraryStaysALink) {
  ScratchDir dir;
  namespace fs = std::filesystem;
  ASSERT_TRUE(qortest::writeFileBytes(dir.file("real.lib"), magicBytes()));
  fs::create_symlink("real.lib", dir.file("link.lib"));
  Archive archive;
  archive.cName = dir.file("link.lib");
  archive.cMembers.push_back(objectDefining("a.o", {"a"}).coff());
  ASSERT_EQ(archive.write(), 1);
  EXPECT_TRUE(fs::is_symlink(dir.file("link.lib")));
  EXPECT_EQ(qortest::readFileBytes(dir.file("real.lib")),
            libraryBytes({{"a.o", objectImage("a.o", {"a"})}}));
  EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"link.lib", "real.lib"}));
}
