#include "codconv_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "banners.h"
#include "mgproc.h"

namespace codtest {

qortest::ObjectBuilder objectFor(uint8_t processorCode, const std::string& fileName) {
  qortest::ObjectBuilder builder(fileName);
  builder.processor(procCoffType(processorCode), procRomWidthBits(processorCode), 8);
  return builder;
}

qortest::ObjectBuilder& endOfFile(qortest::ObjectBuilder& builder) {
  return builder.symbol(".eof", 0, N_DEBUG, kEofClass);
}

std::string row(const std::string& address, const std::string& value,
                const std::string& disassembly, const std::string& source,
                const std::string& file) {
  std::vector<char> buffer(address.size() + value.size() + disassembly.size() + source.size() +
                           file.size() + 256);
  std::snprintf(buffer.data(), buffer.size(), "%-6s   %-6s   %-24s %-80s %-s\n", address.c_str(),
                value.c_str(), disassembly.c_str(), source.c_str(), file.c_str());
  return buffer.data();
}

std::string pageHeader(bool firstPage) {
  std::string text = firstPage ? "" : "\f\n";
  text += std::string(codBanner()) + "\n";
  text += std::string(noticeBanner()) + "\n";
  text += "Listing File Generated: <time>\n\n\n";
  text +=
      "Address  Value    Disassembly              Source                                   "
      "                                        File\n";
  text +=
      "-------  -------  -----------------------  -------------------------------------------"
      "------------------------------------  -----\n";
  return text;
}

std::string maskListTime(const std::string& listing) {
  const std::string marker = "Listing File Generated: ";
  std::string text = listing;
  std::size_t at = 0;
  while ((at = text.find(marker, at)) != std::string::npos) {
    const std::size_t from = at + marker.size();
    const std::size_t end = text.find('\n', from);
    if (end == std::string::npos) {
      break;
    }
    text.replace(from, end - from, "<time>");
    at = from;
  }
  return text;
}

qortest::ProcessResult runQortav(const std::vector<std::string>& arguments,
                                 const std::string& dir) {
  return qortest::runProgram(QORTAV_PATH, arguments, dir);
}

std::string banner() { return qortest::startupLines(codBanner()); }

Directory firstDirectory(const std::string& codName, uint8_t processorCode) {
  Directory directory;
  directory.setSource(codName + ".cod");
  directory.setVersion(codShortBanner());
  directory.setNotice(noticeBanner());
  directory.setProcessor(procName(processorCode));
  return directory;
}

Cod expectedCod(const std::string& base, uint8_t processorCode, uint16_t windows) {
  Cod cod;
  cod.cDirectory.push_back(firstDirectory(base, processorCode));
  for (uint16_t window = 1; window < windows; ++window) {
    Directory directory;
    directory.HighAddr = window;
    cod.cDirectory.push_back(directory);
  }
  cod.cCode.resize(windows);
  cod.cMemoryMap.resize(windows);
  cod.cLineInfo.resize(windows);
  return cod;
}

void addPageHeaderLines(std::list<LineInfo>& lines) {
  for (int i = 0; i < 8; ++i) {
    lines.push_back(LineInfo(0, COD_LINE_PAGE_HEADER, 1, 0));
  }
}

void setListedLines(Cod& cod, const std::vector<LineInfo>& rows) {
  std::list<LineInfo>& lines = cod.cLineInfo[0];
  lines.clear();
  addPageHeaderLines(lines);
  lines.insert(lines.end(), rows.begin(), rows.end());
}

namespace {

// Offsets of DateLen to the end of Time in a directory block.
constexpr std::size_t kStampFirst = 320;
constexpr std::size_t kStampEnd = 330;

void maskStamp(std::vector<uint8_t>& bytes) {
  for (std::size_t i = kStampFirst; i < kStampEnd && i < bytes.size(); ++i) {
    bytes[i] = 0;
  }
}

}  // namespace

void expectCodFile(const std::string& path, Cod expected) {
  const std::string expectedPath = path + ".expected";
  expected.preWrite();
  ASSERT_EQ(expected.write(expectedPath), 1);
  std::vector<uint8_t> actualBytes = qortest::readFileBytes(path);
  std::vector<uint8_t> expectedBytes = qortest::readFileBytes(expectedPath);
  std::remove(expectedPath.c_str());
  ASSERT_FALSE(actualBytes.empty()) << path;
  maskStamp(actualBytes);
  maskStamp(expectedBytes);
  ASSERT_EQ(actualBytes.size(), expectedBytes.size());
  for (std::size_t i = 0; i < actualBytes.size(); ++i) {
    ASSERT_EQ(actualBytes[i], expectedBytes[i]) << "byte " << i << " of " << path;
  }

  std::unique_ptr<Cod> readBack = Cod::make(path);
  ASSERT_TRUE(readBack);
  ASSERT_FALSE(readBack->cDirectory.empty());
  Directory& first = readBack->cDirectory[0];
  const Directory& stamped = expected.cDirectory[0];
  std::copy(std::begin(stamped.Date), std::end(stamped.Date), std::begin(first.Date));
  first.DateLen = stamped.DateLen;
  first.Time = stamped.Time;
  EXPECT_TRUE(*readBack == expected);
}

}  // namespace codtest
