// Helpers shared by the library tests: captured diagnostics, library images
// put together byte by byte, and member comparison.
#pragma once

#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "archive.h"
#include "captured_output.h"
#include "coff.h"
#include "diagnostics.h"
#include "object_builder.h"
#include "process_runner.h"

namespace archivetest {

using qortest::CapturedOutput;

using Bytes = std::vector<uint8_t>;

inline void append(Bytes& to, const Bytes& bytes) {
  to.insert(to.end(), bytes.begin(), bytes.end());
}

inline Bytes magicBytes() { return Bytes(ARCHIVE_MAGIC, ARCHIVE_MAGIC + ARCHIVE_MAGIC_LENGTH); }

// The 280 header bytes for a member as the writer fills them.
inline Bytes headerBytes(const std::string& name, uint32_t date, uint32_t size) {
  MemberHeader header;
  header.setName(name);
  header.setDate(date);
  header.setSize(size);
  header.setMagic();
  const auto* bytes = reinterpret_cast<const uint8_t*>(&header);
  return Bytes(bytes, bytes + sizeof header);
}

// A library image of the given members, each behind its header.
inline Bytes libraryBytes(const std::vector<std::pair<std::string, Bytes>>& members) {
  Bytes library = magicBytes();
  for (const auto& [name, image] : members) {
    append(library, headerBytes(name, 0, static_cast<uint32_t>(image.size())));
    append(library, image);
  }
  return library;
}

// A small object defining the given externals in one code section.
inline qortest::ObjectBuilder objectDefining(const std::string& fileName,
                                             const std::vector<std::string>& globals) {
  qortest::ObjectBuilder builder(fileName);
  builder.code(".code").bytes({0x01, 0x02, 0x03, 0x04});
  uint32_t value = 0;
  for (const auto& name : globals) builder.global(name, value++, 1);
  return builder;
}

// Equal contents, the time stamp aside.
inline void expectSameObject(const Coff& expected, const Coff& actual) {
  FileHeader expectedHeader = expected.cFileHdr;
  expectedHeader.f_timdat = actual.cFileHdr.f_timdat;
  EXPECT_EQ(expected.cName, actual.cName);
  EXPECT_TRUE(expectedHeader == actual.cFileHdr) << expected.cName;
  EXPECT_TRUE(expected.cOptHdr == actual.cOptHdr) << expected.cName;
  EXPECT_EQ(expected.cScnNum, actual.cScnNum);
  EXPECT_TRUE(expected.cScnHdr == actual.cScnHdr) << expected.cName;
  EXPECT_TRUE(expected.cRawData == actual.cRawData) << expected.cName;
  EXPECT_TRUE(expected.cScnReloc == actual.cScnReloc) << expected.cName;
  EXPECT_TRUE(expected.cScnLineno == actual.cScnLineno) << expected.cName;
  EXPECT_TRUE(expected.cSymTbl == actual.cSymTbl) << expected.cName;
  EXPECT_EQ(expected.cAuxType, actual.cAuxType);
  EXPECT_EQ(expected.cStrTbl, actual.cStrTbl);
}

inline std::vector<std::string> memberNames(const Archive& archive) {
  std::vector<std::string> names;
  for (const auto& member : archive.cMembers) names.push_back(member->cName);
  return names;
}

// The index as (symbol, member name) pairs.
inline std::vector<std::pair<std::string, std::string>> indexOf(const Archive& archive) {
  std::vector<std::pair<std::string, std::string>> index;
  for (const auto& [symbol, member] : archive.cSymbols) index.emplace_back(symbol, member->cName);
  return index;
}

}  // namespace archivetest
