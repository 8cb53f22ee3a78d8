// Runs the built librarian in a scratch directory on objects made with the
// object builder, and spells out the texts and library bytes it must give.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "banners.h"
#include "object_builder.h"
#include "process_runner.h"
#include "program_text.h"

namespace qorbutest {

using qortest::ObjectBuilder;
using qortest::ProcessResult;

using qortest::summary;

inline std::string banner() { return qortest::startupLines(librarianBanner()); }

inline std::string error(const std::string& message) { return "Error - " + message + "\n"; }

inline const std::string& helpScreen() {
  static const std::string text =
      "Syntax:   qorbu [/q] /{ctdrxh} LIBRARY [MEMBER...]  \n"
      "  /q      : quiet mode                       \n"
      "  /c      : create library LIBRARY           \n"
      "  /t      : list library LIBRARY             \n"
      "  /d      : delete MEMBER from LIBRARY       \n"
      "  /r      : add or replace MEMBER in LIBRARY \n"
      "  /x      : extract MEMBER from LIBRARY      \n"
      "  /h, /?  : show this help screen            \n"
      "\n";
  return text;
}

inline std::string bytesText(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// One member as a library holds it: the 280-byte header, then the image.
inline std::string libraryMember(const std::string& name, uint32_t stamp,
                                 const std::vector<uint8_t>& image) {
  std::string nameField = name + "/";
  nameField.resize(256, ' ');
  std::string dateField = std::to_string(stamp);
  dateField.resize(12, '\0');
  std::string sizeField = std::to_string(image.size());
  sizeField.resize(10, '\0');
  return nameField + dateField + sizeField + "`\n" + bytesText(image);
}

inline const char* libraryMagic() { return "!<arch>\n"; }

// Small objects with a long name each (so that the string table is not
// empty) and the external symbols the duplicate tests need.
inline ObjectBuilder alphaObject() {
  return ObjectBuilder("alpha.o")
      .timeStamp(1234567890)
      .code(".text")
      .bytes({0x01, 0x02, 0x03, 0x04})
      .global("alpha_entry", 0, 1)
      .externRef("beta_entry");
}

inline ObjectBuilder betaObject() {
  return ObjectBuilder("beta.o")
      .timeStamp(1000000000)
      .code("beta_code_section")
      .at(0x20)
      .bytes({0x10, 0x20, 0x30, 0x40, 0x50, 0x60})
      .reloc(2, 2, 0, 4)
      .line(0, 7, 0x20)
      .udata(".bss", 8)
      .fileSymbol("beta_source.asm")
      .global("beta_entry", 2, 1)
      .symbol("local_label", 4, 1, C_STAT);
}

// Another object that also defines alpha_entry.
inline ObjectBuilder alphaTwinObject() {
  return ObjectBuilder("twin.o")
      .timeStamp(1300000000)
      .idata("twin_data_section")
      .bytes({0xAA, 0xBB})
      .global("alpha_entry", 1, 1);
}

class QorbuRun : public ::testing::Test {
 protected:
  void SetUp() override {
    // ctest sets these too; the time stamps are listed as UTC calendar text.
    setenv("TZ", "UTC", 1);
    setenv("LC_ALL", "C", 1);
    ASSERT_FALSE(cDir.path().empty());
  }

  ProcessResult qorbu(const std::vector<std::string>& arguments) {
    return qortest::runProgram(QORBU_PATH, arguments, cDir.path());
  }
  ProcessResult qorbuIn(const std::string& workDir, const std::vector<std::string>& arguments) {
    return qortest::runProgram(QORBU_PATH, arguments, workDir);
  }

  std::string file(const std::string& name) const { return cDir.file(name); }
  std::string contents(const std::string& name) const { return qortest::readFile(file(name)); }
  bool exists(const std::string& name) const { return qortest::fileExists(file(name)); }

  // Writes the object's image to the scratch directory; returns the image.
  std::vector<uint8_t> put(const ObjectBuilder& object, const std::string& name) {
    object.writeFile(file(name));
    return object.image();
  }

  qortest::ScratchDir cDir;
};

}  // namespace qorbutest
