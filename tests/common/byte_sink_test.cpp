// The block sink gathers small records into blocks and hands a record of a
// block or more to the file from where it is: either way the file holds
// the records in the order they were put, and a refused write is counted
// where it stopped.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "byte_sink.h"
#include "process_runner.h"

namespace {

std::vector<uint8_t> filled(size_t length, uint8_t first) {
  std::vector<uint8_t> bytes(length);
  for (size_t k = 0; k < length; ++k) bytes[k] = static_cast<uint8_t>(first + k * 7);
  return bytes;
}

TEST(BlockSink, RecordsOfEverySizeReachTheFileInOrder) {
  qortest::ScratchDir dir;
  const std::string path = dir.file("out.bin");
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::setvbuf(file, nullptr, _IONBF, 0);
  const std::vector<std::vector<uint8_t>> records = {filled(5, 1),      filled(300000, 2),
                                                     filled(3, 3),      filled(200000, 4),
                                                     filled(600000, 5), filled(1, 6)};
  std::string expected;
  {
    BlockSink sink(file);
    for (const auto& record : records) {
      EXPECT_TRUE(sink.put(record.data(), record.size()));
      expected.append(record.begin(), record.end());
    }
    EXPECT_TRUE(sink.finish());
  }
  std::fclose(file);
  EXPECT_EQ(qortest::readFile(path), expected);
}

TEST(BlockSink, AFileThatTakesNothingAcceptedNothing) {
  std::FILE* full = std::fopen("/dev/full", "wb");
  if (full == nullptr) GTEST_SKIP() << "no /dev/full";
  std::setvbuf(full, nullptr, _IONBF, 0);
  BlockSink sink(full);
  const std::vector<uint8_t> small = filled(10, 1);
  const std::vector<uint8_t> large = filled(400000, 2);
  sink.put(small.data(), small.size());
  sink.put(large.data(), large.size());
  sink.put(small.data(), small.size());
  EXPECT_FALSE(sink.finish());
  EXPECT_EQ(sink.accepted(), 0u);
  std::fclose(full);
}

}  // namespace
