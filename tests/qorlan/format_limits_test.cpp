// Links whose output would not fit the fields of the object format: the
// section count (a signed section number with symbols, an unsigned count
// without), the line entries of one section and the length of the file.
// At each limit the link succeeds and its output reads back with its
// counts; past it the link fails with one message, exit code 1 and the old
// output left whole. The objects are made here, not checked in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qorlan_fixture.h"

namespace qorlantest {
namespace {

constexpr uint8_t kVesk = 52;  // 14-bit program words: two bytes a location
const char* const kOldOutput = "an earlier output";

const char* const kRoomyTarget =
    "CODEPAGE NAME=page0 START=0x0 END=0x7FF\n"
    "DATABANK NAME=big START=0x0 END=0xFFFF\n";

// One object of `count` one-byte udata sections.
void putSections(const Workspace& work, uint32_t count) {
  ObjectBuilder object = objectFor(kVesk, "many.o");
  for (uint32_t i = 0; i < count; ++i) object.udata("u" + std::to_string(i), 1);
  work.put(object, "many.o");
  work.putText("link.lkr", kRoomyTarget);
}

// Two objects, each with `count` line entries in the code section "code".
void putLines(const Workspace& work, uint32_t count) {
  for (const char* name : {"a.o", "b.o"}) {
    ObjectBuilder object = objectFor(kVesk, name);
    object.code("code").bytes({0x00, 0x00});
    for (uint32_t i = 0; i < count; ++i) object.line(0, static_cast<uint16_t>(1 + i % 60000), 0);
    object.fileSymbol(std::string(name) + ".asm");
    work.put(object, name);
  }
  work.putText("link.lkr", kRoomyTarget);
}

// 130 filled code pages, each one location under the largest a FILL may
// cover, and one location of code: 4.36 GB of fill, from a command file of
// a few kilobytes.
void putFilledPages(const Workspace& work) {
  std::string target = "DATABANK NAME=gpr0 START=0x20 END=0x7F\n";
  for (uint32_t page = 0; page < 130; ++page) {
    char line[96];
    std::snprintf(line, sizeof line, "CODEPAGE NAME=p%u START=0x%X END=0x%X FILL=0x3FFF\n", page,
                  page << 24, (page << 24) + 0xFFFFFE);
    target += line;
  }
  work.putText("link.lkr", target);
  ObjectBuilder object = objectFor(kVesk, "one.o");
  object.code("text").bytes({0x00, 0x00});
  work.put(object, "one.o");
}

struct FormatLimit {
  std::string name;
  std::function<void(const Workspace&)> prepare;
  std::vector<std::string> arguments;
  std::string message;        // the one error; empty: the link succeeds
  uint16_t sections = 0;      // of a successful output
  uint16_t busiestLines = 0;  // the most line entries of one of its sections
};

std::ostream& operator<<(std::ostream& out, const FormatLimit& limit) { return out << limit.name; }

const std::vector<FormatLimit>& formatLimits() {
  // Each output holds the inputs' sections and ".cinit".
  static const std::vector<FormatLimit> limits = {
      {"SectionsAtTheSymbolLimit",
       [](const Workspace& work) { putSections(work, 32766); },
       {"link.lkr", "many.o"},
       "",
       32767},
      {"SectionsPastTheSymbolLimit",
       [](const Workspace& work) { putSections(work, 32767); },
       {"link.lkr", "many.o"},
       "the output would hold 32768 sections, more than the 32767 a Coff file can number."},
      {"StrippedSectionsPastTheSymbolLimit",
       [](const Workspace& work) { putSections(work, 32767); },
       {"link.lkr", "many.o", "-s"},
       "",
       32768},
      {"StrippedSectionsAtTheLimit",
       [](const Workspace& work) { putSections(work, 65534); },
       {"link.lkr", "many.o", "-s"},
       "",
       65535},
      {"StrippedSectionsPastTheLimit",
       [](const Workspace& work) { putSections(work, 65535); },
       {"link.lkr", "many.o", "-s"},
       "the output would hold 65536 sections, more than the 65535 a Coff file can number."},
      {"LinesAtTheLimit",
       [](const Workspace& work) { putLines(work, 32767); },
       {"link.lkr", "a.o", "b.o"},
       "",
       2,
       65534},
      {"LinesPastTheLimit",
       [](const Workspace& work) { putLines(work, 40000); },
       {"link.lkr", "a.o", "b.o"},
       "section 'code' would hold 80000 line numbers, more than the 65535 a Coff section can "
       "number."},
      {"StrippedLinesAreNotCounted",
       [](const Workspace& work) { putLines(work, 40000); },
       {"link.lkr", "a.o", "b.o", "-s"},
       "",
       2},
      // 36 bytes of headers, 40 for each of 132 section headers, 2 of code,
      // 4 of ".cinit" (two words), (130 x 0xFFFFFF - 3) x 2 of fill and a
      // string table of 4 bytes and 31 names ".fill_100" to ".fill_130".
      {"FileLengthPastTheLimit",
       putFilledPages,
       {"link.lkr", "one.o"},
       "the output would be 4362081530 bytes, more than the 4294967295 a Coff file can address."},
  };
  return limits;
}

class FormatLimitTest : public QorlanRun, public ::testing::WithParamInterface<FormatLimit> {};

TEST_P(FormatLimitTest, LinksWhatFitsAndRefusesTheRest) {
  const FormatLimit& limit = GetParam();
  limit.prepare(cWork);
  cWork.putText("out.o", kOldOutput);
  std::vector<std::string> arguments = limit.arguments;
  arguments.insert(arguments.end(), {"-o", "out.o"});
  const ProcessResult result = qorlan(arguments);
  if (!limit.message.empty()) {
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.output, banner() + error(limit.message) + summary(1));
    EXPECT_EQ(cWork.contents("out.o"), kOldOutput);
    return;
  }
  ASSERT_EQ(result.exitCode, 0) << result.output;
  std::unique_ptr<Coff> output = cWork.readBack("out.o");
  ASSERT_NE(output, nullptr);
  EXPECT_EQ(output->cFileHdr.f_nscns, limit.sections);
  EXPECT_EQ(output->cScnNum.size(), limit.sections);
  size_t busiest = 0;
  for (const auto& [name, header] : output->cScnHdr) {
    EXPECT_EQ(header.s_nlnno, output->cScnLineno[name].size()) << name;
    busiest = std::max(busiest, output->cScnLineno[name].size());
  }
  EXPECT_EQ(busiest, limit.busiestLines);
}

INSTANTIATE_TEST_SUITE_P(Limits, FormatLimitTest, ::testing::ValuesIn(formatLimits()),
                         [](const ::testing::TestParamInfo<FormatLimit>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace qorlantest
