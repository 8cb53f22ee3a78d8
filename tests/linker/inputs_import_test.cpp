// Importing library members: which members, in which order, against a
// direct rendering of the repeated passes; thousands of chained members;
// members whose indexes do not hold; symbols whose aux count misleads.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "captured_output.h"
#include "debug_switches.h"
#include "inputs_fixture.h"

namespace {

using inputstest::Names;
using inputstest::objectWith;
using qortest::ObjectBuilder;

// One input or member: its file name, what it defines, what it references.
struct Part {
  std::string name;
  Names defined;
  Names referenced;
};
using Library = std::vector<Part>;

ObjectBuilder build(const Part& part) {
  return objectWith(part.name, part.defined, part.referenced);
}

void fill(Linker& linker, const std::vector<Part>& objects, const std::vector<Library>& libraries) {
  for (const Part& object : objects) linker.cCoff.push_back(build(object).coff());
  for (size_t i = 0; i < libraries.size(); ++i) {
    std::vector<ObjectBuilder> members;
    for (const Part& member : libraries[i]) members.push_back(build(member));
    linker.cArchives.push_back(inputstest::libraryOf("lib" + std::to_string(i), members));
  }
}

// The passes as plainly as they can be put: every pass looks at every
// input again and imports one member.
Names importNaively(Linker& linker) {
  for (;;) {
    std::set<std::string> defined;
    std::set<std::string> referenced;
    for (const auto& object : linker.cCoff) {
      for (size_t i = 0; i < object->cSymTbl.size(); ++i) {
        if (object->cAuxType[i] != AUX_NONE) continue;
        const SymbolEntry& symbol = object->cSymTbl[i];
        const std::string name = Coff::getName(symbol, object->cStrTbl);
        if (Coff::isDefinedGlobal(symbol)) defined.insert(name);
        if (Coff::isExternRef(symbol)) referenced.insert(name);
      }
    }
    bool imported = false;
    for (const std::string& name : referenced) {
      if (defined.count(name) != 0) continue;
      for (const auto& library : linker.cArchives) {
        if (library->hasSymbol(name) == 0) continue;
        linker.cCoff.push_back(library->getMember(name));
        imported = true;
        break;
      }
      if (imported) break;
    }
    if (!imported) return inputstest::inputNames(linker);
  }
}

Names importFast(const std::vector<Part>& objects, const std::vector<Library>& libraries) {
  Linker linker;
  fill(linker, objects, libraries);
  std::string error;
  EXPECT_EQ(linker.importLibraryMembers(error), 1);
  EXPECT_EQ(error, "");
  return inputstest::inputNames(linker);
}

struct ImportCase {
  const char* title;
  std::vector<Part> objects;
  std::vector<Library> libraries;
  Names imported;  // the members, in order of import
};

const std::vector<ImportCase> IMPORT_CASES = {
    {"two libraries define the name",
     {{"main.o", {"main"}, {"f"}}},
     {{{"m1.o", {"f"}, {}}}, {{"m2.o", {"f"}, {}}}},
     {"m1.o"}},
    {"smallest name first, its member defines both",
     {{"main.o", {}, {"b", "a"}}},
     {{{"mab.o", {"a", "b"}, {}}}, {{"mb.o", {"b"}, {}}}},
     {"mab.o"}},
    {"smallest name first, one member each",
     {{"main.o", {}, {"b", "a"}}},
     {{{"mb.o", {"b"}, {}}, {"ma.o", {"a"}, {}}}},
     {"ma.o", "mb.o"}},
    {"a member pulls in another",
     {{"main.o", {}, {"m"}}},
     {{{"mm.o", {"m"}, {"c"}}}, {{"mc.o", {"c"}, {}}}},
     {"mm.o", "mc.o"}},
    {"nothing undefined",
     {{"main.o", {"f"}, {"f"}}, {"b.o", {"g"}, {"f"}}},
     {{{"mf.o", {"f"}, {}}, {"mg.o", {"g"}, {}}}},
     {}},
    {"a later input defines the name",
     {{"a.o", {}, {"g"}}, {"b.o", {"g"}, {}}},
     {{{"mg.o", {"g"}, {}}}},
     {}},
    {"names no library supplies stay undefined",
     {{"main.o", {}, {"a", "z", "b"}}},
     {{{"mb.o", {"b"}, {"c"}}, {"mc.o", {"c"}, {"a"}}}},
     {"mb.o", "mc.o"}},
    {"no library", {{"main.o", {}, {"f"}}}, {}, {}},
};

TEST(ImportLibraryMembers, OrderOfTheSpecifiedPasses) {
  for (const ImportCase& c : IMPORT_CASES) {
    SCOPED_TRACE(c.title);
    Names expected;
    for (const Part& object : c.objects) expected.push_back(object.name);
    expected.insert(expected.end(), c.imported.begin(), c.imported.end());
    EXPECT_EQ(importFast(c.objects, c.libraries), expected);
    Linker naive;
    fill(naive, c.objects, c.libraries);
    EXPECT_EQ(importNaively(naive), expected);
  }
}

// Libraries of members that define and reference names drawn from one pool;
// some names are defined by members of several libraries, some by none.
void randomLink(unsigned seed, std::vector<Part>& objects, std::vector<Library>& libraries) {
  std::mt19937 random(seed);
  auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
  Names pool;
  for (int i = 0; i < 120; ++i) pool.push_back("n" + std::to_string(i * 7919 % 1000));
  libraries.assign(3, {});
  for (size_t lib = 0; lib < libraries.size(); ++lib) {
    std::set<std::string> definedHere;  // one definition per name and library
    for (int m = 0; m < 40; ++m) {
      Part member{"l" + std::to_string(lib) + "m" + std::to_string(m) + ".o", {}, {}};
      for (size_t d = 1 + pick(2); d > 0; --d) {
        const std::string& name = pool[pick(pool.size())];
        if (definedHere.insert(name).second) member.defined.push_back(name);
      }
      for (size_t r = pick(4); r > 0; --r) member.referenced.push_back(pool[pick(pool.size())]);
      libraries[lib].push_back(member);
    }
  }
  objects = {{"main.o", {pool[0]}, {pool[pick(pool.size())], pool[pick(pool.size())]}},
             {"util.o", {}, {pool[pick(pool.size())], pool[pick(pool.size())]}}};
}

TEST(ImportLibraryMembers, SameOrderAsTheDirectPassesOnRandomLinks) {
  for (unsigned seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE(seed);
    std::vector<Part> objects;
    std::vector<Library> libraries;
    randomLink(seed, objects, libraries);
    Linker naive;
    fill(naive, objects, libraries);
    EXPECT_EQ(importFast(objects, libraries), importNaively(naive));
  }
}

std::string chainName(char prefix, int k) {
  char text[8];
  std::snprintf(text, sizeof text, "%c%04d", prefix, k);
  return text;
}

// Member k of the first library defines s<k> and references s<k+1>; member
// 1000 also starts a second chain r0000..r0009 in the second library (whose
// names sort first, so it is imported whole before s1001), member 50
// references a name no library has, and s1500 is also in the second
// library, which must not supply it.
TEST(ImportLibraryMembers, TwoThousandChainedMembersInOrder) {
  constexpr int count = 2000;
  std::vector<ObjectBuilder> first;
  for (int k = 0; k < count; ++k) {
    Names referenced;
    if (k + 1 < count) referenced.push_back(chainName('s', k + 1));
    if (k == 1000) referenced.push_back(chainName('r', 0));
    if (k == 50) referenced.push_back("missing");
    first.push_back(objectWith(chainName('m', k) + ".o", {chainName('s', k)}, referenced));
  }
  std::vector<ObjectBuilder> second;
  for (int k = 0; k < 10; ++k) {
    Names referenced;
    if (k + 1 < 10) referenced.push_back(chainName('r', k + 1));
    second.push_back(objectWith(chainName('q', k) + ".o", {chainName('r', k)}, referenced));
  }
  second.push_back(objectWith("dup1500.o", {chainName('s', 1500)}));
  Linker linker;
  linker.cCoff.push_back(objectWith("main.o", {"main"}, {chainName('s', 0)}).coff());
  linker.cArchives.push_back(inputstest::libraryOf("first.lib", first));
  linker.cArchives.push_back(inputstest::libraryOf("second.lib", second));

  Names expected{"main.o"};
  for (int k = 0; k <= 1000; ++k) expected.push_back(chainName('m', k) + ".o");
  for (int k = 0; k < 10; ++k) expected.push_back(chainName('q', k) + ".o");
  for (int k = 1001; k < count; ++k) expected.push_back(chainName('m', k) + ".o");
  std::string error;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(linker.importLibraryMembers(error), 1);
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
  EXPECT_EQ(inputstest::inputNames(linker), expected);
  // Each import looks at its own member only; a rescan of all inputs per
  // import would take minutes here.
  EXPECT_LT(seconds.count(), 5.0);
}

// A member whose relocation names a symbol beyond its table is not linked:
// its fault is reported and the link stops.
TEST(ImportLibraryMembers, MemberWithBadIndexesStopsTheLink) {
  Linker linker;
  linker.cCoff.push_back(objectWith("main.o", {}, {"a", "b"}).coff());
  linker.cArchives.push_back(inputstest::libraryOf(
      "x.lib", {objectWith("ma.o", {"a"}), objectWith("mb.o", {"b"}).reloc(0, 9, 0, 1)}));
  qortest::CapturedOutput captured;
  std::string error;
  EXPECT_EQ(linker.importLibraryMembers(error), 0);
  EXPECT_EQ(error, "");
  EXPECT_EQ(inputstest::inputNames(linker), (Names{"main.o", "ma.o"}));
  EXPECT_EQ(captured.errors(),
            "Error - Coff file 'mb.o', section '.code' reloc[0] has an invalid r_symndx.\n");
}

// An external reference that claims an aux entry its kind does not have is
// followed by a real symbol, which must still count.
TEST(ImportLibraryMembers, AuxSlotsAreToldByTheObjectsOwnRecord) {
  SymbolEntry next;
  Coff::setName(next, {}, "y");
  next.n_sclass = C_EXT;
  next.n_scnum = N_UNDEF;
  Linker linker;
  linker.cCoff.push_back(objectWith("main.o", {}, {"x"}).auxSlot(next).coff());
  ASSERT_EQ(linker.cCoff[0]->cSymTbl[0].n_numaux, 1);
  linker.cArchives.push_back(
      inputstest::libraryOf("x.lib", {objectWith("mx.o", {"x"}), objectWith("my.o", {"y"})}));
  std::string error;
  EXPECT_EQ(linker.importLibraryMembers(error), 1);
  EXPECT_EQ(inputstest::inputNames(linker), (Names{"main.o", "mx.o", "my.o"}));
}

TEST(ImportLibraryMembers, TraceNamesLibraryMemberAndSymbol) {
  Linker linker;
  linker.cCoff.push_back(objectWith("main.o", {}, {"f"}).coff());
  linker.cArchives.push_back(inputstest::libraryOf("lib/x.lib", {objectWith("mf.o", {"f"})}));
  qortest::CapturedOutput captured;
  setSwitch("Linker::importLibraryMembers", 1);
  std::string error;
  EXPECT_EQ(linker.importLibraryMembers(error), 1);
  setSwitch("Linker::importLibraryMembers", 0);
  EXPECT_EQ(captured.output(),
            "Linker::importLibraryMembers() - imported library 'lib/x.lib', "
            "member 'mf.o' for symbol 'f'.\n");
}

}  // namespace
