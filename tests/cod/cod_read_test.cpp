// Reading a COD file back: the round trip of every table, and damaged files
// that must be reported, never crash, hang or allocate without bound.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "cod_test_support.h"
#include "process_runner.h"
#include "unblocked_pipe.h"

using codtest::CapturedOutput;

namespace {

std::string writtenFile(Cod& cod, const qortest::ScratchDir& dir) {
  cod.preWrite();
  cod.cFileName = dir.file("in.cod");
  EXPECT_EQ(cod.write(), 1);
  return qortest::readFile(dir.file("in.cod"));
}

void putWord(std::string& bytes, std::size_t offset, uint16_t value) {
  bytes.at(offset) = static_cast<char>(value & 0xff);
  bytes.at(offset + 1) = static_cast<char>(value >> 8);
}

// Reads `bytes` as a COD file; returns the error text (empty on success).
std::string readBack(const qortest::ScratchDir& dir, const std::string& bytes,
                     bool* read = nullptr) {
  std::string name = dir.file("damaged.cod");
  qortest::writeFile(name, bytes);
  CapturedOutput captured;
  std::unique_ptr<Cod> cod = Cod::make(name);
  if (read != nullptr) *read = cod != nullptr;
  EXPECT_EQ(cod == nullptr, errorCount() == 1) << captured.errors();
  return captured.errors();
}

std::string badFile(const qortest::ScratchDir& dir, const std::string& what) {
  return "Error - Cod file '" + dir.file("damaged.cod") + "'' does not have " + what + "\n";
}

}  // namespace

TEST(CodRead, RoundTripGivesBackEveryTable) {
  qortest::ScratchDir dir;
  Cod cod = codtest::fullCod();
  writtenFile(cod, dir);
  CapturedOutput captured;
  std::unique_ptr<Cod> back = Cod::make(dir.file("in.cod"));
  ASSERT_NE(back, nullptr) << captured.errors();
  EXPECT_EQ(captured.errors(), "");
  EXPECT_TRUE(*back == cod);
  EXPECT_EQ(back->cDirectory, cod.cDirectory);
  EXPECT_EQ(back->cLongSymbol, cod.cLongSymbol);
  EXPECT_EQ(back->cLocalGroup, cod.cLocalGroup);
  EXPECT_EQ(back->cDebugMsg, cod.cDebugMsg);
  EXPECT_EQ(back->cCode, cod.cCode);
}

TEST(CodRead, RoundTripOfTheSmallestFile) {
  qortest::ScratchDir dir;
  Cod cod;
  writtenFile(cod, dir);
  std::unique_ptr<Cod> back = Cod::make(dir.file("in.cod"));
  ASSERT_NE(back, nullptr);
  EXPECT_TRUE(*back == cod);
}

TEST(CodRead, MissingAndEmptyFiles) {
  qortest::ScratchDir dir;
  {
    CapturedOutput captured;
    EXPECT_EQ(Cod::make(dir.file("none.cod")), nullptr);
    EXPECT_EQ(captured.errors(),
              "Error - Could not open Cod file '" + dir.file("none.cod") + "' for reading.\n");
  }
  EXPECT_EQ(readBack(dir, ""), badFile(dir, "a properly formed first directory."));
  EXPECT_EQ(readBack(dir, std::string(511, '\0')),
            badFile(dir, "a properly formed first directory."));
}

// A reader of a pipe would wait for a writer that may never come, and the
// blocks are read with seeks that a pipe cannot do.
TEST(CodRead, APipeIsNotOpened) {
  qortest::ScratchDir dir;
  const std::string path = dir.file("pipe.cod");
  qortest::UnblockedPipe pipe(path);
  CapturedOutput captured;
  EXPECT_EQ(Cod::make(path), nullptr);
  EXPECT_EQ(captured.errors(), "Error - Could not open Cod file '" + path + "' for reading.\n");
}

TEST(CodRead, EveryTruncationIsReported) {
  qortest::ScratchDir dir;
  Cod cod = codtest::fullCod();
  std::string file = writtenFile(cod, dir);
  for (std::size_t length = 0; length < file.size(); length += 97) {
    bool read = true;
    std::string errors = readBack(dir, file.substr(0, length), &read);
    EXPECT_FALSE(read) << length;
    EXPECT_EQ(errors.rfind("Error - Cod file '", 0), 0u) << length << ": " << errors;
  }
  // Cut one block off the end: the last table loses its last block.
  EXPECT_EQ(readBack(dir, file.substr(0, file.size() - COD_BLOCK_SIZE)),
            badFile(dir, "a proper debug message table."));
}

TEST(CodRead, DirectoryChainMustStayInTheFileAndNotLoop) {
  qortest::ScratchDir dir;
  Cod cod = codtest::codWithWindows(2);
  std::string file = writtenFile(cod, dir);
  std::string looped = file;
  putWord(looped, 512 + 441, 1);  // directory 1 points at itself
  EXPECT_EQ(readBack(dir, looped), badFile(dir, "a properly formed linked directory."));
  putWord(looped, 512 + 441, 0);
  putWord(looped, 441, 0);  // only one directory now: still a sound file
  EXPECT_EQ(readBack(dir, looped), "");
  putWord(looped, 441, 40);
  EXPECT_EQ(readBack(dir, looped), badFile(dir, "a properly formed linked directory."));
}

