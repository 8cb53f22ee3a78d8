// The Ostra link: byte-addressed program memory, two-word instructions,
// relative branches both ways, an access bank, and the long entries of the
// initialised-data table.
#include "family_inputs.h"
#include "reloctypes.h"

namespace qorlantest {

namespace {

constexpr uint8_t kDevice = 128;

const char* const kCommandFile =
    "// Ostra test target\n"
    "LIBPATH .\n"
    "CODEPAGE   NAME=vectors   START=0x0   END=0x7     PROTECTED\n"
    "CODEPAGE   NAME=program   START=0x8   END=0x7FFF\n"
    "ACCESSBANK NAME=accessram START=0x0   END=0x5F\n"
    "DATABANK   NAME=gpr0      START=0x60  END=0xFF\n"
    "DATABANK   NAME=gpr1      START=0x100 END=0x1FF\n"
    "SECTION    NAME=vector    ROM=vectors\n"
    "SECTION    NAME=bigdata   RAM=gpr1\n"
    "STACK      SIZE=0x40      RAM=gpr1\n";

const char* const kMainSource =
    "; main program\n"
    "vector  code\n"
    "        goto    start\n"
    "        code\n"
    "start   call    helper\n"
    "        bra     start\n"
    "        bz      done\n"
    "        movlb   counter\n"
    "        banksel bigbuf\n"
    "        lfsr    0, bigbuf\n"
    "        movff   counter, bigbuf+1\n"
    "        movwf   counter\n"
    "        movwf   bigbuf\n"
    "        movlw   upper table\n"
    "        movlw   high table\n"
    "        movlw   low table\n"
    "        goto    square\n"
    "done    return\n";

// Symbol indexes of main.o.
enum : uint32_t {
  kStart = 2,
  kDone = 3,
  kTable = 4,
  kBigBuf = 5,
  kCounter = 7,
  kHelper = 8,
  kSquare = 9
};

ObjectBuilder mainObject() {
  ObjectBuilder main = objectFor(kDevice, "main.o");
  main.code("vector")
      .bytes(wordBytes({0xEF00, 0xF000}))
      .reloc(0, kStart, 0, RELOCT_GOTO)
      .reloc(2, kStart, 0, RELOCT_CALL2);
  addLines(main, {3, 3}, 2);
  main.code(".text")
      .bytes(wordBytes({0xEC00, 0xF000, 0xD000, 0xE000, 0x0100, 0x0100, 0xEE00, 0xF000, 0xC000,
                        0xF000, 0x6E00, 0x6E00, 0x0E00, 0x0E00, 0x0E00, 0xEF00, 0xF000, 0x0012}))
      .reloc(0, kHelper, 0, RELOCT_CALL)
      .reloc(2, kHelper, 0, RELOCT_CALL2)
      .reloc(4, kStart, 0, RELOCT_BRA)
      .reloc(6, kDone, 0, RELOCT_CONDBRA)
      .reloc(8, kCounter, 0, RELOCT_MOVLB)
      .reloc(10, kBigBuf, 0, RELOCT_BANKSEL)
      .reloc(12, kBigBuf, 0, RELOCT_LFSR1)
      .reloc(14, kBigBuf, 0, RELOCT_LFSR2)
      .reloc(16, kCounter, 0, RELOCT_FF1)
      .reloc(18, kBigBuf, 1, RELOCT_FF2)
      .reloc(20, kCounter, 0, RELOCT_F)
      .reloc(20, kCounter, 0, RELOCT_ACCESS)
      .reloc(22, kBigBuf, 0, RELOCT_F)
      .reloc(22, kBigBuf, 0, RELOCT_ACCESS)
      .reloc(24, kTable, 0, RELOCT_UPPER)
      .reloc(26, kTable, 0, RELOCT_HIGH)
      .reloc(28, kTable, 0, RELOCT_LOW)
      .reloc(30, kSquare, 0, RELOCT_GOTO)
      .reloc(32, kSquare, 0, RELOCT_CALL2);
  addLines(main, {5, 5, 6, 7, 8, 9, 10, 10, 11, 11, 12, 13, 14, 15, 16, 17, 17, 18}, 2);
  main.idata("odata").bytes({0x01, 0x02, 0x03});
  main.udata("bigdata", 16);
  main.fileSymbol("main.asm")
      .symbol("start", 0, 2, C_LABEL)
      .symbol("done", 34, 2, C_LABEL)
      .global("table", 0, 3)
      .global("bigbuf", 0, 4);
  endOfFile(main).externRef("counter").externRef("helper").externRef("square");
  return main;
}

// util.o adds the second part of .text: its branch is measured from where
// that part lies, not from the section's start.
ObjectBuilder utilObject() {
  ObjectBuilder util = objectFor(kDevice, "util.o");
  util.code(".text").bytes(wordBytes({0x0012, 0xD000})).reloc(2, 2, 0, RELOCT_BRA);
  addLines(util, {3, 4}, 2);
  util.udata("accvars", 2).access();
  util.fileSymbol("util.asm").global("helper", 0, 1).global("counter", 1, 2);
  endOfFile(util);
  return util;
}

ObjectBuilder squareObject() {
  ObjectBuilder square = objectFor(kDevice, "square.o");
  square.code("mathcode").bytes(wordBytes({0xD800, 0x0012})).reloc(0, 4, 0, RELOCT_BRA);
  addLines(square, {3, 4}, 2);
  square.fileSymbol("square.asm").global("square", 0, 1);
  endOfFile(square).externRef("helper");
  return square;
}

void prepare(const Workspace& work) {
  work.putText("ostra.lkr", kCommandFile);
  work.putText("main.asm", kMainSource);
  work.putText("util.asm",
               "; helper routine\n        code\nhelper  return\n        bra     helper\n");
  work.putText("square.asm",
               "; library routine\nmathcode code\nsquare  rcall   helper\n        return\n");
  work.put(mainObject(), "main.o");
  work.put(utilObject(), "util.o");
  work.putLibrary("mathlib.lib", {squareObject(), unusedMember(kDevice, 0x0012)});
}

}  // namespace

FamilyLink ostraLink() {
  return {"ostra",
          prepare,
          {"ostra.lkr", "main.o", "util.o", "mathlib.lib", "-m", "ostra.map", "-o", "ostra.out"},
          "ostra.out",
          listingRow("00001a", "d7fd", "BRA       0x16", "        bra     start", "main.asm")};
}

}  // namespace qorlantest
