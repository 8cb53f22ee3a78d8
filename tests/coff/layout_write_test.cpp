// Layout and writing: where each block lands, what size() answers, the
// function line pointers, and writing to a file without risking an old one.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <ctime>
#include <filesystem>

#include "coff_test_support.h"
#include "debug_switches.h"
#include "object_builder.h"
#include "process_runner.h"
#include "text_helpers.h"

using cofftest::MessageCapture;
using cofftest::writtenImage;
using qortest::ObjectBuilder;

namespace {

int entriesIn(const std::string& directory) {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(directory)) ++count;
  return count;
}

// A (code, 10 bytes, 2 relocations) and B (udata, 8 bytes); five symbols
// and 12 bytes of strings.
std::unique_ptr<Coff> twoSectionObject() {
  ObjectBuilder builder("l.o");
  builder.code("A")
      .bytes(std::vector<uint8_t>(10, 0x5A))
      .reloc(0, 0, 0, 1)
      .reloc(2, 1, 0, 1)
      .udata("B", 8)
      .global("symbol_one", 0, 1)  // 11 bytes with its NUL
      .global("x", 0, 2)
      .global("y", 0, 2)
      .global("z", 0, 2)
      .global("w", 0, 2);
  auto coff = builder.coff();
  EXPECT_EQ(coff->cStrTbl.size(), 1u);
  coff->cStrTbl.clear();  // 12 bytes of strings instead: one of 11 characters
  coff->cStrTbl[4] = "symbol_one!";
  coff->layout();
  return coff;
}

TEST(CoffLayout, BlockOffsetsOfTwoSections) {
  auto coff = twoSectionObject();
  const SectionHeader& a = coff->cScnHdr.at("A");
  const SectionHeader& b = coff->cScnHdr.at("B");
  EXPECT_EQ(a.s_scnptr, 116u);
  EXPECT_EQ(a.s_size, 10u);
  EXPECT_EQ(a.s_relptr, 126u);
  EXPECT_EQ(a.s_nreloc, 2);
  EXPECT_EQ(a.s_lnnoptr, 0u);
  EXPECT_EQ(b.s_scnptr, 0u);
  EXPECT_EQ(b.s_size, 8u);
  EXPECT_EQ(b.s_relptr, 0u);
  EXPECT_EQ(coff->cFileHdr.f_symptr, 150u);
  EXPECT_EQ(coff->cFileHdr.f_nsyms, 5u);
  EXPECT_EQ(coff->cFileHdr.f_nscns, 2);
  EXPECT_EQ(coff->cFileHdr.f_magic, COFF_MAGIC);
  EXPECT_EQ(coff->size(), 256u);
  const std::vector<uint8_t> image = writtenImage(*coff);
  ASSERT_EQ(image.size(), 256u);
  EXPECT_EQ(readLe32(&image[240]), 16u);  // the string table at 240
  EXPECT_EQ(image[116], 0x5A);
}

TEST(CoffLayout, SizeEqualsBytesWritten) {
  for (const ObjectBuilder& builder :
       {ObjectBuilder(), ObjectBuilder().udata(".u", 100), ObjectBuilder().code(".c"),
        ObjectBuilder().code(".c").bytes({1}).line(0, 1, 0).global("long_name_here", 0, 1),
        ObjectBuilder().fileSymbol("f.asm").romdata(".r").bytes({1, 2, 3}).reloc(0, 0, 1, 2)}) {
    auto coff = builder.coff();
    EXPECT_EQ(coff->size(), writtenImage(*coff).size());
  }
}

TEST(CoffLayout, NoSymbolsStillWritesStringTableLength) {
  auto coff = ObjectBuilder().code(".c").bytes({1, 2}).coff();
  EXPECT_EQ(coff->cFileHdr.f_symptr, 0u);
  const std::vector<uint8_t> image = writtenImage(*coff);
  ASSERT_EQ(image.size(), 36u + 40 + 2 + 4);
  EXPECT_EQ(readLe32(&image[image.size() - 4]), 4u);
}

TEST(CoffLayout, SectionWithoutRawDataEntry) {
  auto coff = ObjectBuilder().code(".c").coff();
  EXPECT_EQ(coff->cScnHdr.at(".c").s_size, 0u);
  EXPECT_EQ(coff->cScnHdr.at(".c").s_scnptr, 0u);
}

