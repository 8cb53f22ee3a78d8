// The test object builder itself: what it describes is what the object and
// its image hold.
#include <gtest/gtest.h>

#include "coff_test_support.h"
#include "object_builder.h"
#include "process_runner.h"

using qortest::ObjectBuilder;

namespace {

TEST(ObjectBuilder, SectionsAndSymbolsAsDescribed) {
  ObjectBuilder builder("b.o");
  builder.idata("initialised_data").at(0x20).bytes({1, 2}).access().udata(".bss", 6).overlay();
  EXPECT_EQ(builder.nextSymbolIndex(), 0u);
  builder.fileSymbol("source.asm", 4).externRef("another_long_one");
  EXPECT_EQ(builder.nextSymbolIndex(), 3u);
  auto coff = builder.coff();

  EXPECT_EQ(coff->cScnNum, (std::map<int, std::string>{{1, "initialised_data"}, {2, ".bss"}}));
  const SectionHeader& data = coff->cScnHdr.at("initialised_data");
  EXPECT_EQ(data.s_flags, STYP_IDATA | STYP_ACCESS);
  EXPECT_EQ(data.s_paddr, 0x20u);
  EXPECT_EQ(coff->cScnHdr.at(".bss").s_flags, STYP_UDATA | STYP_OVERLAY);
  EXPECT_EQ(coff->cScnHdr.at(".bss").s_size, 6u);
  EXPECT_EQ(coff->cScnHdr.at(".bss").s_scnptr, 0u);

  // Strings contiguous, in the order they were needed.
  EXPECT_EQ(coff->cStrTbl,
            (StringTable{{4, "initialised_data"}, {21, "source.asm"}, {32, "another_long_one"}}));
  EXPECT_EQ(builder.stringOffset("source.asm"), 21);
  EXPECT_EQ(coff->cAuxType, (std::vector<int>{0, AUX_FILE, 0}));
  EXPECT_EQ(AuxFile::from(coff->cSymTbl[1]).x_incline, 4u);
  EXPECT_TRUE(Coff::isExternRef(coff->cSymTbl[2]));
  EXPECT_EQ(Coff::getName(coff->cSymTbl[2], coff->cStrTbl), "another_long_one");
  EXPECT_EQ(coff->verify(), 1);
}

TEST(ObjectBuilder, ImageAndFileComeFromTheWriter) {
  ObjectBuilder builder("b.o");
  builder.code(".c").bytes({7}).global("g", 0, 1).timeStamp(5);
  auto coff = builder.coff();
  EXPECT_EQ(builder.image(), cofftest::writtenImage(*coff));
  qortest::ScratchDir dir;
  const std::string path = builder.writeFile(dir.file("b.o"));
  EXPECT_EQ(qortest::readFileBytes(path), builder.image());
  EXPECT_EQ(readLe32(&builder.image()[4]), 5u);  // the chosen stamp, not the clock
}

}  // namespace
