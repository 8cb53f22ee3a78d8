// The memory tables of the partial map and the trace dumps of the model.
#include <gtest/gtest.h>

#include <sstream>

#include "memtarg.h"

namespace {

constexpr uint8_t kRom = 0;
constexpr uint8_t kRam = 1;

std::string mapOf(const Memory& memory, int withHeader) {
  std::ostringstream out;
  memory.printMap(out, withHeader);
  return out.str();
}

template <typename Model>
std::string dumpOf(const Model& model) {
  std::ostringstream out;
  model.dump(out);
  return out.str();
}

TEST(MemtargMap, SectionsByAddressUnderTheHeader) {
  Memory page("page0", 0x0000, 0x07FF, kRom, 0, 0, "");
  page.setWidthBits(14);
  page.allocate("zz", uint32_t{0x000}, uint32_t{0x10}, 0);
  page.allocate("aa", uint32_t{0x100}, uint32_t{0x20}, 0);
  page.allocate("b0", uint32_t{0x100}, uint32_t{0}, 0);  // same start, no bytes
  EXPECT_EQ(mapOf(page, 1),
            "    Memory      Start        End              Section    Address Size(Bytes)\n"
            " ---------  ---------  ---------            ---------  ---------  ---------\n"
            "     page0     0x0000     0x07ff                   zz     0x0000     0x0010\n"
            "                                                   aa     0x0100     0x0020\n"
            "                                                   b0     0x0100     0x0000\n"
            "\n");
}

TEST(MemtargMap, EmptyMemoryAndWideAddresses) {
  Memory empty("page1", 0x10000, 0x1FFFF, kRom, 0, 0, "");
  empty.setWidthBits(16);
  EXPECT_EQ(mapOf(empty, 0),
            "     page1    0x10000    0x1ffff                                           \n\n");
  // Addresses and sizes above 0xffff keep all their digits; long names are
  // not cut to the column.
  Memory big("big", 0x10000, 0x1FFFF, kRom, 0, 0, "");
  big.setWidthBits(16);
  big.allocate("a_very_long_section_name_here", uint32_t{0x12345}, uint32_t{0x1A000}, 0);
  EXPECT_EQ(mapOf(big, 0),
            "       big    0x10000    0x1ffff a_very_long_section_name_here    0x12345    "
            "0x1a000\n\n");
}

TEST(MemtargDump, MemoryWithLoadedAndFreePieces) {
  Memory memory("gpr", 0x20, 0x2F, kRam, 1, 0, "");
  memory.setWidthBits(8);
  memory.allocate(".udata", 4, 0, uint16_t{1});
  memory.load("a.o", ".udata", 3);
  memory.load("b.o", ".udata", 0);
  EXPECT_EQ(dumpOf(memory),
            "Memory: name=gpr start=0x00000020 end=0x0000002f type=ram protected=1 hasFill=0 "
            "fill=\n"
            "          ---Allocated Ranges--- \n"
            "Range:   allocName=.udata start=0x00000020 size=0x00000004 end=0x00000023 "
            "pc=0x00000023 type=ram isOverlay=0\n"
            "                    Loaded Section: file=a.o start=0x00000020 size=0x00000003 "
            "end=0x00000022\n"
            "                    Loaded Section: file=b.o start=0x00000023 size=0x00000000\n"
            "          ---Unallocated Ranges--- \n"
            "Range:   allocName= start=0x00000024 size=0x0000000c end=0x0000002f "
            "pc=0x00000024 type=ram isOverlay=0\n");
}

TEST(MemtargDump, RangesWithoutLocationsOrWidth) {
  Range piece(0x10, 0x10, kRom, 14);
  std::list<Range> leftovers;
  piece.allocate(".empty", 0x14, 0, leftovers, 1);
  EXPECT_EQ(dumpOf(piece),
            "Range:   allocName=.empty start=0x00000014 size=0x00000000 pc=0x00000014 type=rom "
            "isOverlay=1\n");
  // Before the processor check has set the width the byte size is unknown;
  // a trace must not end the run for it.
  EXPECT_EQ(dumpOf(Range(0x10, 4, kRom, 0)),
            "Range:   allocName= start=0x00000010 size=<NaN> end=0x00000013 pc=0x00000010 "
            "type=rom isOverlay=0\n");
}

}  // namespace