TEST(CoffLayout, FunctionLinePointerTakesTheLastMatch) {
  ObjectBuilder builder;
  builder.code(".c")
      .bytes({0, 0})
      .line(0, 1, 0)
      .line(0, 2, 0)
      .line(0, 3, 0, 0)
      .line(0, 4, 0)
      .line(0, 5, 0, 7)
      .line(0, 6, 0, 0)
      .line(0, 7, 0, 0x10000)
      .symbol("fn", 0, 1, C_EXT, DT_FCN << 4)
      .aux(AuxFcn{0, 0, 0x1234, 0});
  builder.code(".d").line(0, 1, 0, 0);  // the same index in another section
  auto coff = builder.coff();
  const uint32_t lines = coff->cScnHdr.at(".c").s_lnnoptr;
  EXPECT_EQ(AuxFcn::from(coff->cSymTbl[1]).x_lnnoptr, lines + 80);
}

TEST(CoffLayout, FunctionWithoutLinesKeepsItsPointer) {
  ObjectBuilder builder;
  builder.code(".c")
      .bytes({0, 0})
      .line(0, 1, 0, 5)
      .symbol("fn", 0, 1, C_EXT, DT_FCN << 4)
      .aux(AuxFcn{0, 0, 0x1234, 0})
      .symbol("fn2", 0, 9, C_EXT, DT_FCN << 4)
      .aux(AuxFcn{0, 0, 0x4321, 0});
  auto coff = builder.coff();
  EXPECT_EQ(AuxFcn::from(coff->cSymTbl[1]).x_lnnoptr, 0x1234u);
  EXPECT_EQ(AuxFcn::from(coff->cSymTbl[3]).x_lnnoptr, 0x4321u);
}

// Functions of two sections whose line entries interleave: each function
// takes the last entry of its own section that names it by its flag and
// index, whatever the other functions' entries around it.
TEST(CoffLayout, FunctionsOfOneSectionEachTakeTheirOwnLastEntry) {
  ObjectBuilder builder;
  builder.code(".c")
      .bytes({0, 0})
      .line(0, 1, 0, 0)
      .line(0, 2, 0, 2)
      .line(0, 3, 0, 0)
      .line(0, 4, 0, 4)
      .line(0, 5, 0, 2)
      .line(0, 6, 0);
  builder.code(".d").bytes({0, 0}).line(0, 1, 0, 4).line(0, 2, 0, 2).line(0, 3, 0, 8);
  // The last entry of .c has no flag: its l_fcnndx of 0 names no function.
  const AuxFcn unset{0, 0, 0x1234, 0};
  builder.symbol("fn0", 0, 1, C_EXT, DT_FCN << 4)
      .aux(unset)
      .symbol("fn2", 0, 1, C_EXT, DT_FCN << 4)
      .aux(unset)
      .symbol("fn4", 0, 1, C_EXT, DT_FCN << 4)
      .aux(unset)
      .symbol("fn6", 0, 1, C_EXT, DT_FCN << 4)
      .aux(unset)
      .symbol("fd8", 0, 2, C_EXT, DT_FCN << 4)
      .aux(unset);
  auto coff = builder.coff();
  const uint32_t c = coff->cScnHdr.at(".c").s_lnnoptr;
  const uint32_t d = coff->cScnHdr.at(".d").s_lnnoptr;
  const struct {
    size_t aux;
    uint32_t pointer;
  } expected[] = {{1, c + 32}, {3, c + 64}, {5, c + 48}, {7, 0x1234}, {9, d + 32}};
  for (const auto& function : expected)
    EXPECT_EQ(AuxFcn::from(coff->cSymTbl[function.aux]).x_lnnoptr, function.pointer)
        << function.aux - 1;
}

TEST(CoffLayout, PreWriteStampsTheTimeAndLayoutKeepsIt) {
  auto coff = ObjectBuilder().timeStamp(42).coff();
  EXPECT_EQ(coff->cFileHdr.f_timdat, 42u);
  coff->cFileHdr.f_nsyms = 99;
  coff->layout();
  EXPECT_EQ(coff->cFileHdr.f_timdat, 42u);
  EXPECT_EQ(coff->cFileHdr.f_nsyms, 0u);
  const uint32_t before = static_cast<uint32_t>(std::time(nullptr));
  coff->preWrite();
  EXPECT_GE(coff->cFileHdr.f_timdat, before);
  EXPECT_LE(coff->cFileHdr.f_timdat, before + 5);
}

