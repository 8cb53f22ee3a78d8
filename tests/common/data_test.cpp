#include "data.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {
std::string dumpOf(const Data& data) {
  std::ostringstream out;
  data.dump(out);
  return out.str();
}
}  // namespace

TEST(Data, DumpBreaksLinesAfter32BytesWithATrailingBlank) {
  uint8_t bytes[33];
  for (int i = 0; i < 33; ++i) bytes[i] = static_cast<uint8_t>(i * 7);
  Data data(33, bytes);
  std::ostringstream expected;
  for (int i = 0; i < 32; ++i) {
    if (i != 0 && i % 4 == 0) expected << ' ';
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", bytes[i]);
    expected << hex;
  }
  expected << " \ne0\n";
  EXPECT_EQ(dumpOf(data), expected.str());
  EXPECT_EQ(dumpOf(Data()), "\n");
  EXPECT_EQ(dumpOf(Data(5)), "00000000 00\n");
}

TEST(Data, AppendCopyAndSelfAssignment) {
  const uint8_t ab[] = {1, 2};
  const uint8_t c[] = {3};
  Data data(2, ab);
  data.append(Data());
  EXPECT_EQ(data, Data(2, ab));
  data.append(Data(1, c));
  const uint8_t abc[] = {1, 2, 3};
  EXPECT_EQ(data, Data(3, abc));

  Data empty;
  empty.append(data);
  EXPECT_EQ(empty, data);
  EXPECT_NE(empty.data(), data.data());  // a deep copy

  Data& alias = data;
  data = alias;
  EXPECT_EQ(data, Data(3, abc));

  Data copy = data;
  copy.data()[0] = 9;
  EXPECT_EQ(data.data()[0], 1);
  EXPECT_EQ(Data().data(), nullptr);
  EXPECT_EQ(Data(0).data(), nullptr);
}
