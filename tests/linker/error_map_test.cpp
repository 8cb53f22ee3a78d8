// The partial map written right after allocation: its text, no file without
// a map name, and a failed write that reports the error and leaves an
// earlier map whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "banners.h"
#include "captured_output.h"
#include "file_size_limit.h"
#include "output_fixture.h"
#include "process_runner.h"

using outputtest::LinkState;
using qortest::ScratchDir;

namespace {

// The creation time line, checked for ctime's form and then masked.
std::string masked(const std::string& map) {
  const std::regex created(
      "Created [A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] "
      "[0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}\n");
  EXPECT_TRUE(std::regex_search(map, created)) << map;
  return std::regex_replace(map, created, "Created <time>\n");
}

// Two code pages (one with a section), a share bank, a data bank with two
// sections and an access bank: what allocation left before it failed.
void memories(LinkState& state) {
  state.codePage("page0", 0, 0x7FF).allocate(".code", uint32_t{0x10}, uint32_t{8}, 0);
  state.codePage("page1", 0x800, 0xFFF);
  std::string error;
  state.linker.addShareBank(Memory("shr", 0x70, 0x7F, Linker::ram, 0, 0, ""), error);
  Memory& bank = state.dataBank("gpr0", 0x20, 0x6F);
  bank.allocate(".udata", uint32_t{0x20}, uint32_t{4}, 0);
  bank.allocate(".idata", uint32_t{0x24}, uint32_t{2}, 0);
  state.linker.addAccessBank(Memory("acc", 0x00, 0x0F, Linker::ram, 0, 0, ""), error);
  for (auto* list : {&state.linker.cShareBanks, &state.linker.cAccessBanks})
    for (Memory& memory : *list) memory.setWidthBits(8);
}

const char* const kTable =
    "    Memory      Start        End              Section    Address Size(Bytes)\n"
    " ---------  ---------  ---------            ---------  ---------  ---------\n";

TEST(ErrorMap, TextOfTheMemoryTables) {
  ScratchDir dir;
  LinkState state(CORE_VESK);
  memories(state);
  state.linker.cMapFile = dir.file("out.map");
  qortest::CapturedOutput captured;
  state.linker.writeErrorMapFile();
  EXPECT_EQ(captured.errors(), "");
  EXPECT_EQ(masked(qortest::readFile(state.linker.cMapFile)),
            std::string(linkerBanner()) +
                "\nLinker Error Map File - Created <time>\n"
                "\n*Warning* - This is only a partial map file due to a link time error.\n"
                "   Only sections which were allocated prior to the error are shown below.\n\n"
                "CODEPAGES:\n" +
                kTable +
                "     page0     0x0000     0x07ff                .code     0x0010     0x0008\n\n"
                "     page1     0x0800     0x0fff                                           \n\n"
                "\nSHAREBANKS:\n" +
                kTable +
                "       shr     0x0070     0x007f                                           \n\n"
                "\nDATABANKS:\n" +
                kTable +
                "      gpr0     0x0020     0x006f               .udata     0x0020     0x0004\n"
                "                                               .idata     0x0024     0x0002\n\n"
                "\nACCESSBANKS:\n" +
                kTable +
                "       acc     0x0000     0x000f                                           \n\n"
                "\n");
}

// What stands under the map's name before the write, and whether the write
// is cut short; the error is reported and an earlier map stays whole.
struct FailureCase {
  const char* name;
  bool directory;    // a directory of the map's name
  rlim_t sizeLimit;  // 0: none
};

class ErrorMapFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(ErrorMapFailure, ReportsAndKeepsWhatWasThere) {
  const FailureCase& row = GetParam();
  ScratchDir dir;
  LinkState state(CORE_OSTRA);
  memories(state);
  state.linker.cMapFile = dir.file("out.map");
  const std::string earlier = "the map of an earlier run\n";
  if (row.directory)
    std::filesystem::create_directory(state.linker.cMapFile);
  else
    qortest::writeFile(state.linker.cMapFile, earlier);
  qortest::CapturedOutput captured;
  {
    std::unique_ptr<qortest::FileSizeLimit> limit;
    if (row.sizeLimit != 0) limit = std::make_unique<qortest::FileSizeLimit>(row.sizeLimit);
    state.linker.writeErrorMapFile();
  }
  EXPECT_EQ(captured.errors(),
            "Error - Could not open map file '" + state.linker.cMapFile + "' for writing.\n");
  EXPECT_EQ(errorCount(), 1u);
  if (row.directory) {
    EXPECT_TRUE(std::filesystem::is_directory(state.linker.cMapFile));
  } else {
    EXPECT_EQ(qortest::readFile(state.linker.cMapFile), earlier);
  }
  size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path()))
    ++files;
  EXPECT_EQ(files, 1u);  // no temporary left behind
}

INSTANTIATE_TEST_SUITE_P(Targets, ErrorMapFailure,
                         testing::Values(FailureCase{"Directory", true, 0},
                                         FailureCase{"WriteCutShort", false, 100}),
                         [](const testing::TestParamInfo<FailureCase>& info) {
                           return info.param.name;
                         });

TEST(ErrorMap, NoMapNameNoFileAndAnEarlierMapReplaced) {
  ScratchDir dir;
  LinkState state(CORE_VESK);
  memories(state);
  qortest::CapturedOutput captured;
  state.linker.writeErrorMapFile();
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  state.linker.cMapFile = dir.file("out.map");
  qortest::writeFile(state.linker.cMapFile, "old");
  state.linker.writeErrorMapFile();
  EXPECT_EQ(qortest::readFile(state.linker.cMapFile).rfind(linkerBanner(), 0), 0u);
  EXPECT_EQ(captured.errors(), "");
}

}  // namespace
