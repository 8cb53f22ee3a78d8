// The checked reads every reader of outside bytes goes through: the same
// bounds from a file opened by name, an open file and bytes in memory, and
// nothing allocated for a read that cannot fit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "bounded_reader.h"
#include "process_runner.h"
#include "unblocked_pipe.h"

namespace {

const std::string kText = "0123456789";

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Each kind of source over kText, read by `check`.
void forEachSource(const std::function<void(BoundedReader&, const char*)>& check) {
  qortest::ScratchDir dir;
  const std::string path = dir.file("ten.bin");
  qortest::writeFile(path, kText);
  {
    BoundedReader byName(path);
    check(byName, "opened by name");
  }
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  ASSERT_TRUE(file);
  {
    BoundedReader openFile(file.get());
    check(openFile, "open file");
  }
  // The caller's file is still open and usable.
  EXPECT_EQ(std::fseek(file.get(), 3, SEEK_SET), 0);
  EXPECT_EQ(std::fgetc(file.get()), '3');
  BoundedReader image(std::vector<uint8_t>(kText.begin(), kText.end()));
  check(image, "image");
}

std::string text(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(BoundedReader, ReadsOnlyWhatIsThere) {
  struct Case {
    uint64_t offset;
    uint64_t count;
    bool read;
  };
  const Case cases[] = {
      {0, 10, true},          {3, 4, true},           {9, 1, true},
      {10, 0, true},          {0, 0, true},           {10, 1, false},
      {0, 11, false},         {9, 2, false},          {11, 0, false},
      {UINT64_MAX, 1, false}, {1, UINT64_MAX, false}, {UINT64_MAX, UINT64_MAX, false},
  };
  forEachSource([&](BoundedReader& reader, const char* source) {
    EXPECT_TRUE(reader.isOpen()) << source;
    EXPECT_EQ(reader.length(), 10u) << source;
    for (const Case& c : cases) {
      EXPECT_EQ(reader.fits(c.offset, c.count), c.read)
          << source << " " << c.offset << "+" << c.count;
      std::vector<uint8_t> bytes = {'x'};
      EXPECT_EQ(reader.read(c.offset, c.count, bytes), c.read) << source << " " << c.offset;
      // A refused read leaves the buffer as it was: nothing was allocated.
      EXPECT_EQ(text(bytes), c.read ? kText.substr(c.offset, c.count) : "x")
          << source << " " << c.offset;
    }
    uint8_t two[2] = {};
    ASSERT_TRUE(reader.read(8, 2, two)) << source;
    EXPECT_EQ(two[0], '8');
    EXPECT_EQ(two[1], '9');
  });
}

TEST(BoundedReader, ReadsAWholeFileUpToALimit) {
  forEachSource([](BoundedReader& reader, const char* source) {
    std::vector<uint8_t> bytes = {'x'};
    EXPECT_FALSE(reader.readAll(9, bytes)) << source;
    EXPECT_EQ(text(bytes), "x") << source;
    EXPECT_TRUE(reader.readAll(10, bytes)) << source;
    EXPECT_EQ(text(bytes), kText) << source;
  });
  BoundedReader empty(std::vector<uint8_t>{});
  std::vector<uint8_t> bytes = {'x'};
  EXPECT_TRUE(empty.readAll(0, bytes));
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(empty.read(0, 1, bytes));
}

// A file held whole is served from memory from then on; one longer than
// the limit is read from the file as before.
TEST(BoundedReader, HoldsAWholeFileUpToALimit) {
  forEachSource([](BoundedReader& reader, const char* source) {
    const bool fromMemory = !reader.heldBytes().empty();
    EXPECT_EQ(reader.holdWholeFile(9), fromMemory) << source;
    EXPECT_TRUE(reader.holdWholeFile(10)) << source;
    const std::span<const uint8_t> held = reader.heldBytes();
    EXPECT_EQ(std::string(held.begin(), held.end()), kText) << source;
    uint8_t two[2] = {};
    EXPECT_TRUE(reader.read(3, 2, two)) << source;
    EXPECT_EQ(two[0], '3');
    EXPECT_FALSE(reader.read(9, 2, two)) << source;
  });
  qortest::ScratchDir dir;
  BoundedReader missing(dir.file("missing.bin"));
  EXPECT_FALSE(missing.holdWholeFile(100));
  EXPECT_TRUE(missing.heldBytes().empty());
}

// The bytes at hand from an offset: what is there, without a copy, and at
// least half a window of a long file wherever asked (read anew as needed).
TEST(BoundedReader, BytesAtHand) {
  forEachSource([](BoundedReader& reader, const char* source) {
    const std::span<const uint8_t> rest = reader.bytesAt(3);
    EXPECT_EQ(std::string(rest.begin(), rest.end()), kText.substr(3)) << source;
    EXPECT_TRUE(reader.bytesAt(10).empty()) << source;
    EXPECT_TRUE(reader.bytesAt(11).empty()) << source;
  });
  qortest::ScratchDir dir;
  const std::string path = dir.file("long.bin");
  std::string content(200000, '\0');
  for (size_t k = 0; k < content.size(); ++k) content[k] = static_cast<char>(k * 31 + k / 256);
  qortest::writeFile(path, content);
  BoundedReader reader(path);
  for (const uint64_t offset : {uint64_t{0}, uint64_t{40000}, uint64_t{1}, uint64_t{199990},
                                uint64_t{65536}, uint64_t{100000}}) {
    const std::span<const uint8_t> bytes = reader.bytesAt(offset);
    EXPECT_GE(bytes.size(), std::min<uint64_t>(32768, content.size() - offset)) << offset;
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), content.substr(offset, bytes.size()))
        << offset;
  }
}