TEST(CoffLayout, OwnerSettingsAreLeftAlone) {
  ObjectBuilder builder;
  builder.processor(0x1111, 16, 8)
      .fileFlags(F_EXEC)
      .code(".c")
      .at(0x40)
      .virtualAt(0x41)
      .absolute()
      .shared();
  auto coff = builder.coff();
  EXPECT_EQ(coff->cOptHdr.proc_type, 0x1111u);
  EXPECT_EQ(coff->cFileHdr.f_flags, F_EXEC);
  const SectionHeader& header = coff->cScnHdr.at(".c");
  EXPECT_EQ(header.s_paddr, 0x40u);
  EXPECT_EQ(header.s_vaddr, 0x41u);
  EXPECT_EQ(header.s_flags, STYP_CODE | STYP_ABS | STYP_SHARED);
}

TEST(CoffLayout, TracesUnderTheirSwitches) {
  auto coff = twoSectionObject();
  setSwitch("Coff::preWrite", 1);
  setSwitch("Coff::size", 1);
  testing::internal::CaptureStdout();
  coff->layout();
  coff->size();
  const std::string out = testing::internal::GetCapturedStdout();
  setSwitch("Coff::preWrite", 0);
  setSwitch("Coff::size", 0);
  EXPECT_NE(out.find("secHdrStart=0x00000024, secHdrLength=0x00000050\n"), std::string::npos);
  EXPECT_NE(out.find("stringStart=0x000000f0, stringLength=0x00000010\n"), std::string::npos);
  EXPECT_NE(out.find("scnNum=1, secName=A, raw data: size=0x0000000a, ptr=0x00000074, "
                     "reloc: num=2, ptr=0x0000007e, line: num=0, ptr=0x00000000\n"),
            std::string::npos);
  EXPECT_NE(out.find("fileLength=0x00000100\n"), std::string::npos);

  testing::internal::CaptureStdout();
  coff->layout();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

// What fixupAuxFcns prints under its switch, starting from a pointer of 0
// in the function's aux entry (symbol index 1).
std::string fixupTraceFromZero(Coff& coff) {
  AuxFcn{}.storeInto(coff.cSymTbl[1]);
  setSwitch("Coff::fixupAuxFcns", 1);
  testing::internal::CaptureStdout();
  coff.fixupAuxFcns();
  const std::string out = testing::internal::GetCapturedStdout();
  setSwitch("Coff::fixupAuxFcns", 0);
  return out;
}

TEST(CoffLayout, FunctionPointerTrace) {
  ObjectBuilder builder;
  builder.code(".c")
      .bytes({0, 0})
      .line(0, 1, 0, 0)
      .symbol("function_long", 0, 1, C_EXT, DT_FCN << 4)
      .aux(AuxFcn{});
  auto coff = builder.coff();
  EXPECT_EQ(fixupTraceFromZero(*coff),
            "Coff::fixupAuxFcns() - symbol 'function_long' in section '.c'  from 0x00000000"
            " to " +
                formatHex(coff->cScnHdr.at(".c").s_lnnoptr, 4) + "\n");
}

TEST(CoffLayout, FunctionPointerTracePrintsEachChange) {
  ObjectBuilder builder;
  builder.code(".c")
      .bytes({0, 0})
      .line(0, 1, 0, 0)
      .line(0, 2, 0)
      .line(0, 3, 0, 0)
      .symbol("fn", 0, 1, C_EXT, DT_FCN << 4)
      .aux(AuxFcn{});
  auto coff = builder.coff();
  const uint32_t lines = coff->cScnHdr.at(".c").s_lnnoptr;
  const std::string prefix = "Coff::fixupAuxFcns() - symbol 'fn' in section '.c'  from ";
  // Every match overwrites the pointer, and each overwrite is a change.
  EXPECT_EQ(fixupTraceFromZero(*coff), prefix + "0x00000000 to " + formatHex(lines, 4) + "\n" +
                                           prefix + formatHex(lines, 4) + " to " +
                                           formatHex(lines + 32, 4) + "\n");
}

TEST(CoffWrite, ByNameReplacesTheFileWhole) {
  qortest::ScratchDir dir;
  const std::string path = dir.file("out.o");
  qortest::writeFile(path, "old contents");
  auto coff = ObjectBuilder().code(".c").bytes({1, 2, 3}).coff();
  coff->cName = path;
  MessageCapture messages;
  EXPECT_EQ(coff->write(), 1);
  EXPECT_EQ(messages.text(), "");
  EXPECT_EQ(qortest::readFileBytes(path), writtenImage(*coff));
  EXPECT_EQ(entriesIn(dir.path()), 1);  // no temporary left behind
}

TEST(CoffWrite, OpenFailureLeavesNothingBehind) {
  qortest::ScratchDir dir;
  auto coff = ObjectBuilder().coff();
  coff->cName = dir.file("no_such_dir/out.o");
  MessageCapture messages;
  EXPECT_EQ(coff->write(), 0);
  EXPECT_EQ(messages.text(),
            "Error - Could not open Coff file '" + coff->cName + "' for writing.\n");
}

TEST(CoffWrite, FailedReplaceKeepsTheOldFile) {
  // The target is a directory: the new image cannot take its place, and
  // nothing that was there is destroyed.
  qortest::ScratchDir dir;
  const std::string target = dir.file("a_directory");
  ASSERT_EQ(mkdir(target.c_str(), 0755), 0);
  qortest::writeFile(target + "/inside", "keep");
  auto coff = ObjectBuilder().coff();
  coff->cName = target;
  MessageCapture messages;
  EXPECT_EQ(coff->write(), 0);
  EXPECT_EQ(messages.text(), "Error - Could not open Coff file '" + target + "' for writing.\n");
  EXPECT_EQ(qortest::readFile(target + "/inside"), "keep");
  EXPECT_EQ(entriesIn(dir.path()), 1);
}

TEST(CoffWrite, FailedWriteIsReported) {
  std::FILE* readOnly = std::tmpfile();
  ASSERT_NE(readOnly, nullptr);
  std::FILE* reopened = std::freopen(nullptr, "rb", readOnly);
  if (reopened == nullptr) GTEST_SKIP() << "cannot reopen a temporary file read-only";
  auto coff = ObjectBuilder("w.o").code(".c").bytes({1}).coff();
  MessageCapture messages;
  EXPECT_EQ(coff->write(reopened, 0), 0);
  std::fclose(reopened);
  EXPECT_EQ(messages.text(), "Error - Coff file 'w.o' could not write file header.\n");
}

TEST(CoffWrite, FullDeviceIsReportedNotSuccess) {
  std::FILE* full = std::fopen("/dev/full", "wb");
  if (full == nullptr) GTEST_SKIP() << "no /dev/full on this host";
  auto coff = ObjectBuilder("w.o").code(".c").bytes(std::vector<uint8_t>(10000, 1)).coff();
  MessageCapture messages;
  EXPECT_EQ(coff->write(full, 0), 0);
  std::fclose(full);
  EXPECT_EQ(errorCount(), 1u);
  EXPECT_EQ(messages.text().rfind("Error - Coff file 'w.o' could not write ", 0), 0u);
}

TEST(CoffWrite, IntoAnOpenFileAtAnOffset) {
  auto coff = ObjectBuilder("m.o").code(".c").bytes({1, 2}).global("g", 0, 1).coff();
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  std::fputs("HEADER", file);
  EXPECT_EQ(coff->write(file, 6), 1);
  EXPECT_EQ(std::ftell(file), static_cast<long>(6 + coff->size()));
  auto back = Coff::make(file, 6, "m.o");
  std::fclose(file);
  ASSERT_TRUE(back);
  cofftest::expectSameObject(*coff, *back);
}

TEST(CoffCopy, CopiesShareNothing) {
  auto original = ObjectBuilder("c.o").code(".c").bytes({1, 2}).global("long_global", 0, 1).coff();
  Coff copy(*original);
  copy.cRawData.at(".c").data()[0] = 9;
  copy.cStrTbl.clear();
  EXPECT_EQ(original->cRawData.at(".c").data()[0], 1);
  EXPECT_EQ(original->cStrTbl.size(), 1u);
  Coff assigned;
  assigned = *original;
  cofftest::expectSameObject(assigned, *original);
  Coff& self = assigned;
  assigned = self;
  cofftest::expectSameObject(assigned, *original);
}

}  // namespace
