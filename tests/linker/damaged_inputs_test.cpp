// Inputs that once crashed, hung or exhausted the linker (found by the fuzz
// targets and the damaged-input sweep): each now ends in a message.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "linker.h"
#include "object_builder.h"
#include "parser.h"

namespace {

// A section whose name is empty (an inline name that starts with a NUL,
// or a string-table name of no characters) was placed, but the memory then
// took its piece for a free hole and the loading aborted.
TEST(DamagedInputs, SectionWithoutNameIsRefused) {
  Linker linker;
  linker.cCoff.push_back(qortest::ObjectBuilder("a.o").code(".text").bytes({1, 2}).coff());
  std::unique_ptr<Coff> nameless = qortest::ObjectBuilder("b.o").code(".x").bytes({1, 2}).coff();
  nameless->cScnHdr[""] = nameless->cScnHdr[".x"];
  nameless->cScnHdr.erase(".x");
  nameless->cRawData[""] = nameless->cRawData[".x"];
  nameless->cRawData.erase(".x");
  nameless->cScnNum[1] = "";
  linker.cCoff.push_back(std::move(nameless));
  std::string error;
  EXPECT_EQ(linker.checkSectionTypes(error), 0);
  EXPECT_EQ(error, "a section in file 'b.o' has no name.");
}

// A code page with FILL= whose END was mistyped far beyond any device's
// program memory made the fill ask for gigabytes.
TEST(DamagedInputs, FilledCodePageBeyondAnyDeviceIsRefused) {
  struct Case {
    const char* attributes;
    int accepted;
  };
  const Case cases[] = {
      {"NAME=p START=0x20 END=0xFFFFFFFF FILL=0xFFFF", 0},
      {"NAME=p START=0 END=0x1000000 FILL=0", 0},
      {"NAME=p START=0 END=0xFFFFFF FILL=0", 1},
      {"NAME=p START=1 END=0x1000000 FILL=0", 1},
      {"NAME=p START=0x20 END=0xFFFFFFFF", 1},
  };
  for (const Case& c : cases) {
    Parser parser;
    Memory memory;
    std::string error;
    std::istringstream words(c.attributes);
    EXPECT_EQ(parser.readMemory(words, "CODEPAGE", "./t.lkr", 3, Linker::rom, memory, error),
              c.accepted)
        << c.attributes;
    EXPECT_EQ(error, c.accepted ? "" : "Invalid attributes for CODEPAGE in './t.lkr:3'")
        << c.attributes;
  }
}

}  // namespace
