// Runs the built linker, and the two converters on its output, in a scratch
// directory on objects made with the object builder, and compares the files
// it writes whole with the expected files of tests/qorlan/expected.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "banners.h"
#include "coff.h"
#include "object_builder.h"
#include "process_runner.h"
#include "program_text.h"

namespace qorlantest {

using qortest::ObjectBuilder;
using qortest::ProcessResult;
using qortest::summary;

inline std::string banner() { return qortest::startupLines(linkerBanner()); }
inline std::string error(const std::string& message) { return "Error - " + message + "\n"; }
inline std::string warning(const std::string& message) { return "Warning - " + message + "\n"; }

// An object for the device of `processorCode`, family-generic when asked.
ObjectBuilder objectFor(uint8_t processorCode, const std::string& fileName);
// The ".eof" symbol that closes a source file's symbols.
ObjectBuilder& endOfFile(ObjectBuilder& builder);

// An object image as 16 bytes a line, with the time stamp f_timdat shown as
// "..": the one part of an output that differs from run to run.
std::string objectText(const std::string& image);
// A map file with the time of its "Created" line replaced by "<time>".
std::string maskMapTime(const std::string& map);

// The bytes of an Intel HEX file (data and extended linear address
// records) by byte address.
using ByteImage = std::map<uint32_t, uint8_t>;
ByteImage readIntelHex(const std::string& text);
// One row of the converter's listing, in its column layout.
std::string listingRow(const std::string& address, const std::string& value,
                       const std::string& disassembly, const std::string& source,
                       const std::string& sourceFile);

// Compares a whole text with tests/qorlan/expected/<name>. On a difference
// the text is also written to qorlan_actual/<name> in the test's working
// directory, where it can be compared by eye.
void expectExpectedFile(const std::string& actual, const std::string& name);

// The scratch directory of one test and what the tests put into it.
class Workspace {
 public:
  const std::string& path() const { return cDir.path(); }
  std::string file(const std::string& name) const { return cDir.file(name); }
  std::string contents(const std::string& name) const { return qortest::readFile(file(name)); }
  bool exists(const std::string& name) const { return qortest::fileExists(file(name)); }
  void putText(const std::string& name, const std::string& text) const {
    qortest::writeFile(file(name), text);
  }
  void put(const ObjectBuilder& object, const std::string& name) const {
    object.writeFile(file(name));
  }
  // A library of the objects, written by the library writer; each member
  // is named after its builder's file name.
  void putLibrary(const std::string& name, const std::vector<ObjectBuilder>& members) const;

  // Reads a written object back as every program of the suite does, and
  // checks its cross-references; none (with a test failure) otherwise.
  std::unique_ptr<Coff> readBack(const std::string& name) const;

 private:
  qortest::ScratchDir cDir;
};

class QorlanRun : public ::testing::Test {
 protected:
  void SetUp() override;

  ProcessResult qorlan(const std::vector<std::string>& arguments);
  ProcessResult qornip(const std::vector<std::string>& arguments);
  ProcessResult qortav(const std::vector<std::string>& arguments);

  Workspace cWork;
};

}  // namespace qorlantest
