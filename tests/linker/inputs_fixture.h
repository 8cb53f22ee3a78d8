// Helpers of the input and input-check tests: small objects that define and
// reference externals, libraries of them in memory or on disk, and a scratch
// directory that is the current directory while a test runs.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "archive.h"
#include "coff.h"
#include "linker.h"
#include "object_builder.h"
#include "process_runner.h"

namespace inputstest {

using Names = std::vector<std::string>;

// An object of one code section that defines `defined` and references
// `referenced`.
inline qortest::ObjectBuilder objectWith(const std::string& fileName, const Names& defined,
                                         const Names& referenced = {}) {
  qortest::ObjectBuilder builder(fileName);
  builder.code(".code").bytes({0x01, 0x02});
  uint32_t value = 0;
  for (const auto& name : defined) builder.global(name, value++, 1);
  for (const auto& name : referenced) builder.externRef(name);
  return builder;
}

// A library in memory of the given members, its index made.
inline std::unique_ptr<Archive> libraryOf(const std::string& name,
                                          const std::vector<qortest::ObjectBuilder>& members) {
  auto library = std::make_unique<Archive>();
  library->cName = name;
  for (const auto& member : members) library->cMembers.push_back(member.coff());
  library->makeSymbols();
  return library;
}

// Writes a library file of the given members; returns its path.
inline std::string writeLibrary(const std::string& path,
                                const std::vector<qortest::ObjectBuilder>& members) {
  std::unique_ptr<Archive> library = libraryOf(path, members);
  EXPECT_EQ(library->write(), 1) << path;
  return path;
}

// The file names of the link's inputs, in order.
inline Names inputNames(const Linker& linker) {
  Names names;
  for (const auto& object : linker.cCoff) names.push_back(object->cName);
  return names;
}

// A code page "page" of 0x100 locations and a data bank "gpr" of 0x50.
inline void addPageAndBank(Linker& linker) {
  std::string error;
  ASSERT_EQ(linker.addCodePage(Memory("page", 0, 0xFF, 0, 0, 0, ""), error), 1);
  ASSERT_EQ(linker.addDataBank(Memory("gpr", 0x20, 0x6F, 1, 0, 0, ""), error), 1);
}

// Runs a test with a fresh scratch directory as the current directory, so
// that "." in the search means that directory.
class InScratchDir : public testing::Test {
 protected:
  void SetUp() override {
    cOldDir = std::filesystem::current_path();
    std::filesystem::current_path(cDir.path());
  }
  void TearDown() override { std::filesystem::current_path(cOldDir); }

  // Empties the scratch directory between the cases of one table.
  static void clearCurrentDir() {
    for (const auto& entry : std::filesystem::directory_iterator("."))
      std::filesystem::remove_all(entry.path());
  }

  // Writes an object file, making its directory first.
  static void writeObject(const std::string& path, const qortest::ObjectBuilder& builder) {
    makeParentOf(path);
    builder.writeFile(path);
  }

  static void makeParentOf(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent);
  }

  qortest::ScratchDir cDir;
  std::filesystem::path cOldDir;
};

}  // namespace inputstest
