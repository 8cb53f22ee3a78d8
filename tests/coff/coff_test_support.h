// Helpers shared by the object file tests: message capture, reading an image
// from memory, and a full member-by-member comparison of two objects.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "coff.h"
#include "diagnostics.h"

namespace cofftest {

// Collects what the diagnostics print while it lives, with fresh counters.
class MessageCapture {
 public:
  MessageCapture() : cOld(std::cerr.rdbuf(cText.rdbuf())) { resetDiagnostics(); }
  ~MessageCapture() {
    std::cerr.rdbuf(cOld);
    resetDiagnostics();
  }
  MessageCapture(const MessageCapture&) = delete;
  MessageCapture& operator=(const MessageCapture&) = delete;

  std::string text() const { return cText.str(); }
  void clear() { cText.str(std::string()); }

 private:
  std::ostringstream cText;
  std::streambuf* cOld;
};

// Reads an image held in memory, placed at `base` of a temporary file.
inline std::unique_ptr<Coff> readImage(const std::vector<uint8_t>& bytes, uint64_t base = 0,
                                       const std::string& name = "t.o") {
  std::FILE* file = std::tmpfile();
  if (file == nullptr) return nullptr;
  const std::vector<uint8_t> padding(base, 0xEE);
  if (!padding.empty()) std::fwrite(padding.data(), 1, padding.size(), file);
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::unique_ptr<Coff> coff = Coff::make(file, base, name);
  std::fclose(file);
  return coff;
}

// The image an object writes, through an open temporary file.
inline std::vector<uint8_t> writtenImage(Coff& coff) {
  std::vector<uint8_t> bytes;
  std::FILE* file = std::tmpfile();
  if (file == nullptr) return bytes;
  if (coff.write(file, 0) == 1) {
    std::rewind(file);
    int byte = 0;
    while ((byte = std::fgetc(file)) != EOF) bytes.push_back(static_cast<uint8_t>(byte));
  }
  std::fclose(file);
  return bytes;
}

inline void expectSameRelocs(const std::list<reloc>& a, const std::list<reloc>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j) {
    EXPECT_EQ(i->r_vaddr, j->r_vaddr);
    EXPECT_EQ(i->r_symndx, j->r_symndx);
    EXPECT_EQ(i->r_offset, j->r_offset);
    EXPECT_EQ(i->r_type, j->r_type);
  }
}

inline void expectSameLines(const std::list<coff_lineno>& a, const std::list<coff_lineno>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j) {
    EXPECT_EQ(*i, *j);
    EXPECT_EQ(i->l_flags, j->l_flags);
    EXPECT_EQ(i->l_fcnndx, j->l_fcnndx);
  }
}

// Every member equal, every field of every record (the time stamp aside).
inline void expectSameObject(const Coff& a, const Coff& b) {
  EXPECT_EQ(a.cName, b.cName);
  FileHeader headerA = a.cFileHdr;
  FileHeader headerB = b.cFileHdr;
  headerA.f_timdat = headerB.f_timdat = 0;
  EXPECT_EQ(headerA, headerB);
  EXPECT_EQ(a.cOptHdr, b.cOptHdr);
  EXPECT_EQ(a.cScnNum, b.cScnNum);
  EXPECT_EQ(a.cScnHdr, b.cScnHdr);
  EXPECT_EQ(a.cRawData, b.cRawData);
  ASSERT_EQ(a.cScnReloc.size(), b.cScnReloc.size());
  for (const auto& [name, relocs] : a.cScnReloc) {
    ASSERT_EQ(b.cScnReloc.count(name), 1u) << name;
    expectSameRelocs(relocs, b.cScnReloc.at(name));
  }
  ASSERT_EQ(a.cScnLineno.size(), b.cScnLineno.size());
  for (const auto& [name, lines] : a.cScnLineno) {
    ASSERT_EQ(b.cScnLineno.count(name), 1u) << name;
    expectSameLines(lines, b.cScnLineno.at(name));
  }
  EXPECT_EQ(a.cSymTbl, b.cSymTbl);
  EXPECT_EQ(a.cAuxType, b.cAuxType);
  EXPECT_EQ(a.cStrTbl, b.cStrTbl);
}

}  // namespace cofftest
