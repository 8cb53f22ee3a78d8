// The Zarn link: 12-bit words, an absolute reset vector in a protected page,
// calls into the lower half of a page, and the two-word bank and page
// selections of a four-page, four-bank device.
#include "family_inputs.h"
#include "reloctypes.h"

namespace qorlantest {

namespace {

constexpr uint8_t kDevice = 29;

const char* const kCommandFile =
    "// Zarn test target\n"
    "LIBPATH .\n"
    "CODEPAGE   NAME=page0   START=0x0   END=0x1FE\n"
    "CODEPAGE   NAME=reset   START=0x1FF END=0x1FF PROTECTED\n"
    "CODEPAGE   NAME=page1   START=0x200 END=0x3FF\n"
    "DATABANK   NAME=gpr0    START=0x08  END=0x1F\n"
    "DATABANK   NAME=gpr1    START=0x30  END=0x3F\n"
    "DATABANK   NAME=gpr3    START=0x70  END=0x7F\n"
    "SECTION    NAME=utilcode ROM=page1\n"
    "SECTION    NAME=zvars   RAM=gpr3\n";

const char* const kMainSource =
    "; main program\n"
    "PORTB   equ     6\n"
    "resetvec code   0x1FF\n"
    "        goto    start\n"
    "        code\n"
    "start   banksel flags\n"
    "        movwf   flags\n"
    "        pagesel helper\n"
    "        call    helper\n"
    "        tris    PORTB\n"
    "        movlw   low _cinit\n"
    "        movlw   high helper\n"
    "        call    square\n"
    "        goto    $\n";

// Symbol indexes of main.o.
enum : uint32_t { kStart = 2, kPortB = 3, kFlags = 5, kCinit = 7, kHelper = 8, kSquare = 9 };

ObjectBuilder mainObject() {
  ObjectBuilder main = objectFor(kDevice, "main.o");
  main.code("resetvec")
      .at(0x1FF)
      .absolute()
      .bytes(wordBytes({0x0A00}))
      .reloc(0, kStart, 0, RELOCT_GOTO)
      .line(0, 4, 0x1FF);
  main.code(".text")
      .bytes(wordBytes(
          {0x0000, 0x0000, 0x0020, 0x0000, 0x0000, 0x0900, 0x0000, 0x0C00, 0x0C00, 0x0900, 0x0A00}))
      .reloc(0, kFlags, 0, RELOCT_BANKSEL)
      .reloc(4, kFlags, 0, RELOCT_F)
      .reloc(6, kHelper, 0, RELOCT_PAGESEL)
      .reloc(10, kHelper, 0, RELOCT_CALL)
      .reloc(12, kPortB, 0, RELOCT_TRIS)
      .reloc(14, kCinit, 0, RELOCT_LOW)
      .reloc(16, kHelper, 0, RELOCT_HIGH)
      .reloc(18, kSquare, 0, RELOCT_CALL)
      .reloc(20, kStart, 10, RELOCT_GOTO);
  addLines(main, {6, 6, 7, 8, 8, 9, 10, 11, 12, 13, 14});
  main.idata("ztable").bytes({0x00, 0x00, 0x55}).reloc(0, kHelper, 0, RELOCT_ALL);
  main.udata("zvars", 2);
  main.fileSymbol("main.asm")
      .symbol("start", 0, 2, C_LABEL)
      .symbol("PORTB", 6, N_ABS, C_STAT)
      .global("table", 0, 3)
      .symbol("flags", 1, 4, C_STAT);
  endOfFile(main).externRef("_cinit").externRef("helper").externRef("square");
  return main;
}

ObjectBuilder utilObject() {
  ObjectBuilder util = objectFor(kDevice, "util.o");
  util.code("utilcode").bytes(wordBytes({0x0801})).line(0, 3, 0);
  util.fileSymbol("util.asm").global("helper", 0, 1);
  endOfFile(util);
  return util;
}

ObjectBuilder squareObject() {
  ObjectBuilder square = objectFor(kDevice, "square.o");
  square.code("mathcode").bytes(wordBytes({0x0200, 0x0800})).reloc(0, 3, 0, RELOCT_F);
  addLines(square, {4, 5});
  square.udata("mtemp", 1);
  square.fileSymbol("square.asm").global("square", 0, 1).symbol("tmp", 0, 2, C_STAT);
  endOfFile(square);
  return square;
}

void prepare(const Workspace& work) {
  work.putText("zarn.lkr", kCommandFile);
  work.putText("main.asm", kMainSource);
  work.putText("util.asm", "; helper routine\nutilcode code\nhelper  retlw   1\n");
  work.putText("square.asm",
               "; library routine\nmtemp   udata\ntmp     res     1\n"
               "square  movf    tmp, w\n        retlw   0\n");
  work.put(mainObject(), "main.o");
  work.put(utilObject(), "util.o");
  work.putLibrary("mathlib.lib", {squareObject(), unusedMember(kDevice, 0x0800)});
}

}  // namespace

FamilyLink zarnLink() {
  return {"zarn",
          prepare,
          {"zarn.lkr", "main.o", "util.o", "mathlib.lib", "-m", "zarn.map", "-o", "zarn.out"},
          "zarn.out",
          listingRow("0001ff", "0a08", "GOTO      0x8", "        goto    start", "main.asm")};
}

}  // namespace qorlantest
