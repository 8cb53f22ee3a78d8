// The writer refuses an object whose counts do not fit their header fields:
// at each limit the object is written and reads back with its counts, one
// past it nothing is written and an old file of the name stays whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "coff_test_support.h"
#include "object_builder.h"
#include "process_runner.h"

using cofftest::MessageCapture;
using qortest::ObjectBuilder;

namespace {

std::unique_ptr<Coff> withSections(uint32_t count) {
  ObjectBuilder builder("limits.o");
  for (uint32_t i = 0; i < count; ++i) builder.udata("s" + std::to_string(i), 1);
  return builder.coff();
}

std::unique_ptr<Coff> withRelocations(uint32_t count) {
  ObjectBuilder builder("limits.o");
  builder.code("text").bytes({0, 0});
  for (uint32_t i = 0; i < count; ++i) builder.reloc(0, 0, 0, 1);
  return builder.global("x", 0, 1).coff();
}

std::unique_ptr<Coff> withLines(uint32_t count) {
  ObjectBuilder builder("limits.o");
  builder.code("text").bytes({0, 0});
  for (uint32_t i = 0; i < count; ++i) builder.line(0, static_cast<uint16_t>(i), 0);
  return builder.fileSymbol("a.asm").coff();
}

struct WriterLimit {
  std::string name;
  std::function<std::unique_ptr<Coff>()> make;
  std::string refusal;  // what follows "Coff file '<path>"; empty: written
};

std::ostream& operator<<(std::ostream& out, const WriterLimit& limit) { return out << limit.name; }

const std::vector<WriterLimit>& writerLimits() {
  static const std::vector<WriterLimit> limits = {
      {"SectionsAtTheLimit", [] { return withSections(65535); }, ""},
      {"SectionsPastTheLimit", [] { return withSections(65536); },
       "' would hold 65536 sections, more than the 65535 a Coff file can number."},
      {"RelocationsAtTheLimit", [] { return withRelocations(65535); }, ""},
      {"RelocationsPastTheLimit", [] { return withRelocations(65536); },
       "' would hold 65536 relocations in section 'text', more than the 65535 a Coff section "
       "can number."},
      {"LinesAtTheLimit", [] { return withLines(65535); }, ""},
      {"LinesPastTheLimit", [] { return withLines(65536); },
       "' would hold 65536 line numbers in section 'text', more than the 65535 a Coff section "
       "can number."},
  };
  return limits;
}

class WriterLimitTest : public ::testing::TestWithParam<WriterLimit> {};

TEST_P(WriterLimitTest, WritesWhatFitsAndRefusesTheRest) {
  const WriterLimit& limit = GetParam();
  qortest::ScratchDir dir;
  const std::string path = dir.file("limits.o");
  qortest::writeFile(path, "old contents");
  std::unique_ptr<Coff> coff = limit.make();
  coff->cName = path;
  MessageCapture messages;
  const int written = coff->write();
  if (!limit.refusal.empty()) {
    EXPECT_EQ(written, 0);
    EXPECT_EQ(messages.text(), "Error - Coff file '" + path + limit.refusal + "\n");
    EXPECT_EQ(qortest::readFile(path), "old contents");
  } else {
    ASSERT_EQ(written, 1);
    EXPECT_EQ(messages.text(), "");
    std::unique_ptr<Coff> read = Coff::make(path);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->cFileHdr.f_nscns, coff->cScnHdr.size());
    for (const auto& [name, header] : read->cScnHdr) {
      EXPECT_EQ(header.s_nreloc, read->cScnReloc[name].size());
      EXPECT_EQ(header.s_nlnno, read->cScnLineno[name].size());
      EXPECT_EQ(header.s_nreloc, coff->cScnReloc[name].size());
      EXPECT_EQ(header.s_nlnno, coff->cScnLineno[name].size());
    }
  }
  // Only the file of the name: no temporary stays beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

INSTANTIATE_TEST_SUITE_P(Limits, WriterLimitTest, ::testing::ValuesIn(writerLimits()),
                         [](const ::testing::TestParamInfo<WriterLimit>& info) {
                           return info.param.name;
                         });

}  // namespace
