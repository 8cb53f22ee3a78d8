#include "file_info.h"

#include <gtest/gtest.h>

#include <sstream>

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

TEST(FileInfo, TrailingSeparatorLeavesNoName) {
  FileInfo dir("obj/");
  EXPECT_EQ(dir.hasPath(), 1);
  EXPECT_EQ(dir.hasName(), 0);
  EXPECT_EQ(dir.path(), "obj/");
  EXPECT_EQ(dir.name(), "");
  EXPECT_EQ(dir.fileExists(), 0);
  FileInfo drive("d:\\");
  EXPECT_EQ(drive.path(), "d:\\");
  EXPECT_EQ(drive.hasPath(), 1);
}

TEST(FileInfo, DumpsOneQuestionALine) {
  std::ostringstream file;
  FileInfo("c:lib/a.b.o").dump(file);
  EXPECT_EQ(file.str(),
            "path()='c:lib/' \nname()='a.b.o' \next()='.o' \nfullName()='c:lib/a.b.o' \n"
            "hasName()=1\nhasPath()=1\npathExists()=0\nfileExists()=0\n");
  std::ostringstream dir;
  DirInfo("no/such/dir").dump(dir);
  EXPECT_EQ(dir.str(), "name()='no/such/dir' \ndirExists()=0\n");
}
