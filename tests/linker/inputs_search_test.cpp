// Finding and reading the object files and libraries of a link: the search
// through the library directories and the current directory, the joins,
// each message, one file named twice, and files that cannot be read.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "captured_output.h"
#include "inputs_fixture.h"

namespace {

using inputstest::Names;

struct FileLink {
  const char* link;
  const char* target;
  bool hard;
};

struct SearchCase {
  const char* title;
  Names objectsOnDisk;    // made as object files
  Names librariesOnDisk;  // made as (empty) libraries
  std::vector<FileLink> links;
  Names libPath;
  Names objects;    // as named on the command line
  Names libraries;  // as named on the command line
  int result;
  Names foundObjects;  // the names after the search
  Names foundLibraries;
  std::string error;
};

const std::vector<SearchCase> SEARCH_CASES = {
    {"bare object in the current directory",
     {"x.o"},
     {},
     {},
     {},
     {"x.o"},
     {},
     1,
     {"./x.o"},
     {},
     ""},
    {"library directory before the current one",
     {"lib/x.o", "x.o"},
     {},
     {},
     {"lib"},
     {"x.o"},
     {},
     1,
     {"lib/x.o"},
     {},
     ""},
    {"later library directory",
     {"b/x.o", "x.o"},
     {},
     {},
     {"a", "b"},
     {"x.o"},
     {},
     1,
     {"b/x.o"},
     {},
     ""},
    {"directory ending in a slash",
     {"lib/x.o"},
     {},
     {},
     {"lib/"},
     {"x.o"},
     {},
     1,
     {"lib/x.o"},
     {},
     ""},
    {"directory ending in a backslash",
     {"d\\x.o"},
     {},
     {},
     {"d\\"},
     {"x.o"},
     {},
     1,
     {"d\\x.o"},
     {},
     ""},
    {"empty directory text", {"x.o"}, {}, {}, {""}, {"x.o"}, {}, 1, {"x.o"}, {}, ""},
    {"name with a directory used as it is",
     {"sub/x.o", "lib/x.o"},
     {},
     {},
     {"lib"},
     {"sub/x.o"},
     {},
     1,
     {"sub/x.o"},
     {},
     ""},
    {"name with a directory is not searched",
     {"lib/y.o"},
     {},
     {},
     {"lib"},
     {"sub/y.o"},
     {},
     0,
     {"sub/y.o"},
     {},
     "could not find file 'sub/y.o'."},
    {"second object missing",
     {"a.o"},
     {},
     {},
     {},
     {"a.o", "b.o"},
     {},
     0,
     {"./a.o", "b.o"},
     {},
     "could not find file 'b.o'."},
    {"no object named", {}, {}, {}, {}, {}, {}, 0, {}, {}, "no input object files specified."},
    {"two files of one name in two places",
     {"x.o", "lib/x.o"},
     {},
     {},
     {},
     {"./x.o", "lib/x.o"},
     {},
     1,
     {"./x.o", "lib/x.o"},
     {},
     ""},
    {"one file by two path texts",
     {"x.o"},
     {},
     {},
     {},
     {"x.o", "./x.o"},
     {},
     0,
     {"./x.o", "./x.o"},
     {},
     "mutliple inclusion of object file './x.o' "},
    {"bare name found where a path names it",
     {"lib/x.o"},
     {},
     {},
     {"lib"},
     {"x.o", "lib/x.o"},
     {},
     0,
     {"lib/x.o", "lib/x.o"},
     {},
     "mutliple inclusion of object file 'lib/x.o' "},
    {"one file through a parent directory",
     {"x.o", "sub/a.o"},
     {},
     {},
     {},
     {"x.o", "sub/../x.o"},
     {},
     0,
     {"./x.o", "sub/../x.o"},
     {},
     "mutliple inclusion of object file 'sub/../x.o' "},
    {"one file through a symbolic link",
     {"x.o"},
     {},
     {{"y.o", "x.o", false}},
     {},
     {"x.o", "y.o"},
     {},
     0,
     {"./x.o", "y.o"},
     {},
     "mutliple inclusion of object file 'y.o' "},
    {"one file through a second hard link",
     {"x.o"},
     {},
     {{"z.o", "x.o", true}},
     {},
     {"z.o", "x.o"},
     {},
     0,
     {"./z.o", "x.o"},
     {},
     "mutliple inclusion of object file 'x.o' "},
    {"library in a library directory",
     {"a.o"},
     {"lib/m.lib"},
     {},
     {"lib/"},
     {"a.o"},
     {"m.lib"},
     1,
     {"./a.o"},
     {"lib/m.lib"},
     ""},
    {"library only in the current directory",
     {"a.o"},
     {"m.lib"},
     {},
     {"lib"},
     {"a.o"},
     {"m.lib"},
     0,
     {"./a.o"},
     {"m.lib"},
     "could not find file 'm.lib'."},
    {"bare library without library directories",
     {"a.o"},
     {"m.lib"},
     {},
     {},
     {"a.o"},
     {"m.lib"},
     0,
     {"./a.o"},
     {"m.lib"},
     "could not find file 'm.lib'."},
    {"library with a directory",
     {"a.o"},
     {"lib/m.lib"},
     {},
     {},
     {"a.o"},
     {"lib/m.lib"},
     1,
     {"./a.o"},
     {"lib/m.lib"},
     ""},
    {"second library missing",
     {"a.o"},
     {"lib/m.lib"},
     {},
     {"lib"},
     {"a.o"},
     {"m.lib", "n.lib"},
     0,
     {"./a.o"},
     {"lib/m.lib", "n.lib"},
     "could not find file 'n.lib'."},
};

class FileSearch : public inputstest::InScratchDir {
 protected:
  static void makeFiles(const SearchCase& c) {
    for (const auto& path : c.objectsOnDisk) writeObject(path, inputstest::objectWith(path, {"f"}));
    for (const auto& path : c.librariesOnDisk) {
      makeParentOf(path);
      inputstest::writeLibrary(path, {});
    }
    for (const auto& link : c.links) {
      if (link.hard)
        std::filesystem::create_hard_link(link.target, link.link);
      else
        std::filesystem::create_symlink(link.target, link.link);
    }
  }
};

TEST_F(FileSearch, EveryRuleAndMessage) {
  for (const SearchCase& c : SEARCH_CASES) {
    SCOPED_TRACE(c.title);
    clearCurrentDir();
    makeFiles(c);
    Linker linker;
    std::string error;
    for (const auto& d : c.libPath) linker.addLibPath(d, error);
    for (const auto& o : c.objects) ASSERT_EQ(linker.addObjectFile(o, error), 1);
    for (const auto& l : c.libraries) ASSERT_EQ(linker.addLibraryFile(l, error), 1);
    const int result = linker.findObjectFiles(error) == 1 ? linker.findLibraryFiles(error) : 0;
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(Names(linker.cObjectFile.begin(), linker.cObjectFile.end()), c.foundObjects);
    EXPECT_EQ(Names(linker.cLibraryFile.begin(), linker.cLibraryFile.end()), c.foundLibraries);
    // No file is read before every name of its kind is found: a missing
    // library leaves the objects read, a missing object leaves nothing.
    const bool libraryMissing = c.error.find(".lib'") != std::string::npos;
    EXPECT_EQ(inputstest::inputNames(linker),
              c.result == 1 || libraryMissing ? c.foundObjects : Names{});
    EXPECT_EQ(linker.cArchives.size(), c.result == 1 ? c.foundLibraries.size() : 0u);
  }
}

struct ReadCase {
  const char* title;
  bool library;                // the broken file is a library
  std::vector<uint8_t> bytes;  // its contents; empty: an object with a bad index
  std::string message;         // a part of the reported message
};

TEST_F(FileSearch, FilesThatCannotBeReadAreReportedByTheirReaders) {
  const std::vector<ReadCase> cases = {
      {"object that is no object", false, {'n', 'o', 't', ' ', 'c', 'o', 'f', 'f'}, "./b.o"},
      {"object with a bad symbol index",
       false,
       {},
       "Coff file './b.o', section '.code' reloc[0] has an invalid r_symndx."},
      {"library that is no library",
       true,
       {'n', 'o', ' ', 'l', 'i', 'b', 'r', 'y'},
       "File 'lib/b.lib' is not a valid library file."},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.title);
    clearCurrentDir();
    std::filesystem::create_directories("lib");
    inputstest::objectWith("a.o", {"f"}).writeFile("a.o");
    inputstest::objectWith("b.o", {"g"}).reloc(0, 7, 0, 1).writeFile("b.o");
    const std::string broken = c.library ? "lib/b.lib" : "b.o";
    if (!c.bytes.empty()) qortest::writeFileBytes(broken, c.bytes);
    Linker linker;
    std::string error;
    linker.addLibPath("lib", error);
    linker.addObjectFile("a.o", error);
    if (c.library)
      linker.addLibraryFile("b.lib", error);
    else
      linker.addObjectFile("b.o", error);
    qortest::CapturedOutput captured;
    const int result = linker.findObjectFiles(error) == 1 ? linker.findLibraryFiles(error) : 0;
    EXPECT_EQ(result, 0);
    EXPECT_EQ(error, "");
    EXPECT_EQ(errorCount(), 1u);
    EXPECT_NE(captured.errors().find(c.message), std::string::npos) << captured.errors();
    // What was read before stays with the Linker; the broken file does not.
    EXPECT_EQ(inputstest::inputNames(linker), Names{"./a.o"});
    EXPECT_EQ(linker.cArchives.size(), 0u);
  }
}

}  // namespace
