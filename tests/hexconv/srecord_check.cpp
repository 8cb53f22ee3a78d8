#include "srecord_check.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "process_runner.h"

namespace hexcheck {

namespace {

namespace fs = std::filesystem;

std::string findOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::stringstream directories(path != nullptr ? path : "");
  std::string directory;
  while (std::getline(directories, directory, ':')) {
    std::error_code error;
    fs::path candidate = fs::path(directory) / program;
    if (!directory.empty() && fs::is_regular_file(candidate, error)) return candidate.string();
  }
  return std::string();
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// srec_cat's "-HEX_Dump" output: an address, a colon and sixteen
// three-character byte columns, blank where no byte is.
ByteMap parseHexDump(const std::string& dump) {
  ByteMap image;
  std::stringstream lines(dump);
  std::string line;
  while (std::getline(lines, line)) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    const uint32_t address = static_cast<uint32_t>(std::stoul(line.substr(0, colon), nullptr, 16));
    for (uint32_t column = 0; column < 16; ++column) {
      const size_t at = colon + 2 + 3 * column;
      if (at + 1 >= line.size()) break;
      const int high = hexDigit(line[at]);
      const int low = hexDigit(line[at + 1]);
      if (high >= 0 && low >= 0) image[address + column] = static_cast<uint8_t>(high * 16 + low);
    }
  }
  return image;
}

std::string describe(const ByteMap& image) {
  std::ostringstream text;
  text << std::hex;
  for (const auto& [address, value] : image)
    text << address << "=" << static_cast<int>(value) << " ";
  return text.str();
}

}  // namespace

bool srecordAvailable() {
  return !findOnPath("srec_info").empty() && !findOnPath("srec_cat").empty();
}

::testing::AssertionResult srecordAgrees(const std::string& path, const ByteMap& expected) {
  if (!srecordAvailable()) return ::testing::AssertionSuccess();
  const std::string directory = fs::path(path).parent_path().string();
  const std::string name = fs::path(path).filename().string();
  qortest::ProcessResult info =
      qortest::runProgram(findOnPath("srec_info"), {name, "-Intel"}, directory);
  if (info.exitCode != 0) {
    return ::testing::AssertionFailure()
           << "srec_info refuses " << path << ": " << info.errorOutput;
  }
  qortest::ProcessResult dump = qortest::runProgram(
      findOnPath("srec_cat"), {name, "-Intel", "-Output", "-", "-HEX_Dump"}, directory);
  if (dump.exitCode != 0) {
    return ::testing::AssertionFailure() << "srec_cat refuses " << path << ": " << dump.errorOutput;
  }
  const ByteMap found = parseHexDump(dump.output);
  if (found != expected) {
    return ::testing::AssertionFailure() << "srecord reads " << path << " as " << describe(found)
                                         << "\nexpected " << describe(expected);
  }
  return ::testing::AssertionSuccess();
}

void addBytes(ByteMap& image, uint32_t address, const std::vector<uint8_t>& bytes) {
  for (uint8_t value : bytes) image[address++] = value;
}

ByteMap lowBytes(const ByteMap& image) {
  ByteMap words;
  for (const auto& [address, value] : image)
    if (address % 2 == 0) words[address / 2] = value;
  return words;
}

ByteMap highBytes(const ByteMap& image) {
  ByteMap words;
  for (const auto& [address, value] : image)
    if (address % 2 == 1) words[address / 2] = value;
  return words;
}

}  // namespace hexcheck
