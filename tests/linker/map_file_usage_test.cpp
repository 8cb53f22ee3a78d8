// The map file's program memory usage: words of each program section,
// blocks of adjacent words, and the utilization line.
#include <gtest/gtest.h>

#include <sstream>

#include "map_file_fixture.h"

namespace {

struct Scn {
  uint32_t flags;
  uint32_t address;
  uint32_t size;  // bytes
};

// An output of the family holding the sections in this section-number
// order, with sizes as given (no bytes need to be there for the map).
std::unique_ptr<Coff> outputWith(CoreFamily family, const std::vector<Scn>& sections) {
  qortest::ObjectBuilder builder = maptest::outputOf(family);
  for (size_t i = 0; i < sections.size(); ++i) {
    builder.section("s" + std::to_string(i), sections[i].flags).at(sections[i].address);
  }
  auto output = builder.coff();
  for (size_t i = 0; i < sections.size(); ++i) {
    output->cScnHdr["s" + std::to_string(i)].s_size = sections[i].size;
  }
  return output;
}

// The usage part of a map: each block as "start-end", then the summary
// line without its indent.
std::vector<std::string> usageOf(const std::string& map) {
  const std::string title = "Program Memory Usage \n";
  const size_t start = map.find(title);
  if (start == std::string::npos) return {"no usage table"};
  std::istringstream lines(map.substr(start + title.size()));
  std::string line;
  std::getline(lines, line);  // the column titles
  std::getline(lines, line);  // the rule
  std::vector<std::string> usage;
  while (std::getline(lines, line) && !line.empty()) {
    std::istringstream words(line);
    std::string first, second;
    words >> first >> second;
    usage.push_back(first.rfind("0x", 0) == 0 ? first + "-" + second : line.substr(12));
  }
  return usage;
}

std::string summary(uint32_t used, uint32_t count, uint32_t percent) {
  return std::to_string(used) + " out of " + std::to_string(count) +
         " program addresses used, program memory utilization is " + std::to_string(percent) + "%";
}

TEST(MapFileUsage, BlocksAndUtilization) {
  struct Case {
    const char* what;
    CoreFamily family;
    std::vector<Scn> sections;
    uint32_t count;
    std::vector<std::string> usage;
  };
  const Case cases[] = {
      {"3 bytes of 14-bit words are 2 words",
       CORE_VESK,
       {{STYP_CODE, 0x10, 3}},
       100,
       {"0x000010-0x000011", summary(2, 100, 2)}},
      {"an 8-bit core counts bytes",
       CORE_OSTRA,
       {{STYP_CODE, 0x100, 3}},
       1000,
       {"0x000100-0x000102", summary(3, 1000, 0)}},
      {"adjacent sections make one block",
       CORE_VESK,
       {{STYP_CODE, 16, 32}, {STYP_CODE, 0, 32}},
       64,
       {"0x000000-0x00001f", summary(32, 64, 50)}},
      {"a gap starts a second block",
       CORE_VESK,
       {{STYP_CODE, 0, 32}, {STYP_ROMDATA, 0x11, 2}},
       64,
       {"0x000000-0x00000f", "0x000011-0x000011", summary(17, 64, 26)}},
      {"an empty section neither starts nor breaks a block",
       CORE_VESK,
       {{STYP_CODE, 0, 4}, {STYP_CODE, 1, 0}, {STYP_CODE, 2, 4}, {STYP_CODE, 9, 0}},
       8,
       {"0x000000-0x000003", summary(4, 8, 50)}},
      {"data sections take no program addresses",
       CORE_VESK,
       {{STYP_IDATA, 0, 8}, {STYP_UDATA, 4, 8}, {STYP_CODE, 4, 2}},
       10,
       {"0x000004-0x000004", summary(1, 10, 10)}},
      {"nothing in program memory: no block",
       CORE_VESK,
       {{STYP_CODE, 0x10, 0}, {STYP_UDATA, 0, 4}},
       64,
       {summary(0, 64, 0)}},
      {"no program memory at all is full", CORE_MIREL, {}, 0, {summary(0, 0, 100)}},
      {"all used is full",
       CORE_ZARN,
       {{STYP_CODE, 0, 16}},
       8,
       {"0x000000-0x000007", summary(8, 8, 100)}},
      {"more than all used is full",
       CORE_VESK,
       {{STYP_CODE, 0, 20}},
       8,
       {"0x000000-0x000009", summary(10, 8, 100)}},
      {"more than 65535 words",
       CORE_VESK,
       {{STYP_CODE, 0, 0x30000}},
       0x20000,
       {"0x000000-0x017fff", summary(0x18000, 0x20000, 75)}},
      {"a percentage whose product needs more than 32 bits",
       CORE_OSTRA,
       {{STYP_CODE, 0, 100000000}},
       200000000,
       {"0x000000-0xf5e0ff", summary(100000000, 200000000, 50)}},
  };
  for (const Case& c : cases) {
    const std::string map = maptest::mapOf(*outputWith(c.family, c.sections), c.count);
    EXPECT_EQ(usageOf(map), c.usage) << c.what << "\n" << map;
  }
}

}  // namespace
