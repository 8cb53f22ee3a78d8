// Where each input's part of a section lies once the sections are placed:
// in input order one after another, all at the start for overlay sections,
// and kept apart for two inputs of one name.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "allocate_fixture.h"
#include "object_builder.h"

namespace {

using namespace allocfix;

// One input object contributing one part of a section.
struct Part {
  std::string file;
  std::string section;
  uint32_t size;
};

// Where the part of the input at position lies.
struct Load {
  size_t position;
  std::string section;
  uint32_t start;
  uint32_t size;
};

struct Case {
  const char* what;
  ProcessorCode processor;
  std::vector<Input> sections;  // as the section check merged the parts
  std::vector<Part> parts;
  std::string error;
  std::vector<Load> loads;
};

std::unique_ptr<Coff> objectWith(const Part& part, const Input& in) {
  qortest::ObjectBuilder builder(part.file);
  switch (in.type) {
    case kUdata: builder.udata(part.section, part.size); break;
    case kIdata: builder.idata(part.section); break;
    case kRomdata: builder.romdata(part.section); break;
    default: builder.code(part.section); break;
  }
  if (in.type != kUdata) builder.bytes(std::vector<uint8_t>(part.size, 0x5A));
  if (in.absolute) builder.at(in.start).absolute();
  if (in.overlay) builder.overlay();
  return builder.coff();
}

const Input& inputNamed(const std::vector<Input>& sections, const std::string& name) {
  for (const Input& in : sections) {
    if (in.name == name) return in;
  }
  throw std::logic_error("no section " + name);
}

void pageAndBank(LinkSetup& s) {
  s.code("tbl", 0, 0x1F, true).section(".cinit", "tbl", "");
  s.code("p", 0x100, 0x1FF).data("gpr", 0x20, 0x7F);
}

// clang-format off
const Case kCases[] = {
    {"three inputs, two of one name, in input order", kVesk, {{".text", kCode, 12}},
     {{"a.o", ".text", 4}, {"x.o", ".text", 2}, {"x.o", ".text", 6}}, "",
     {{0, ".text", 0x100, 4}, {1, ".text", 0x102, 2}, {2, ".text", 0x103, 6}}},
    {"byte-wide program memory counts bytes", kOstra, {{".text", kCode, 6}},
     {{"a.o", ".text", 3}, {"b.o", ".text", 3}}, "",
     {{0, ".text", 0x100, 3}, {1, ".text", 0x103, 3}}},
    {"overlay parts all at the section's start", kVesk, {overlayIn({"ov", kUdata, 8})},
     {{"a.o", "ov", 4}, {"b.o", "ov", 8}}, "", {{0, "ov", 0x20, 4}, {1, "ov", 0x20, 8}}},
    {"absolute parts at their address", kVesk,
     {at({"reset", kCode, 4}, 0x120), overlayIn(at({"ao", kUdata, 8}, 0x40))},
     {{"a.o", "reset", 4}, {"a2.o", "ao", 4}, {"b.o", "ao", 8}}, "",
     {{0, "reset", 0x120, 4}, {1, "ao", 0x40, 4}, {2, "ao", 0x40, 8}}},
    {"parts of odd length overrun a section of words", kVesk, {{".text", kCode, 6}},
     {{"a.o", ".text", 3}, {"b.o", ".text", 3}},
     "section '.text' in file 'b.o' does not fit in the space allocated for the section.",
     {{0, ".text", 0x100, 3}}},
    {"a full section takes no further bytes", kVesk, {{".text", kCode, 6}},
     {{"a.o", ".text", 1}, {"b.o", ".text", 3}, {"c.o", ".text", 0}, {"d.o", ".text", 2}},
     "section '.text' in file 'd.o' does not fit in the space allocated for the section.",
     {{1, ".text", 0x101, 3}, {2, ".text", 0x103, 0}}},
};
// clang-format on

TEST(LoadSections, PartsInTheirSections) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    LinkSetup setup(c.processor);
    pageAndBank(setup);
    for (const Input& in : c.sections) setup.input(in);
    for (const Part& part : c.parts) {
      setup.linker.cCoff.push_back(objectWith(part, inputNamed(c.sections, part.section)));
    }
    ASSERT_EQ(setup.map(), "");
    std::string error;
    EXPECT_EQ(setup.linker.loadSections(error), c.error.empty() ? 1 : 0);
    EXPECT_EQ(error, c.error);
    for (const Load& load : c.loads) {
      const std::string key = setup.linker.inputKey(load.position);
      const Memory& memory = *setup.linker.cScnMem.at(load.section);
      ASSERT_TRUE(memory.isLoaded(key, load.section)) << key;
      EXPECT_EQ(memory.getLoadStart(key, load.section), load.start) << key;
      EXPECT_EQ(memory.getLoadSize(key, load.section), load.size) << key;
    }
  }
}

}  // namespace