TEST(BoundedReader, OpensNeitherAMissingFileNorAPipe) {
  qortest::ScratchDir dir;
  BoundedReader missing(dir.file("missing.bin"));
  EXPECT_FALSE(missing.isOpen());
  EXPECT_EQ(missing.length(), 0u);
  const std::string path = dir.file("pipe.bin");
  qortest::UnblockedPipe pipe(path);
  BoundedReader piped(path);
  EXPECT_FALSE(piped.isOpen());
  std::vector<uint8_t> bytes;
  EXPECT_FALSE(piped.readAll(100, bytes));
}

// Reads of a file are served from a window read ahead: records read in any
// order, small and large, across the window's edges and up to the end, give
// the file's bytes, and a file that turns out shorter than measured fails
// the reads beyond what it holds.
TEST(BoundedReader, ReadsAheadWithoutChangingWhatIsRead) {
  qortest::ScratchDir dir;
  const std::string path = dir.file("large.bin");
  std::string content(200000, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 131 + i / 251);
  qortest::writeFile(path, content);
  BoundedReader reader(path);
  ASSERT_EQ(reader.length(), content.size());
  const struct {
    uint64_t offset;
    uint64_t count;
  } reads[] = {{0, 20},    {65530, 12},   {100, 40},   {131000, 69000}, {199990, 10},
               {65536, 1}, {1000, 65536}, {199999, 1}, {0, 200000},     {70000, 300}};
  for (const auto& one : reads) {
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(reader.read(one.offset, one.count, bytes)) << one.offset;
    EXPECT_EQ(text(bytes), content.substr(one.offset, one.count)) << one.offset;
  }
  std::filesystem::resize_file(path, 150000);
  BoundedReader shrunk(path);
  ASSERT_EQ(shrunk.length(), 150000u);
  std::filesystem::resize_file(path, 100000);
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(shrunk.read(99990, 10, bytes));
  EXPECT_FALSE(shrunk.read(99995, 10, bytes));
  EXPECT_FALSE(shrunk.read(120000, 10, bytes));
}
