#include "file_info.h"

#include <gtest/gtest.h>

#include "process_runner.h"

TEST(FileInfo, SplitsAtBothSeparatorsAndTheLastDot) {
  FileInfo info("C:\\work/obj\\main.test.o");
  EXPECT_EQ(info.path(), "C:\\work/obj\\");
  EXPECT_EQ(info.name(), "main.test.o");
  EXPECT_EQ(info.baseName(), "main.test");
  EXPECT_EQ(info.ext(), ".o");
  EXPECT_EQ(info.hasPath(), 1);
  EXPECT_EQ(info.fullName(), "C:\\work/obj\\main.test.o");

  FileInfo dotted("dir.d/name");
  EXPECT_EQ(dotted.ext(), "");
  EXPECT_EQ(dotted.baseName(), "name");
}

TEST(FileInfo, DriveAloneIsNoPathAndDotNamesHaveNoName) {
  FileInfo drive("c:a.o");
  EXPECT_EQ(drive.hasPath(), 0);
  EXPECT_EQ(drive.fullName(), "a.o");
  EXPECT_EQ(drive.path(), "c:");

  FileInfo hidden("/tmp/.o");
  EXPECT_EQ(hidden.hasName(), 0);
  EXPECT_EQ(hidden.ext(), ".o");
  EXPECT_EQ(hidden.fileExists(), 0);

  FileInfo bare("lib");
  EXPECT_EQ(bare.ext(), "");
  EXPECT_EQ(bare.hasName(), 1);
  EXPECT_EQ(bare.hasPath(), 0);
}

TEST(FileInfo, ExistenceTests) {
  qortest::ScratchDir dir;
  qortest::writeFile(dir.file("x.o"), "x");
  FileInfo present(dir.file("x.o"));
  EXPECT_EQ(present.fileExists(), 1);
  EXPECT_EQ(present.pathExists(), 1);
  EXPECT_EQ(FileInfo(dir.file("y.o")).fileExists(), 0);
  EXPECT_EQ(FileInfo(dir.path() + "/nodir/x.o").pathExists(), 0);
  EXPECT_EQ(FileInfo("x.o").pathExists(), 0);
  EXPECT_EQ(DirInfo(dir.path()).dirExists(), 1);
  EXPECT_EQ(DirInfo(dir.file("x.o")).dirExists(), 0);
}

TEST(FileInfo, JoinNeverDoublesASeparator) {
  EXPECT_EQ(joinPath("lib", "a.lib"), "lib/a.lib");
  EXPECT_EQ(joinPath("lib/", "a.lib"), "lib/a.lib");
  EXPECT_EQ(joinPath("lib\\", "a.lib"), "lib\\a.lib");
  EXPECT_EQ(joinPath("", "a.lib"), "a.lib");
}
