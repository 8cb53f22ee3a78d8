// Packing the tables into blocks and writing the file: block order, record
// bytes, the file name, and what a failed write leaves behind.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "cod_test_support.h"
#include "process_runner.h"

using codtest::byteAt;
using codtest::CapturedOutput;
using codtest::fullCod;
using codtest::word;

namespace {

std::string blockOf(const std::string& file, std::size_t number) {
  return file.substr(number * COD_BLOCK_SIZE, COD_BLOCK_SIZE);
}

std::string written(Cod& cod, const qortest::ScratchDir& dir, const std::string& name = "out.cod") {
  cod.preWrite();
  cod.cFileName = dir.file(name);
  EXPECT_EQ(cod.write(), 1);
  return qortest::readFile(dir.file(name));
}

// Exposes the block writer, for writing into a stream that fails.
class OpenCod : public Cod {
 public:
  using Cod::writeBlockList;
};

std::vector<std::string> filesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    names.push_back(entry.path().filename());
  return names;
}

}  // namespace

TEST(CodWrite, BlocksFollowTheNumbering) {
  qortest::ScratchDir dir;
  Cod cod = fullCod();
  std::string file = written(cod, dir);
  ASSERT_EQ(file.size(), 23 * COD_BLOCK_SIZE);
  const auto& d = cod.cDirectory;

  // Directories, linked in order.
  for (std::size_t k = 0; k < 3; ++k) {
    Block packed;
    d[k].pack(packed.data());
    EXPECT_EQ(blockOf(file, k),
              std::string(reinterpret_cast<const char*>(packed.data()), COD_BLOCK_SIZE));
  }
  EXPECT_EQ(word(file, 441), 1);
  EXPECT_EQ(word(file, 512 + 441), 2);
  EXPECT_EQ(word(file, 1024 + 441), 0);

  // Code blocks in key order, window by window.
  EXPECT_EQ(word(file, 0), 3);
  EXPECT_EQ(word(file, 2 * 127), 6);
  EXPECT_EQ(word(file, 1024 + 2 * 3), 7);
  EXPECT_EQ(byteAt(file, 5 * COD_BLOCK_SIZE + 1), static_cast<uint8_t>(7 + 64));
  EXPECT_EQ(byteAt(file, 7 * COD_BLOCK_SIZE + 511), 0x5a);

  // Symbols: 32 in block 8, the 33rd alone in block 9.
  EXPECT_EQ(d[0].SymTab, 8);
  EXPECT_EQ(d[0].SymEnd, 9);
  EXPECT_EQ(blockOf(file, 8).substr(0, 9), std::string("\x08symbol_0", 9));
  EXPECT_EQ(blockOf(file, 9).substr(0, 10), std::string("\x09symbol_32", 10));
  EXPECT_EQ(blockOf(file, 9).substr(16), std::string(COD_BLOCK_SIZE - 16, '\0'));

  // Line information: 85 records fill 510 bytes, the last two stay 0.
  EXPECT_EQ(d[0].LineTab, 12);
  EXPECT_EQ(d[0].LineEnd, 13);
  EXPECT_EQ(d[2].LineTab, 14);
  std::string lines = blockOf(file, 12);
  EXPECT_EQ(word(lines, 84 * 6 + 2), 85);
  EXPECT_EQ(lines.substr(510), std::string(2, '\0'));
  EXPECT_EQ(word(blockOf(file, 13), 2), 86);
  EXPECT_EQ(byteAt(blockOf(file, 14), 84 * 6 + 1), 0x90);

  // Local groups: header and 31 symbols fill block 15.
  EXPECT_EQ(d[0].LocalVars, 15);
  EXPECT_EQ(d[0].LocalEnd, 16);
  EXPECT_EQ(blockOf(file, 15).substr(0, 8), "\x07__LOCAL");
  EXPECT_EQ(blockOf(file, 15).substr(31 * 16, 6), "\x05loc30");
  EXPECT_EQ(blockOf(file, 16).substr(0, 8), "\x07__LOCAL");

  // Memory map.
  EXPECT_EQ(d[0].MemMapOfs, 17);
  EXPECT_EQ(d[2].MemMapOfs, 18);
  EXPECT_EQ(word(blockOf(file, 17), 6), 0xffff);

  // Long symbols: two records of 256 bytes end exactly at the block end;
  // the value 1 is stored big-endian as 0, 0, 0, 1.
  EXPECT_EQ(d[0].LSymTab, 19);
  EXPECT_EQ(d[0].LSymEnd, 20);
  std::string longs = blockOf(file, 19);
  EXPECT_EQ(byteAt(longs, 0), 249);
  EXPECT_EQ(word(longs, 250), COD_SYMBOL_TYPE_ADDRESS);
  EXPECT_EQ(longs.substr(252, 4), std::string("\0\0\0\x01", 4));
  EXPECT_EQ(byteAt(longs, 256), 249);
  EXPECT_EQ(longs.substr(508, 4), "\x12\x34\x56\x78");
  EXPECT_EQ(byteAt(blockOf(file, 20), 0), 255);
  EXPECT_EQ(blockOf(file, 20).substr(262, 2),
            "\x01"
            "d");

  // Debug messages: the address big-endian, then type and length.
  EXPECT_EQ(d[0].MessTab, 21);
  EXPECT_EQ(d[0].MessEnd, 22);
  std::string messages = blockOf(file, 21);
  EXPECT_EQ(messages.substr(0, 16), std::string("\0\0\0\x10"
                                                "a\x0a"
                                                "break here",
                                                16));
  EXPECT_EQ(messages.substr(16, 6),
            "\x01\x02\x03\x04"
            "e\xff");
  EXPECT_EQ(byteAt(blockOf(file, 22), 5), 240);
}

