// The 280-byte member header: the fields as written and as read back.
#include <gtest/gtest.h>

#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

#include "archive.h"
#include "byte_sink.h"
#include "diagnostics.h"

namespace {

MemberHeader filledHeader(const std::string& name, uint32_t date, uint32_t size) {
  MemberHeader header;
  std::memset(&header, 0x55, sizeof header);  // every byte must be written
  header.setName(name);
  header.setDate(date);
  header.setSize(size);
  header.setMagic();
  return header;
}

std::string field(const char* bytes, size_t length) { return std::string(bytes, length); }

MemberHeader headerWithNameField(const std::string& bytes) {
  MemberHeader header = filledHeader("", 0, 0);
  std::memset(header.ar_name, 0, sizeof header.ar_name);
  std::memcpy(header.ar_name, bytes.data(), std::min(bytes.size(), sizeof header.ar_name));
  return header;
}

}  // namespace

TEST(MemberHeader, FieldsAsWritten) {
  MemberHeader header = filledHeader("main.o", 1700000000, 1234);
  EXPECT_EQ(field(header.ar_name, 256), "main.o/" + std::string(249, ' '));
  EXPECT_EQ(field(header.ar_date, 12), std::string("1700000000\0\0", 12));
  EXPECT_EQ(field(header.ar_size, 10), std::string("1234\0\0\0\0\0\0", 10));
  EXPECT_EQ(header.ar_fmag[0], '`');
  EXPECT_EQ(header.ar_fmag[1], '\n');
}

TEST(MemberHeader, LongValuesKeepTheLastByteOfTheirFieldNul) {
  MemberHeader header = filledHeader("m", 4294967295u, 4294967295u);
  EXPECT_EQ(field(header.ar_date, 12), std::string("4294967295\0\0", 12));
  // Ten digits do not fit the size field: its last byte stays NUL.
  EXPECT_EQ(field(header.ar_size, 10), std::string("429496729\0", 10));
  EXPECT_EQ(header.getDate(), 4294967295u);
  EXPECT_EQ(header.getSize(), 429496729u);
}

TEST(MemberHeader, NamesOf255OrMoreCharactersAreCut) {
  std::string exact(255, 'n');
  MemberHeader fits = filledHeader(exact, 0, 0);
  EXPECT_EQ(field(fits.ar_name, 256), exact + "/");
  EXPECT_EQ(fits.getName(), exact);

  std::string longer = std::string(250, 'a') + "bcdefghij";
  MemberHeader cut = filledHeader(longer, 0, 0);
  EXPECT_EQ(field(cut.ar_name, 256), longer.substr(0, 255) + "/");
  EXPECT_EQ(cut.getName(), longer.substr(0, 255));
}

TEST(MemberHeader, NameWithDirectoryReadsBackWhole) {
  // Read up to the writer's closing '/', not the first one, so that two
  // members from different directories keep different names.
  EXPECT_EQ(filledHeader("obj/a.o", 0, 0).getName(), "obj/a.o");
  EXPECT_EQ(filledHeader("x/y/z.o", 0, 0).getName(), "x/y/z.o");
  EXPECT_EQ(filledHeader("dir\\b.o", 0, 0).getName(), "dir\\b.o");
}

TEST(MemberHeader, NameFieldOfOtherWriters) {
  // No '/': the text up to the first NUL, blanks and all.
  EXPECT_EQ(headerWithNameField("plain.o").getName(), "plain.o");
  EXPECT_EQ(headerWithNameField("pad.o   ").getName(), "pad.o   ");
  EXPECT_EQ(headerWithNameField(std::string("cut\0/after", 10)).getName(), "cut");
  // All 256 bytes used, no NUL and no '/'.
  EXPECT_EQ(headerWithNameField(std::string(256, 'q')).getName(), std::string(256, 'q'));
  EXPECT_EQ(headerWithNameField("").getName(), "");
  EXPECT_EQ(headerWithNameField("/").getName(), "");
}

TEST(MemberHeader, NumberFieldsReadLikeScanf) {
  MemberHeader header = filledHeader("m", 0, 0);
  std::memcpy(header.ar_date, "  42xyz", 7);
  EXPECT_EQ(header.getDate(), 42u);
  std::memset(header.ar_size, 'z', sizeof header.ar_size);  // no NUL, no digit
  EXPECT_EQ(header.getSize(), 0u);
  std::memcpy(header.ar_size, "1234567890", 10);  // no NUL: the field ends the number
  std::memcpy(header.ar_fmag, "77", 2);
  EXPECT_EQ(header.getSize(), 1234567890u);
}

// The size field holds nine digits: a member header is written for every
// size up to 999999999 and refused, with a message, past it.
TEST(MemberHeader, SizeFieldLimit) {
  struct Case {
    uint32_t size;
    bool written;
    std::string message;
  };
  const Case cases[] = {
      {999999999u, true, ""},
      {1000000000u, false,
       "Error - Member 'm.o' of library file 'x.lib' would be 1000000000 bytes, more than the "
       "999999999 a member header can record.\n"},
      {4294967295u, false,
       "Error - Member 'm.o' of library file 'x.lib' would be 4294967295 bytes, more than the "
       "999999999 a member header can record.\n"},
  };
  for (const Case& c : cases) {
    LimitedSink sink(MemberHeader::SIZE);
    std::ostringstream errors;
    std::streambuf* old = std::cerr.rdbuf(errors.rdbuf());
    resetDiagnostics();
    const bool written = putMemberHeader(sink, "x.lib", "m.o", 0, c.size);
    std::cerr.rdbuf(old);
    resetDiagnostics();
    EXPECT_EQ(written, c.written) << c.size;
    EXPECT_EQ(errors.str(), c.message) << c.size;
  }
}

// The size field is held against the member's measured length only where
// it holds a decimal number: as this writer writes it, blank padded as
// other writers pad it, or cut to nine digits as this writer once cut a
// longer length. Anything else is not read.
TEST(MemberHeader, SizeFieldAgainstTheMeasuredLength) {
  struct Case {
    std::string field;  // the 10 bytes, NUL padded
    uint64_t length;
    bool disagrees;
  };
  const Case cases[] = {
      {"1234", 1234, false},
      {"1234", 1235, true},
      {"1234      ", 1234, false},
      {"  01234", 1234, false},
      {"", 5, false},
      {"12x", 5, false},
      {"12 3", 5, false},
      {"-12", 5, false},
      {"123456789", 1234567890, false},
      {"123456788", 1234567891, true},
      {"1234567890", 1234567890, false},
  };
  for (const Case& c : cases) {
    MemberHeader header = filledHeader("m", 0, 0);
    std::memset(header.ar_size, 0, sizeof header.ar_size);
    std::memcpy(header.ar_size, c.field.data(), c.field.size());
    EXPECT_EQ(header.sizeDisagreesWith(c.length), c.disagrees) << c.field << " " << c.length;
  }
}
