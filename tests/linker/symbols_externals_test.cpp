// External definitions collected by name (the linker's own symbols first)
// and every external reference given its definition's value.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "captured_output.h"
#include "symbols_fixture.h"

namespace {

using qortest::ObjectBuilder;
using symbols_test::CINIT_START;
using symbols_test::primarySlot;
using symbols_test::SymbolLink;

constexpr uint32_t STACK_START = 0x60;
constexpr uint32_t STACK_SIZE = 0x20;

enum Kind {
  DEF,  // a defined global of section 1
  REF,  // an external reference
  // A defined global (name of at most 8 characters) in the slot after a
  // symbol whose aux count is 1 but which has no aux kind.
  DEF_AFTER_AUX_COUNT,
  // A ".file" whose aux count is 2 and whose aux entry holds the bytes of an
  // external reference: never a reference.
  FILE_AUX_LIKE_REF,
};

struct Sym {
  Kind kind;
  std::string name;
  uint32_t value = 0;
};

std::unique_ptr<Coff> buildInput(const std::string& fileName, const std::vector<Sym>& symbols) {
  ObjectBuilder builder(fileName);
  builder.code(".text").bytes({0, 0});
  std::vector<uint32_t> fileSymbols;
  for (const Sym& s : symbols) {
    switch (s.kind) {
      case DEF: builder.global(s.name, s.value, 1); break;
      case REF: builder.externRef(s.name); break;
      case DEF_AFTER_AUX_COUNT:
        builder.symbol("lead", 0, N_DEBUG, C_STAT).auxSlot(primarySlot(s.name, s.value, 1, C_EXT));
        break;
      case FILE_AUX_LIKE_REF: {
        fileSymbols.push_back(builder.nextSymbolIndex());
        SymbolEntry aux = primarySlot("", 0, N_UNDEF, C_EXT);
        AuxFile{static_cast<uint32_t>(builder.string(s.name).stringOffset(s.name)), 0}.storeInto(
            aux);
        builder.symbol(".file", 0, N_DEBUG, C_FILE).auxSlot(aux);
        break;
      }
    }
  }
  std::unique_ptr<Coff> coff = builder.coff();
  for (const uint32_t i : fileSymbols) coff->cSymTbl[i].n_numaux = 2;
  return coff;
}

struct Reference {
  size_t input;
  const char* name;
  uint32_t value;
};

struct Case {
  const char* why;
  bool stack;
  std::vector<std::vector<Sym>> inputs;  // a.o, b.o, ...
  const char* error;                     // empty: both phases succeed
  // Values after resolution; each reference comes before any definition of
  // its name in its input, so that the name finds the reference.
  std::vector<Reference> references;
};

// clang-format off
const Case cases[] = {
    {"_stack without a STACK", false, {{{REF, "_stack"}}},
     "could not resolve symbol '_stack' in file 'a.o'.", {}},
    {"_stksize without a STACK", false, {{{DEF, "main"}}, {{REF, "_stksize"}}},
     "could not resolve symbol '_stksize' in file 'b.o'.", {}},
    {"own symbols with a STACK", true, {{{REF, "_stack"}, {REF, "_stksize"}, {REF, "_cinit"}}}, "",
     {{0, "_stack", STACK_START}, {0, "_stksize", STACK_SIZE}, {0, "_cinit", CINIT_START}}},
    {"an input defines _cinit", false, {{{DEF, "_cinit", 1}}},
     "symbol '_cinit' has multiple definitions.", {}},
    {"an input defines _stksize with a STACK", true, {{{DEF, "_stksize", 1}}},
     "symbol '_stksize' has multiple definitions.", {}},
    {"without a STACK _stack is an input's", false, {{{DEF, "_stack", 0x11}}, {{REF, "_stack"}}},
     "", {{1, "_stack", 0x11}}},
    {"a second definition", false, {{{DEF, "shared", 1}}, {{DEF, "other", 2}, {DEF, "shared", 3}}},
     "symbol 'shared' has multiple definitions.", {}},
    {"first unresolved in file and table order", false,
     {{{DEF, "x", 1}, {REF, "zz_miss"}, {REF, "aa_miss"}}, {{REF, "a_miss"}}},
     "could not resolve symbol 'zz_miss' in file 'a.o'.", {}},
    {"values copied into references", false,
     {{{REF, "func"}, {REF, "a_long_variable_name"}, {REF, "local"}, {DEF, "local", 5}},
      {{DEF, "a_long_variable_name", 0x45}, {REF, "func"}, {DEF, "func", 0x123}}}, "",
     {{0, "func", 0x123}, {0, "a_long_variable_name", 0x45}, {0, "local", 5}, {1, "func", 0x123}}},
    {"a definition after an aux count without aux kind", false,
     {{{DEF_AFTER_AUX_COUNT, "hidden", 0x31}}, {{REF, "hidden"}}}, "", {{1, "hidden", 0x31}}},
    {"an aux entry is no reference", false, {{{FILE_AUX_LIKE_REF, "nowhere.asm"}}}, "", {}},
};
// clang-format on

TEST(SymbolsExternals, DefinitionsAndReferences) {
  for (const Case& c : cases) {
    SymbolLink link;
    char fileName[] = "a.o";
    for (const auto& symbols : c.inputs) {
      link.linker.cCoff.push_back(buildInput(fileName, symbols));
      ++fileName[0];
    }
    if (c.stack) link.placeStack(STACK_START, STACK_SIZE);
    std::string error;
    const int result =
        link.linker.buildExtSymDef(error) == 1 && link.linker.resolveExternals(error) == 1;
    EXPECT_EQ(result, *c.error == '\0' ? 1 : 0) << c.why;
    EXPECT_EQ(error, c.error) << c.why;
    for (const Reference& r : c.references) {
      const SymbolEntry& reference = link.symbol(r.input, r.name);
      EXPECT_EQ(reference.n_value, r.value) << c.why << ": " << r.name;
      EXPECT_EQ(reference.n_scnum, N_UNDEF) << c.why << ": " << r.name;
    }
  }
}

// The stack's two symbols are the linker's own: defined externals of no
// section, entered under their names.
TEST(SymbolsExternals, StackSymbolsAreOwnDefinitions) {
  SymbolLink link;
  link.placeStack(STACK_START, STACK_SIZE);
  std::string error;
  ASSERT_EQ(link.linker.buildExtSymDef(error), 1);
  struct Expected {
    const char* name;
    const SymbolEntry* entry;
    uint32_t value;
  };
  for (const Expected& e : {Expected{"_cinit", &link.linker.cCinitSym, CINIT_START},
                            Expected{"_stack", &link.linker.cStackSym, STACK_START},
                            Expected{"_stksize", &link.linker.cStkSizeSym, STACK_SIZE}}) {
    ASSERT_EQ(link.linker.cExtSymDef.count(e.name), 1u) << e.name;
    EXPECT_EQ(link.linker.cExtSymDef.at(e.name), e.entry) << e.name;
    EXPECT_EQ(Coff::getName(*e.entry, link.linker.cOutput.cStrTbl), e.name);
    EXPECT_EQ(e.entry->n_value, e.value) << e.name;
    EXPECT_EQ(e.entry->n_sclass, C_EXT) << e.name;
    EXPECT_EQ(e.entry->n_scnum, N_UNDEF) << e.name;
    EXPECT_EQ(e.entry->n_numaux, 0) << e.name;
  }
}

}  // namespace