TEST(CodWrite, PackersProduceTheCountedBlocks) {
  Cod cod = fullCod();
  std::list<Block> blocks;
  Cod::writeLongSymbols(cod.cLongSymbol, blocks);
  EXPECT_EQ(blocks.size(), cod.blockCounts().longSymbol);
  Cod::writeDebugMsgs(cod.cDebugMsg, blocks);
  EXPECT_EQ(blocks.size(), cod.blockCounts().debug);
  Cod::writeLocalGroups(cod.cLocalGroup, blocks);
  EXPECT_EQ(blocks.size(), cod.blockCounts().localGroup);
  Cod::writeRecords(cod.cSymbol, blocks);
  EXPECT_EQ(blocks.size(), cod.blockCounts().symbol);
  // Every packer empties its list first; an empty table gives no block.
  Cod::writeRecords(std::list<MemoryMap>(), blocks);
  EXPECT_TRUE(blocks.empty());
  Cod::writeCodeBlocks(cod.cCode[0], blocks);
  ASSERT_EQ(blocks.size(), 4u);
  EXPECT_EQ(blocks.back(), cod.cCode[0].at(127));

  // Any mix of long symbol lengths: the count and the packing agree.
  std::list<LongSymbol> mix;
  for (int i = 0; i < 300; ++i) mix.emplace_back(codtest::nameOf('z', (i * 37) % 256), 46, i);
  Cod mixed;
  mixed.cLongSymbol = mix;
  Cod::writeLongSymbols(mix, blocks);
  EXPECT_EQ(blocks.size(), mixed.blockCounts().longSymbol);
}

TEST(CodWrite, UsesTheFullFileNameNotTheCutSource) {
  qortest::ScratchDir dir;
  std::string base(70, 'n');
  Cod cod = codtest::codWithWindows(1);
  cod.cDirectory[0].setSource(base + ".cod");
  cod.preWrite();
  cod.cFileName = dir.file(base + ".cod");
  ASSERT_EQ(cod.write(), 1);
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{base + ".cod"});
  EXPECT_EQ(cod.cDirectory[0].source(), std::string(63, 'n'));
}

TEST(CodWrite, WithoutAFileNameTheSourceTextNamesTheFile) {
  Cod cod = codtest::codWithWindows(1);
  cod.cDirectory[0].setSource("short.cod");
  EXPECT_EQ(cod.codFileName(), "short.cod");
  cod.cFileName = "other/full.cod";
  EXPECT_EQ(cod.codFileName(), "other/full.cod");
}

TEST(CodWrite, ReplacesAnExistingFileAndLeavesNoTemporary) {
  qortest::ScratchDir dir;
  qortest::writeFile(dir.file("out.cod"), std::string(5000, 'x'));
  Cod cod = codtest::codWithWindows(1);
  std::string file = written(cod, dir);
  EXPECT_EQ(file.size(), COD_BLOCK_SIZE);
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"out.cod"});
}

TEST(CodWrite, UnopenableFileIsReported) {
  qortest::ScratchDir dir;
  Cod cod = codtest::codWithWindows(1);
  cod.preWrite();
  std::string name = dir.file("missing/out.cod");
  CapturedOutput captured;
  EXPECT_EQ(cod.write(name), 0);
  EXPECT_EQ(captured.errors(), "Error - Could not open Cod file '" + name + "' for writing.\n");
  EXPECT_EQ(errorCount(), 1u);
  EXPECT_TRUE(filesIn(dir.path()).empty());
}

