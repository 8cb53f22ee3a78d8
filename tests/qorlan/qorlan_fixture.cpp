#include "qorlan_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "archive.h"
#include "mgproc.h"

namespace qorlantest {

namespace {

constexpr uint8_t kEofClass = 107;
// f_timdat: bytes 4 to 7 of the file header.
constexpr size_t kTimeStampStart = 4;
constexpr size_t kTimeStampEnd = 8;

}  // namespace

ObjectBuilder objectFor(uint8_t processorCode, const std::string& fileName) {
  ObjectBuilder builder(fileName);
  builder.processor(procCoffType(processorCode), procRomWidthBits(processorCode),
                    procRamWidthBits(processorCode));
  return builder;
}

ObjectBuilder& endOfFile(ObjectBuilder& builder) {
  return builder.symbol(".eof", 0, N_DEBUG, kEofClass);
}

std::string objectText(const std::string& image) {
  std::string text;
  char cell[32];
  for (size_t line = 0; line < image.size(); line += 16) {
    std::snprintf(cell, sizeof cell, "%06zx:", line);
    text += cell;
    for (size_t at = line; at < line + 16 && at < image.size(); ++at) {
      if (at >= kTimeStampStart && at < kTimeStampEnd) {
        text += " ..";
        continue;
      }
      std::snprintf(cell, sizeof cell, " %02x",
                    static_cast<unsigned>(static_cast<uint8_t>(image[at])));
      text += cell;
    }
    text += "\n";
  }
  return text;
}

std::string maskMapTime(const std::string& map) {
  const std::string marker = " - Created ";
  std::string text = map;
  const size_t at = text.find(marker);
  if (at == std::string::npos) return text;
  const size_t from = at + marker.size();
  const size_t end = text.find('\n', from);
  if (end != std::string::npos) text.replace(from, end - from, "<time>");
  return text;
}

ByteImage readIntelHex(const std::string& text) {
  ByteImage image;
  uint32_t upper = 0;
  size_t at = 0;
  while ((at = text.find(':', at)) != std::string::npos) {
    auto byteAt = [&](size_t index) {
      return static_cast<uint32_t>(std::stoul(text.substr(at + 1 + 2 * index, 2), nullptr, 16));
    };
    const uint32_t count = byteAt(0);
    const uint32_t address = byteAt(1) << 8 | byteAt(2);
    const uint32_t type = byteAt(3);
    if (type == 4) upper = (byteAt(4) << 8 | byteAt(5)) << 16;
    for (uint32_t i = 0; type == 0 && i < count; ++i)
      image[upper + address + i] = static_cast<uint8_t>(byteAt(4 + i));
    ++at;
  }
  return image;
}

std::string listingRow(const std::string& address, const std::string& value,
                       const std::string& disassembly, const std::string& source,
                       const std::string& sourceFile) {
  char row[512];
  std::snprintf(row, sizeof row, "%-6s   %-6s   %-24s %-80s %-s\n", address.c_str(), value.c_str(),
                disassembly.c_str(), source.c_str(), sourceFile.c_str());
  return row;
}

void expectExpectedFile(const std::string& actual, const std::string& name) {
  const std::string expectedPath = std::string(QOR_TEST_DATA_DIR) + "/expected/" + name;
  const std::string expected = qortest::readFile(expectedPath);
  if (actual == expected) return;
  std::error_code ignored;
  std::filesystem::create_directories("qorlan_actual", ignored);
  qortest::writeFile("qorlan_actual/" + name, actual);
  ADD_FAILURE() << "differs from " << expectedPath << "; the text written is in "
                << std::filesystem::absolute("qorlan_actual/" + name, ignored).string();
}

void QorlanRun::SetUp() {
  setenv("TZ", "UTC", 1);
  setenv("LC_ALL", "C", 1);
  ASSERT_FALSE(cWork.path().empty());
}

ProcessResult QorlanRun::qorlan(const std::vector<std::string>& arguments) {
  ProcessResult result = qortest::runProgram(QORLAN_PATH, arguments, cWork.path());
  EXPECT_FALSE(result.signalled) << result.errorOutput;
  EXPECT_EQ(result.errorOutput, "");
  return result;
}

ProcessResult QorlanRun::qornip(const std::vector<std::string>& arguments) {
  return qortest::runProgram(QORNIP_PATH, arguments, cWork.path());
}

ProcessResult QorlanRun::qortav(const std::vector<std::string>& arguments) {
  return qortest::runProgram(QORTAV_PATH, arguments, cWork.path());
}

void Workspace::putLibrary(const std::string& name,
                           const std::vector<ObjectBuilder>& members) const {
  Archive library;
  library.cName = file(name);
  for (const ObjectBuilder& member : members) library.cMembers.push_back(member.coff());
  ASSERT_EQ(library.makeSymbols(), 1);
  ASSERT_EQ(library.write(), 1);
}

std::unique_ptr<Coff> Workspace::readBack(const std::string& name) const {
  std::unique_ptr<Coff> object = Coff::make(file(name));
  EXPECT_NE(object, nullptr) << name;
  if (object == nullptr) return nullptr;
  EXPECT_EQ(object->verify(), 1) << name;
  return object;
}

}  // namespace qorlantest
