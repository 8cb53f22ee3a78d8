// An independent reader for the hex files the tests produce: the srecord
// tools (srec_info, srec_cat), when they are installed, must accept each
// file and find exactly the expected bytes at the expected addresses.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace hexcheck {

// A memory image: address -> byte.
using ByteMap = std::map<uint32_t, uint8_t>;

// True when both srecord programs are found on the search path.
bool srecordAvailable();

// Success when srecord is missing (nothing to check), or when it reads the
// Intel HEX file at `path` without error and finds exactly `expected`.
::testing::AssertionResult srecordAgrees(const std::string& path, const ByteMap& expected);

// Adds `bytes` at `address` onwards.
void addBytes(ByteMap& image, uint32_t address, const std::vector<uint8_t>& bytes);
// The bytes of the split layout's files: the low (even) or high (odd) byte
// of each word, at the word address.
ByteMap lowBytes(const ByteMap& image);
ByteMap highBytes(const ByteMap& image);

}  // namespace hexcheck