// Writing in place opens the existing file: one that may not be written,
// or a directory, is refused and stays as it was, a replaced file keeps its
// permissions, and a link keeps pointing at the file.
TEST(CodWrite, ExistingTargetIsTreatedAsAnOpenForWritingWould) {
  namespace fs = std::filesystem;
  qortest::ScratchDir dir;
  Cod cod = codtest::codWithWindows(1);
  cod.preWrite();

  fs::create_directory(dir.file("folder.cod"));
  {
    CapturedOutput captured;
    EXPECT_EQ(cod.write(dir.file("folder.cod")), 0);
    EXPECT_EQ(captured.errors(),
              "Error - Could not open Cod file '" + dir.file("folder.cod") + "' for writing.\n");
  }
  EXPECT_TRUE(fs::is_directory(dir.file("folder.cod")));

  qortest::writeFile(dir.file("private.cod"), "old");
  fs::permissions(dir.file("private.cod"), fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_EQ(cod.write(dir.file("private.cod")), 1);
  EXPECT_EQ(fs::status(dir.file("private.cod")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(qortest::readFile(dir.file("private.cod")).size(), COD_BLOCK_SIZE);

  // A link is written through, as a plain open would: the link stays and
  // the file it points at gets the new contents.
  qortest::writeFile(dir.file("real.cod"), "old");
  fs::create_symlink("real.cod", dir.file("link.cod"));
  ASSERT_EQ(cod.write(dir.file("link.cod")), 1);
  EXPECT_TRUE(fs::is_symlink(dir.file("link.cod")));
  EXPECT_EQ(qortest::readFile(dir.file("real.cod")).size(), COD_BLOCK_SIZE);
  fs::remove(dir.file("link.cod"));
  fs::remove(dir.file("real.cod"));

  if (geteuid() == 0) GTEST_SKIP() << "the superuser may write any file";
  qortest::writeFile(dir.file("locked.cod"), "kept");
  fs::permissions(dir.file("locked.cod"), fs::perms::owner_read);
  CapturedOutput captured;
  EXPECT_EQ(cod.write(dir.file("locked.cod")), 0);
  EXPECT_EQ(captured.errors(),
            "Error - Could not open Cod file '" + dir.file("locked.cod") + "' for writing.\n");
  EXPECT_EQ(qortest::readFile(dir.file("locked.cod")), "kept");
  EXPECT_EQ(filesIn(dir.path()).size(), 3u);
}

TEST(CodWrite, FailedBlockWriteNamesTheKind) {
  std::ostringstream broken;
  broken.setstate(std::ios::badbit);
  std::list<Block> blocks(2);
  CapturedOutput captured;
  EXPECT_EQ(OpenCod::writeBlockList(broken, "f.cod", blocks, "source name"), 0);
  EXPECT_EQ(captured.errors(), "Error - Could not write source name block in Cod file 'f.cod'.\n");
  // An empty list writes nothing and cannot fail.
  EXPECT_EQ(OpenCod::writeBlockList(broken, "f.cod", {}, "code"), 1);
}

TEST(CodWrite, TooManyBlocksKeepTheOldFile) {
  qortest::ScratchDir dir;
  qortest::writeFile(dir.file("keep.cod"), "precious");
  // One 261-byte message per block: 65536 of them and the directory make
  // one block more than 16-bit block numbers reach.
  Cod cod = codtest::codWithWindows(1);
  std::string text = codtest::nameOf('m', 255);
  for (int i = 0; i < 65536; ++i) cod.cDebugMsg.emplace_back(i, 'a', text);
  cod.preWrite();
  CapturedOutput captured;
  EXPECT_EQ(cod.write(dir.file("keep.cod")), 0);
  EXPECT_EQ(captured.errors(),
            "Error - Cod file '" + dir.file("keep.cod") + "' would need more than 65536 blocks.\n");
  EXPECT_EQ(qortest::readFile(dir.file("keep.cod")), "precious");
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"keep.cod"});
}

TEST(CodWrite, ANameAtTheLengthLimitIsStillWritten) {
  // Its temporary has a short name of its own; none is left behind.
  qortest::ScratchDir dir;
  std::string name = std::string(251, 'L') + ".cod";
  Cod cod = codtest::codWithWindows(1);
  cod.preWrite();
  CapturedOutput captured;
  EXPECT_EQ(cod.write(dir.file(name)), 1) << captured.errors();
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{name});
}
