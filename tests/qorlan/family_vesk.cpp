// The Vesk link: a device of 14-bit words with four pages and four banks, so
// that every bank and page selection writes both of its words.
#include "family_inputs.h"
#include "reloctypes.h"

namespace qorlantest {

namespace {

constexpr uint8_t kDevice = 52;

const char* const kCommandFile =
    "// Vesk test target\n"
    "LIBPATH .\n"
    "CODEPAGE   NAME=vectors START=0x0   END=0x3   PROTECTED\n"
    "CODEPAGE   NAME=page0   START=0x4   END=0x7FF\n"
    "CODEPAGE   NAME=page1   START=0x800 END=0xFFF\n"
    "DATABANK   NAME=gpr0    START=0x20  END=0x6F\n"
    "DATABANK   NAME=gpr1    START=0xA0  END=0xEF\n"
    "DATABANK   NAME=gpr2    START=0x120 END=0x16F\n"
    "SHAREBANK  NAME=shr     START=0x70  END=0x7F\n"
    "SHAREBANK  NAME=shr     START=0xF0  END=0xFF\n"
    "SECTION    NAME=reset   ROM=vectors\n"
    "SECTION    NAME=utilcode ROM=page1\n"
    "SECTION    NAME=uvars   RAM=gpr1\n"
    "SECTION    NAME=vars    RAM=gpr2\n"
    "STACK      SIZE=0x10\n";

const char* const kMainSource =
    "; main program\n"
    "        extern  helper, square, counter\n"
    "reset   code\n"
    "        goto    start\n"
    "main    code\n"
    "start   banksel counter\n"
    "        movwf   counter\n"
    "        pagesel helper\n"
    "        call    helper\n"
    "        pagesel square\n"
    "        call    square\n"
    "        bankisel buffer\n"
    "        movlw   high table\n"
    "        movlw   low table+1\n"
    "        goto    $\n";

// Symbol indexes of main.o.
enum : uint32_t { kStart = 2, kTable = 4, kBuffer = 5, kCounter = 7, kHelper = 8, kSquare = 9 };

ObjectBuilder mainObject() {
  ObjectBuilder main = objectFor(kDevice, "main.o");
  main.code("reset").bytes(wordBytes({0x2800})).reloc(0, kStart, 0, RELOCT_GOTO).line(0, 4, 0);
  main.code(".text")
      .bytes(wordBytes({0x0000, 0x0000, 0x0080, 0x0000, 0x0000, 0x2000, 0x0000, 0x0000, 0x2000,
                        0x0000, 0x3000, 0x3000, 0x2800}))
      .reloc(0, kCounter, 0, RELOCT_BANKSEL)
      .reloc(4, kCounter, 0, RELOCT_F)
      .reloc(6, kHelper, 0, RELOCT_PAGESEL_BITS)
      .reloc(10, kHelper, 0, RELOCT_CALL)
      .reloc(12, kSquare, 0, RELOCT_PAGESEL)
      .reloc(16, kSquare, 0, RELOCT_CALL)
      .reloc(18, kBuffer, 0, RELOCT_IBANKSEL)
      .reloc(20, kTable, 0, RELOCT_HIGH)
      .reloc(22, kTable, 1, RELOCT_LOW)
      .reloc(24, kStart, 12, RELOCT_GOTO);
  addLines(main, {6, 6, 7, 8, 8, 9, 10, 10, 11, 12, 13, 14, 15});
  main.idata("tables").bytes({0x01, 0x02, 0x03, 0x00}).reloc(3, kHelper, 0, RELOCT_HIGH);
  main.udata("vars", 2);
  main.fileSymbol("main.asm")
      .symbol("start", 0, 2, C_LABEL)
      .symbol("main", 0, 2, C_EXT, DT_FCN << 4)
      .global("table", 0, 3)
      .symbol("buffer", 1, 4, C_STAT);
  endOfFile(main).externRef("counter").externRef("helper").externRef("square");
  return main;
}

const char* const kUtilSource =
    "; helper routines\n"
    "utilcode code\n"
    "helper  incf    counter, f\n"
    "        movlw   _stksize\n"
    "        return\n";

ObjectBuilder utilObject() {
  ObjectBuilder util = objectFor(kDevice, "util.o");
  util.code("utilcode")
      .bytes(wordBytes({0x0A80, 0x3000, 0x0008}))
      .reloc(0, 3, 0, RELOCT_F)
      .reloc(2, 6, 0, RELOCT_LOW);
  addLines(util, {3, 4, 5});
  util.udata("uvars", 1);
  util.udata("shr", 1).shared();
  util.fileSymbol("util.asm").global("helper", 0, 1).global("counter", 0, 2).global("temp", 0, 3);
  endOfFile(util).externRef("_stksize");
  return util;
}

const char* const kSquareSource =
    "; library routine\n"
    "mathcode code\n"
    "square  movf    temp, w\n"
    "        return\n";

ObjectBuilder squareObject() {
  ObjectBuilder square = objectFor(kDevice, "square.o");
  square.code("mathcode").bytes(wordBytes({0x0800, 0x0008})).reloc(0, 4, 0, RELOCT_F);
  addLines(square, {3, 4});
  square.fileSymbol("square.asm").global("square", 0, 1);
  endOfFile(square).externRef("temp");
  return square;
}

void prepare(const Workspace& work) {
  work.putText("vesk.lkr", kCommandFile);
  work.putText("main.asm", kMainSource);
  work.putText("util.asm", kUtilSource);
  work.putText("square.asm", kSquareSource);
  work.put(mainObject(), "main.o");
  work.put(utilObject(), "util.o");
  work.putLibrary("mathlib.lib", {squareObject(), unusedMember(kDevice, 0x0008)});
}

}  // namespace

FamilyLink veskLink() {
  return {"vesk",
          prepare,
          {"vesk.lkr", "main.o", "util.o", "mathlib.lib", "-m", "vesk.map", "-o", "vesk.out"},
          "vesk.out",
          listingRow("00000c", "1683", "BSF       0x3,0x5", "start   banksel counter", "main.asm")};
}

}  // namespace qorlantest