TEST(CodRead, DamagedTablePointersAreReported) {
  qortest::ScratchDir dir;
  Cod cod = codtest::fullCod();
  std::string file = writtenFile(cod, dir);
  struct Case {
    std::size_t offset;  // in directory 0
    uint16_t value;
    const char* what;
  };
  const Case cases[] = {
      {428, 7, "a proper symbol table."},      // last before first
      {426, 60000, "a proper symbol table."},  // beyond the file
      {432, 300, "a proper name table."},
      {436, 1000, "a proper line info table."},
      {445, 999, "a proper memory map table."},
      {464, 23, "a proper long symbol table."},
      {449, 23, "a proper local vars table."},
      {468, 23, "a proper debug message table."},
      {10, 23, "a proper Index."},
  };
  for (const Case& c : cases) {
    std::string damaged = file;
    putWord(damaged, c.offset, c.value);
    EXPECT_EQ(readBack(dir, damaged), badFile(dir, c.what)) << c.offset;
  }
}

TEST(CodRead, OverlappingTablesCannotMultiplyTheWork) {
  // Every window's line table and every index entry claim the same blocks
  // again and again; a sound file reads each block once.
  qortest::ScratchDir dir;
  Cod cod = codtest::codWithWindows(3);
  std::string file = writtenFile(cod, dir);
  for (std::size_t k = 0; k < 3; ++k) {
    putWord(file, k * 512 + 434, 1);
    putWord(file, k * 512 + 436, 2);
  }
  EXPECT_EQ(readBack(dir, file), badFile(dir, "a proper line info table."));
  std::string indexed = qortest::readFile(dir.file("in.cod"));
  for (std::size_t i = 0; i < COD_INDEX_ENTRIES; ++i) putWord(indexed, 2 * i, 1);
  EXPECT_EQ(readBack(dir, indexed), badFile(dir, "a proper Index."));
}

TEST(CodRead, ALargeFileDoesNotLiftTheBoundOnReads) {
  // Block numbers are 16-bit, so a sound file is read in at most 65536
  // block reads, however large the file. Here 600 linked directories with
  // every Index entry at block 1 in a (sparse) 64 MiB file claim 76800.
  qortest::ScratchDir dir;
  Cod cod = codtest::codWithWindows(600);
  for (Directory& directory : cod.cDirectory) {
    for (uint16_t& entry : directory.Index) entry = 1;
  }
  cod.preWrite();
  std::string name = dir.file("large.cod");
  cod.cFileName = name;
  ASSERT_EQ(cod.write(), 1);
  std::filesystem::resize_file(name, 64u << 20);
  CapturedOutput captured;
  EXPECT_EQ(Cod::make(name), nullptr);
  EXPECT_EQ(captured.errors(), "Error - Cod file '" + name + "'' does not have a proper Index.\n");
}

TEST(CodRead, RecordsThatLeaveTheirBlockAreReported) {
  qortest::ScratchDir dir;
  Cod cod = codtest::codWithWindows(1);
  cod.cLongSymbol.emplace_back("abc", 46, 1);
  cod.cLocalGroup.push_back(LocalGroup());
  cod.cDebugMsg.emplace_back(1, 'a', "msg");
  std::string file = writtenFile(cod, dir);
  const Directory& d = cod.cDirectory[0];

  std::string longSymbol = file;
  longSymbol.at(d.LSymTab * 512 + 10) =
      static_cast<char>(250);  // a second record, 257 bytes from 10
  EXPECT_EQ(readBack(dir, longSymbol), "");
  longSymbol.at(d.LSymTab * 512 + 267) = static_cast<char>(250);  // a third would end at 524
  EXPECT_EQ(readBack(dir, longSymbol), badFile(dir, "a proper long symbol table."));

  std::string message = file;
  message.at(d.MessTab * 512 + 9 + 5) = static_cast<char>(255);  // second record runs past the end
  message.at(d.MessTab * 512 + 9 + 300) = 1;
  EXPECT_EQ(readBack(dir, message), "");  // 9 + 6 + 255 still fits
  message.at(d.MessTab * 512 + 270 + 5) = static_cast<char>(250);
  EXPECT_EQ(readBack(dir, message), badFile(dir, "a proper debug message table."));

  std::string orphan = file;
  orphan.at(d.LocalVars * 512 + 1) = 'X';  // the header is no header: its record has no group
  EXPECT_EQ(readBack(dir, orphan), badFile(dir, "a proper local vars table."));
}

TEST(CodRead, GarbageNeverCrashes) {
  qortest::ScratchDir dir;
  std::mt19937 random(20261209);
  for (int round = 0; round < 300; ++round) {
    std::size_t blocks = 1 + random() % 8;
    std::string bytes(blocks * COD_BLOCK_SIZE + random() % 3, '\0');
    for (char& c : bytes) {
      // Mostly small values, so that block numbers often land in the file.
      uint32_t r = random();
      c = static_cast<char>(r % 4 == 0 ? r >> 8 : (r >> 8) % 10);
    }
    bool read = false;
    readBack(dir, bytes, &read);
  }
}
