// Linker command files: each directive's effect on the Linker, each message
// with its place, the search for included files and the reading of lines.
#include <gtest/gtest.h>

#include <pthread.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "linker.h"
#include "parser.h"
#include "process_runner.h"

namespace {

// Reads command files with the current directory in a scratch directory.
class CommandFile : public testing::Test {
 protected:
  void SetUp() override {
    cOldDir = std::filesystem::current_path();
    std::filesystem::current_path(cDir.path());
  }
  void TearDown() override { std::filesystem::current_path(cOldDir); }

  // Writes t.lkr and reads it with a fresh parser and linker.
  int read(const std::string& text) {
    qortest::writeFile("t.lkr", text);
    cParser = Parser();
    cLinker = std::make_unique<Linker>();
    cError.clear();
    return cParser.readCommandFile("t.lkr", *cLinker, cError);
  }

  qortest::ScratchDir cDir;
  std::filesystem::path cOldDir;
  Parser cParser;
  std::unique_ptr<Linker> cLinker;
  std::string cError;
};

TEST_F(CommandFile, EveryDirectiveReachesTheLinker) {
  ASSERT_EQ(read("// a whole target\n"
                 "LIBPATH lib1;lib2 LKRPATH more\n"
                 "FILES a.o \"b c.o\" x.lib  // FILES z.o\n"
                 "CODEPAGE NAME=page0 START=0 END=0x7FF FILL=0x3FF\n"
                 "\tCODEPAGE   NAME=page1 START=2048 END=0XFFF PROTECTED FILL=12\n"
                 "DATABANK NAME=gpr0 START=0x20 END=0x6F\n"
                 "SHAREBANK NAME=gprnobnk START=0x70 END=0x7F PROTECTED\n"
                 "SHAREBANK NAME=gprnobnk START=0xF0 END=0xFF\n"
                 "ACCESSBANK NAME=acc START=0x0 END=0x1F\n"
                 "SECTION NAME=code ROM=page0\n"
                 "SECTION NAME=vars RAM=gpr0\n"
                 "SECTION ROM=page1 RAM=acc NAME=both\n"
                 "STACK SIZE=0x20 RAM=acc\n"
                 "HEAP MINSIZE=16\n"),
            1)
      << cError;
  const Linker& l = *cLinker;
  EXPECT_EQ(l.cLibPath, (std::list<std::string>{"lib1", "lib2"}));
  EXPECT_EQ(cParser.cLkrPath, (std::list<std::string>{"more"}));
  EXPECT_EQ(l.cObjectFile, (std::list<std::string>{"a.o", "b c.o"}));
  EXPECT_EQ(l.cLibraryFile, (std::list<std::string>{"x.lib"}));
  ASSERT_EQ(l.cCodePage.size(), 2u);
  const Memory& page0 = l.cCodePage.front();
  const Memory& page1 = l.cCodePage.back();
  EXPECT_EQ(page0.getName(), "page0");
  EXPECT_EQ(page0.getEnd(), 0x7FFu);
  EXPECT_EQ(page0.isRam(), 0);
  EXPECT_EQ(page0.isProtected(), 0);
  EXPECT_EQ(page0.hasFill(), 1);
  EXPECT_EQ(page0.getFill(), "0x03FF");
  EXPECT_EQ(page1.getStart(), 2048u);
  EXPECT_EQ(page1.getEnd(), 0xFFFu);
  EXPECT_EQ(page1.isProtected(), 1);
  EXPECT_EQ(page1.getFill(), "12");
  ASSERT_EQ(l.cDataBanks.size(), 1u);
  EXPECT_EQ(l.cDataBanks.front().isRam(), 1);
  EXPECT_EQ(l.cDataBanks.front().hasFill(), 0);
  ASSERT_EQ(l.cShareBanks.size(), 2u);
  EXPECT_EQ(l.cShareBanks.front().isProtected(), 1);
  EXPECT_EQ(l.cShareBanks.back().isProtected(), 0);
  ASSERT_EQ(l.cAccessBanks.size(), 1u);
  EXPECT_EQ(l.cAccessBanks.front().getEnd(), 0x1Fu);
  ASSERT_EQ(l.cSectionDesc.size(), 3u);
  EXPECT_EQ(l.cSectionDesc.front().getLoadMemory(), "page0");
  EXPECT_EQ(l.cSectionDesc.front().getRunMemory(), "");
  EXPECT_EQ(l.cSectionDesc.back().getName(), "both");
  EXPECT_EQ(l.cSectionDesc.back().getLoadMemory(), "page1");
  EXPECT_EQ(l.cSectionDesc.back().getRunMemory(), "acc");
  EXPECT_EQ(l.cStackDesc.getSize(), 0x20u);
  EXPECT_EQ(l.cStackDesc.getRunMemory(), "acc");
  EXPECT_EQ(l.cMinHeapSize, 16u);
  EXPECT_EQ(cParser.cCommandFiles, (std::list<std::string>{"./t.lkr"}));
}

TEST_F(CommandFile, ErrorsNameTheirPlace) {
  struct Case {
    std::string text;
    std::string error;
  };
  const std::string at1 = " in './t.lkr:1'";
  const Case cases[] = {
      {"FOO\n", "Unrecognized input in './t.lkr:1': FOO"},
      {"\n  // x\n\tstack SIZE=1\n", "Unrecognized input in './t.lkr:3': stack"},
      {"LIBPATH a b\n", "Unrecognized input in './t.lkr:1': b"},
      {"LIBPATH\n", "Illegal <libpath> for LIBPATH" + at1},
      {"LIBPATH ;\n", "Illegal <libpath> for LIBPATH" + at1},
      {"LIBPATH a;;b\n", "Illegal <libpath> for LIBPATH" + at1},
      {"LIBPATH \"\"\n", "Illegal <libpath> for LIBPATH" + at1},
      {"LKRPATH //x\n", "Illegal <lkrpath> for LKRPATH" + at1},
      {"LKRPATH ;a\n", "Illegal <lkrpath> for LKRPATH" + at1},
      {"FILES\n", "Illegal <filename> for FILES" + at1},
      {"FILES a.txt\n", "Illegal <filename> for FILES" + at1},
      {"FILES a.o _b.o\n", "Illegal <filename> for FILES" + at1},
      {"FILES a.o \"\" b.o\n", "Illegal <filename> for FILES" + at1},
      {"FILES a.o \"b.o\n", "Illegal <filename> for FILES" + at1},
      {"FILES \"a//b.o\" c.o\n", "Illegal <filename> for FILES" + at1},
      {"FILES a.o a.o\n", "mutliple inclusion of object file 'a.o' "},
      {"FILES a.lib\nFILES a.lib\n", "mutliple inclusion of library file 'a.lib' "},
      {"INCLUDE\n", "Illegal <filename> for INCLUDE" + at1},
      {"INCLUDE x.txt\n", "Illegal <filename> for INCLUDE" + at1},
      {"INCLUDE \"\"\n", "Illegal <filename> for INCLUDE" + at1},
      {"INCLUDE t.lkr\n", "Multliple inclusion of linker command file './t.lkr' "},
      {"INCLUDE missing.lkr\n", "Could not find linker command file 'missing.lkr'."},
      {"INCLUDE sub/missing.lkr\n", "Could not find linker command file 'sub/missing.lkr'."},
      {"INCLUDE dir.lkr\n", "Could not open './dir.lkr'"},
      {"INCLUDE pipe.lkr\n", "Could not open './pipe.lkr'"},  // no wait for a writer
      {"CODEPAGE NAME=p START=0 END=0x200\nCODEPAGE NAME=q START=0x200 END=0x3FF\n",
       "memory 'q' overlaps memory 'p' "},
      {"SECTION NAME=x ROM=page\nCODEPAGE NAME=page START=0 END=1\n",
       "undefined CODEPAGE 'page' for SECTION 'x' "},
      {"STACK SIZE=1 RAM=gpr\n", "undefined DATABANK/SHAREBANK 'gpr' for STACK. "},
      {"HEAP MINSIZE=16\nHEAP MINSIZE=0x10\n", "multiple min heap sizes declared: '16', '16'"},
  };
  std::filesystem::create_directory("dir.lkr");
  ASSERT_EQ(mkfifo("pipe.lkr", 0600), 0);
  for (const Case& c : cases) {
    EXPECT_EQ(read(c.text), 0) << c.text;
    EXPECT_EQ(cError, c.error) << c.text;
  }
}

// Every fault of an attribute line gives one text naming the directive.
// Beyond the letter of the format, values that are not numbers, a memory
// that ends before it starts, and PROTECTED twice or with a value are
// refused too, instead of being taken as some other value.
TEST_F(CommandFile, InvalidAttributes) {
  const char* const cases[] = {
      "CODEPAGE NAME=p START=0",
      "CODEPAGE START=0 END=1",
      "CODEPAGE NAME=p NAME=q START=0 END=1",
      "CODEPAGE NAME=p START= END=1",
      "CODEPAGE name=p START=0 END=1",
      "CODEPAGE NAME=p START=0 END=1 junk",
      "CODEPAGE NAME=p START=0 END=1 =1",
      "CODEPAGE NAME=p START=0 END=1 protected",
      "CODEPAGE NAME=p START=0 END=1 FILL=1 FILL=2",
      "DATABANK NAME=d START=0 END=1 FILL=0x3FFF",
      "SHAREBANK NAME=s START=0",
      "ACCESSBANK NAME=a END=1",
      "SECTION NAME=x",
      "SECTION ROM=p RAM=d",
      "SECTION NAME=x ROM=p FILL=1",
      "SECTION NAME=x ROM=p ROM=q",
      "SECTION NAME=x RAM=",
      "SECTION NAME=x RAM=d PROTECTED",
      "STACK RAM=gpr",
      "STACK SIZE=20 SIZE=30",
      "STACK SIZE=20 RAM=a NAME=b",
      "HEAP",
      "HEAP SIZE=16",
      "HEAP MINSIZE=16 MINSIZE=16",
      // Not numbers, or no locations.
      "CODEPAGE NAME=p START=0x10 END=0xF",
      "CODEPAGE NAME=p START=abc END=1",
      "CODEPAGE NAME=p START=0 END=12x",
      "CODEPAGE NAME=p START=1x1F END=0x100",
      "CODEPAGE NAME=p START=-1 END=1",
      "CODEPAGE NAME=p START=+1 END=1",
      "CODEPAGE NAME=p START=0 END=1 FILL=0x12G4",
      "CODEPAGE NAME=p START=0 END=1 FILL=0x",
      "CODEPAGE NAME=p START=0 END=1 FILL=x",
      "DATABANK NAME=d START=0x80 END=0x7F",
      "STACK SIZE=0x",
      "STACK SIZE=twenty",
      "HEAP MINSIZE=16k",
      // Numbers beyond 32 bits are never read as another number.
      "DATABANK NAME=hi START=0x100000020 END=0x10000007F",
      "CODEPAGE NAME=p START=99999999999999999999 END=1",
      "CODEPAGE NAME=p START=0 END=1 FILL=4294967296",
      // A decimal fill is one 16-bit word.
      "CODEPAGE NAME=p START=0 END=1 FILL=65536",
      "CODEPAGE NAME=p START=0 END=1 FILL=70000",
      "STACK SIZE=0x100000000",
      "HEAP MINSIZE=4294967296",
      // PROTECTED once and bare.
      "CODEPAGE NAME=p START=0 END=1 PROTECTED PROTECTED",
      "CODEPAGE NAME=p START=0 END=1 PROTECTED=1",
  };
  for (const std::string text : cases) {
    EXPECT_EQ(read("\n" + text + "\n"), 0) << text;
    const std::string keyword = text.substr(0, text.find(' '));
    EXPECT_EQ(cError, "Invalid attributes for " + keyword + " in './t.lkr:2'") << text;
  }
}

TEST_F(CommandFile, NumbersAndFillValues) {
  struct Case {
    const char* attributes;
    uint32_t start;
    uint32_t end;
    const char* fill;
  };
  const Case cases[] = {
      {"START=0 END=0 FILL=0x1", 0, 0, "0x0001"},
      {"START=0x0 END=0x0 FILL=0xABCDE", 0, 0, "0x000ABCDE"},
      {"START=010 END=0X10 FILL=0X1234", 10, 16, "0X1234"},
      {"START=0xFFFFFF00 END=4294967295 FILL=0x12345678", 0xFFFFFF00, 0xFFFFFFFF, "0x12345678"},
      {"START=0xFFFF0000 END=0xFFFFFFFF FILL=255", 0xFFFF0000, 0xFFFFFFFF, "255"},
      {"START=0 END=1 FILL=0x123456789ABC", 0, 1, "0x123456789ABC"},
      {"START=0 END=1 FILL=0x0", 0, 1, "0x0000"},
      {"START=0 END=1 FILL=65535", 0, 1, "65535"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(read(std::string("CODEPAGE NAME=p ") + c.attributes + "\n"), 1) << cError;
    const Memory& page = cLinker->cCodePage.front();
    EXPECT_EQ(page.getStart(), c.start) << c.attributes;
    EXPECT_EQ(page.getEnd(), c.end) << c.attributes;
    EXPECT_EQ(page.getFill(), c.fill) << c.attributes;
  }
}

// Memory lengths are counted in 32 bits: a span of the whole 32-bit
// address space is refused where it is written, by every memory directive.
TEST_F(CommandFile, MemorySpansFitThirtyTwoBits) {
  struct Case {
    const char* line;
    uint32_t size;  // 0: refused
  };
  const Case cases[] = {
      {"CODEPAGE NAME=m START=0 END=0xFFFFFFFF", 0},
      {"CODEPAGE NAME=m START=0 END=0xFFFFFFFF FILL=0x3FFF", 0},
      {"DATABANK NAME=m START=0x0 END=4294967295", 0},
      {"SHAREBANK NAME=m START=0 END=0xFFFFFFFF PROTECTED", 0},
      {"ACCESSBANK NAME=m START=0 END=0x1FFFFFFFF", 0},
      {"CODEPAGE NAME=m START=1 END=0xFFFFFFFF", 0xFFFFFFFF},
      {"DATABANK NAME=m START=0 END=0xFFFFFFFE", 0xFFFFFFFF},
      {"SHAREBANK NAME=m START=0xFFFFFFFF END=0xFFFFFFFF", 1},
      {"ACCESSBANK NAME=m START=0x80000000 END=0xFFFFFFFF", 0x80000000},
  };
  for (const Case& c : cases) {
    const std::string text = c.line;
    const std::string keyword = text.substr(0, text.find(' '));
    const int accepted = read("// one memory\n" + text + "\n");
    if (c.size == 0) {
      EXPECT_EQ(accepted, 0) << text;
      EXPECT_EQ(cError, "Invalid attributes for " + keyword + " in './t.lkr:2'") << text;
      continue;
    }
    ASSERT_EQ(accepted, 1) << text << ": " << cError;
    std::list<Memory> memories = cLinker->cCodePage;
    for (auto* more : {&cLinker->cDataBanks, &cLinker->cShareBanks, &cLinker->cAccessBanks})
      memories.insert(memories.end(), more->begin(), more->end());
    ASSERT_EQ(memories.size(), 1u) << text;
    EXPECT_EQ(memories.front().getSize(), c.size) << text;
  }
}

TEST_F(CommandFile, IncludedFilesAreReadWhereTheyStand) {
  std::filesystem::create_directory("inc");
  qortest::writeFile("a.lkr", "FILES a.o\n");
  qortest::writeFile("b.lkr", "FILES b.o\n");
  qortest::writeFile("inc/c.lkr", "LIBPATH c\n");
  ASSERT_EQ(read("FILES first.o\n"
                 "INCLUDE a.lkr b.lkr\n"
                 "LKRPATH inc/\n"
                 "INCLUDE c.lkr\n"
                 "FILES last.o\n"),
            1)
      << cError;
  EXPECT_EQ(cLinker->cObjectFile, (std::list<std::string>{"first.o", "a.o", "b.o", "last.o"}));
  EXPECT_EQ(cLinker->cLibPath, (std::list<std::string>{"c"}));
  EXPECT_EQ(cParser.cCommandFiles,
            (std::list<std::string>{"./t.lkr", "./a.lkr", "./b.lkr", "inc/c.lkr"}));
}

TEST_F(CommandFile, MessagesOfAnIncludedFileNameIt) {
  std::filesystem::create_directory("sub");
  qortest::writeFile("sub/inc.lkr", "FILES a.o\nBAD\n");
  EXPECT_EQ(read("\nINCLUDE sub/inc.lkr\n"), 0);
  EXPECT_EQ(cError, "Unrecognized input in 'sub/inc.lkr:2': BAD");
  EXPECT_EQ(cLinker->cObjectFile, (std::list<std::string>{"a.o"}));
}

TEST_F(CommandFile, OneFileUnderTwoPathsIsReadTwice) {
  std::filesystem::create_directory("sub");
  qortest::writeFile("a.lkr", "LIBPATH x\n");
  ASSERT_EQ(read("INCLUDE a.lkr sub/../a.lkr\n"), 1) << cError;
  EXPECT_EQ(cLinker->cLibPath, (std::list<std::string>{"x", "x"}));
}

TEST_F(CommandFile, LinesCommentsAndLineEnds) {
  struct Case {
    std::string text;
    std::list<std::string> objects;
  };
  const Case cases[] = {
      {"FILES a.o//b.o\n", {"a.o"}},
      {"//FILES a.o\n", {}},
      {"FILES a.o", {"a.o"}},
      {"", {}},
      {"FILES a.o\r\nFILES b.o\r\n", {"a.o", "b.o"}},
      {std::string("FILES a.o\0b.o\nFILES c.o", 23), {"a.o", "c.o"}},
      {"FILES a.o" + std::string(3000, ' ') + "b.o\nFILES c.o\n", {"a.o", "b.o", "c.o"}},
      // Lines read in pieces: a comment, a NUL, a carriage return and a
      // line end across the boundary of a piece of 64 KiB.
      {"FILES a.o" + std::string(65526, ' ') + "//b.o\nFILES c.o\n", {"a.o", "c.o"}},
      {"FILES a.o" + std::string(65526, ' ') + std::string("\0b.o\nFILES c.o", 14),
       {"a.o", "c.o"}},
      {"FILES a.o" + std::string(65526, ' ') + "\r\nFILES c.o\r\n", {"a.o", "c.o"}},
      {"FILES a.o" + std::string(65526, ' ') + "\nFILES b.o" + std::string(70000, ' ') + "c.o",
       {"a.o", "b.o", "c.o"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(read(c.text), 1) << cError;
    EXPECT_EQ(cLinker->cObjectFile, c.objects) << c.text.substr(0, 40);
  }
}

TEST_F(CommandFile, ALongLineIsOneLine) {
  // A long comment neither becomes a directive nor moves the numbering.
  EXPECT_EQ(read("// " + std::string(2000, 'x') + " FOO\nBAR\n"), 0);
  EXPECT_EQ(cError, "Unrecognized input in './t.lkr:2': BAR");
  EXPECT_EQ(read("HEAP MINSIZE=1\r\nBAR\r\n"), 0);
  EXPECT_EQ(cError, "Unrecognized input in './t.lkr:2': BAR");
}

TEST_F(CommandFile, SearchOrder) {
  std::filesystem::create_directory("inc");
  std::filesystem::create_directory("more");
  qortest::writeFile("inc/x.lkr", "");
  qortest::writeFile("more/x.lkr", "");
  qortest::writeFile("more/y.lkr", "");
  struct Case {
    std::list<std::string> searchPath;
    std::string name;
    std::string found;
  };
  const Case cases[] = {
      {{"inc"}, "x.lkr", "inc/x.lkr"},
      {{"inc/"}, "x.lkr", "inc/x.lkr"},
      {{"more", "inc"}, "x.lkr", "more/x.lkr"},
      {{"inc", "more"}, "y.lkr", "more/y.lkr"},
      {{"inc"}, "t.lkr", "./t.lkr"},
      {{"inc"}, "./inc/x.lkr", "./inc/x.lkr"},
  };
  qortest::writeFile("t.lkr", "");
  for (const Case& c : cases) {
    Parser parser;
    Linker linker;
    std::string error;
    parser.cLkrPath = c.searchPath;
    ASSERT_EQ(parser.readCommandFile(c.name, linker, error), 1) << error;
    EXPECT_EQ(parser.cCommandFiles, (std::list<std::string>{c.found}));
  }
  Parser parser;
  Linker linker;
  std::string error;
  EXPECT_EQ(parser.readCommandFile("", linker, error), 0);
  EXPECT_EQ(error, "Could not find linker command file ''.");
}

// Runs the work on a thread with a small stack: reading that took call
// stack for each level of inclusion would overflow it long before the
// files ran out.
void runOnSmallStack(const std::function<void()>& work) {
  pthread_attr_t attributes;
  ASSERT_EQ(pthread_attr_init(&attributes), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&attributes, 256 * 1024), 0);
  auto trampoline = [](void* argument) -> void* {
    (*static_cast<const std::function<void()>*>(argument))();
    return nullptr;
  };
  pthread_t thread;
  ASSERT_EQ(
      pthread_create(&thread, &attributes, trampoline, const_cast<std::function<void()>*>(&work)),
      0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
}

TEST_F(CommandFile, DeepInclusionChain) {
  const int depth = 1500;
  for (int i = 0; i < depth; ++i) {
    qortest::writeFile("c" + std::to_string(i) + ".lkr",
                       "INCLUDE c" + std::to_string(i + 1) + ".lkr\n");
  }
  qortest::writeFile("c" + std::to_string(depth) + ".lkr", "FILES end.o\n");
  int result = 0;
  runOnSmallStack([&] { result = read("INCLUDE c0.lkr\n"); });
  ASSERT_EQ(result, 1) << cError;
  EXPECT_EQ(cParser.cCommandFiles.size(), static_cast<std::size_t>(depth + 2));
  EXPECT_EQ(cLinker->cObjectFile, (std::list<std::string>{"end.o"}));
}

// A file that waits for an included one is closed meanwhile: a chain of
// inclusions longer than the open files allowed is read to its end.
TEST_F(CommandFile, InclusionChainNeedsFewOpenFiles) {
  const int depth = 100;
  for (int i = 0; i < depth; ++i) {
    qortest::writeFile("c" + std::to_string(i) + ".lkr", "FILES a" + std::to_string(i) +
                                                              ".o\nINCLUDE c" +
                                                              std::to_string(i + 1) + ".lkr\n");
  }
  qortest::writeFile("c" + std::to_string(depth) + ".lkr", "FILES end.o\n");
  qortest::writeFile("t.lkr", "INCLUDE c0.lkr\nFILES last.o\n");
  const auto readWithFewFiles = [] {
    const rlimit few{32, 32};
    setrlimit(RLIMIT_NOFILE, &few);
    Parser parser;
    Linker linker;
    std::string error;
    const int read = parser.readCommandFile("t.lkr", linker, error);
    const bool whole = linker.cObjectFile.size() == depth + 2 && linker.cObjectFile.back() == "last.o";
    std::exit(read == 1 && whole ? 0 : 1);
  };
  EXPECT_EXIT(readWithFewFiles(), testing::ExitedWithCode(0), "");
}

TEST(CommandFileText, StripComment) {
  EXPECT_EQ(Parser::stripComment("FILES a.o // b.o"), "FILES a.o ");
  EXPECT_EQ(Parser::stripComment("//all"), "");
  EXPECT_EQ(Parser::stripComment("a/b /c"), "a/b /c");
  EXPECT_EQ(Parser::stripComment("\"x//y\""), "\"x");
}

class CommandFileDeathTest : public testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(CommandFileDeathTest, ErrorsEndWithUsageAndCodeOne) {
  Parser parser;
  Linker linker;
  EXPECT_EXIT(parser.parseCommandFile("no/such.lkr", linker), testing::ExitedWithCode(1),
              "^Error - Could not find linker command file 'no/such.lkr'\\.\n$");
  std::istringstream words("NAME=p START=0");
  EXPECT_EXIT(parser.parseMemory(words, "CODEPAGE", "x.lkr", 7, Linker::rom),
              testing::ExitedWithCode(1),
              "^Error - Invalid attributes for CODEPAGE in 'x.lkr:7'\n$");
}

// The public parsers read the rest of a line and keep its number.
TEST(CommandFileAttributes, ParsersReadTheRestOfTheLine) {
  Parser parser;
  std::istringstream memoryWords("NAME=gpr START=0x20 END=0x7F PROTECTED");
  const Memory memory = parser.parseMemory(memoryWords, "DATABANK", "x.lkr", 3, Linker::ram);
  EXPECT_EQ(memory.getName(), "gpr");
  EXPECT_EQ(memory.isRam(), 1);
  EXPECT_EQ(parser.cWorkBuffer, "3");
  std::istringstream sectionWords("RAM=gpr NAME=.udata");
  EXPECT_EQ(parser.parseSection(sectionWords, "x.lkr", 4).getRunMemory(), "gpr");
  std::istringstream stackWords("SIZE=0x20");
  EXPECT_EQ(parser.parseStack(stackWords, "x.lkr", 5).getSize(), 0x20u);
  std::istringstream heapWords("MINSIZE=0x100");
  EXPECT_EQ(parser.parseHeap(heapWords, "x.lkr", 6), 0x100u);
}

}  // namespace
