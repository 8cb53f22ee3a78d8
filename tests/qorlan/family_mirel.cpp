// The Mirel link: 16-bit words copied as they are into the image sections, a
// code section of one name in two objects, romdata with whole-word
// addresses, and a library member that pulls in a second one.
#include "family_inputs.h"
#include "reloctypes.h"

namespace qorlantest {

namespace {

constexpr uint8_t kDevice = 121;

const char* const kCommandFile =
    "// Mirel test target\n"
    "LIBPATH .\n"
    "CODEPAGE   NAME=vectors START=0x0    END=0x7    PROTECTED\n"
    "CODEPAGE   NAME=program START=0x8    END=0x1FFF\n"
    "DATABANK   NAME=gpr0    START=0x20   END=0xFF\n"
    "DATABANK   NAME=gpr1    START=0x120  END=0x1FF\n"
    "SECTION    NAME=vector  ROM=vectors\n"
    "STACK      SIZE=0x20    RAM=gpr1\n";

const char* const kMainSource =
    "; main program\n"
    "PORTB   equ     0x110\n"
    "vector  code\n"
    "        goto    start\n"
    "        code\n"
    "start   movlr   counter\n"
    "        movlb   PORTB\n"
    "        banksel counter\n"
    "        banksel PORTB\n"
    "        pagesel helper\n"
    "        call    helper\n"
    "        movpf   PORTB, WREG\n"
    "        movlw   low table\n"
    "        movlw   high table\n"
    "        pagesel square\n"
    "        call    square\n"
    "        movwf   counter\n"
    "        goto    $\n";

// Symbol indexes of main.o.
enum : uint32_t { kStart = 2, kPortB = 3, kTable = 4, kCounter = 7, kHelper = 8, kSquare = 9 };

ObjectBuilder mainObject() {
  ObjectBuilder main = objectFor(kDevice, "main.o");
  main.code("vector").bytes(wordBytes({0xC000})).reloc(0, kStart, 0, RELOCT_GOTO).line(0, 4, 0);
  main.code(".text")
      .bytes(wordBytes({0xBA00, 0xB800, 0x0000, 0x0000, 0x0000, 0x0000, 0xE000, 0x400A, 0xB000,
                        0xB000, 0x0000, 0x0000, 0xE000, 0x0100, 0xC000}))
      .reloc(0, kCounter, 0, RELOCT_MOVLR)
      .reloc(2, kPortB, 0, RELOCT_MOVLB)
      .reloc(4, kCounter, 0, RELOCT_BANKSEL)
      .reloc(6, kPortB, 0, RELOCT_BANKSEL)
      .reloc(8, kHelper, 0, RELOCT_PAGESEL)
      .reloc(12, kHelper, 0, RELOCT_CALL)
      .reloc(14, kPortB, 0, RELOCT_P)
      .reloc(16, kTable, 0, RELOCT_LOW)
      .reloc(18, kTable, 0, RELOCT_HIGH)
      .reloc(20, kSquare, 0, RELOCT_PAGESEL_WREG)
      .reloc(24, kSquare, 0, RELOCT_CALL)
      .reloc(26, kCounter, 0, RELOCT_F)
      .reloc(28, kStart, 14, RELOCT_GOTO);
  addLines(main, {6, 7, 8, 9, 10, 10, 11, 12, 13, 14, 15, 15, 16, 17, 18});
  main.idata("initvalues").bytes({0x11, 0x22, 0x33});
  main.romdata("consts")
      .bytes({0x00, 0x00, 0x00, 0x00})
      .reloc(0, kHelper, 0, RELOCT_ALL)
      .reloc(2, kTable, 2, RELOCT_ALL);
  main.fileSymbol("main.asm")
      .symbol("start", 0, 2, C_LABEL)
      .symbol("PORTB", 0x110, N_ABS, C_STAT)
      .global("table", 0, 3)
      .global("pointers", 0, 4);
  endOfFile(main).externRef("counter").externRef("helper").externRef("square");
  return main;
}

const char* const kUtilSource =
    "; helper routines\n"
    "        code\n"
    "helper  banksel counter\n"
    "        incf    counter, f\n"
    "        return\n";

// helper is a function: its aux entry's end index and its lines' function
// index move with the symbols of main.o before it.
enum : uint32_t { kUtilHelper = 2, kUtilCounter = 4, kUtilEnd = 5 };

ObjectBuilder utilObject() {
  ObjectBuilder util = objectFor(kDevice, "util.o");
  util.code(".text")
      .bytes(wordBytes({0x0000, 0x1500, 0x0002}))
      .reloc(0, kUtilCounter, 0, RELOCT_IBANKSEL)
      .reloc(2, kUtilCounter, 0, RELOCT_F)
      .line(0, 3, 0, kUtilHelper)
      .line(0, 4, 1, kUtilHelper)
      .line(0, 5, 2, kUtilHelper);
  util.udata("uvars", 2);
  AuxFcn function;
  function.x_size = 6;
  function.x_endndx = kUtilEnd;
  util.fileSymbol("util.asm")
      .symbol("helper", 0, 1, C_EXT, DT_FCN << 4)
      .aux(function)
      .global("counter", 1, 2);
  endOfFile(util);
  return util;
}

ObjectBuilder squareObject() {
  ObjectBuilder square = objectFor(kDevice, "square.o");
  square.code("mathcode").bytes(wordBytes({0xE000, 0x0002})).reloc(0, 4, 0, RELOCT_CALL);
  addLines(square, {3, 4});
  square.fileSymbol("square.asm").global("square", 0, 1);
  endOfFile(square).externRef("cube");
  return square;
}

ObjectBuilder cubeObject() {
  ObjectBuilder cube = objectFor(kDevice, "cube.o");
  cube.code("mathcode").bytes(wordBytes({0x0002}));
  addLines(cube, {3});
  cube.fileSymbol("cube.asm").global("cube", 0, 1);
  endOfFile(cube);
  return cube;
}

void prepare(const Workspace& work) {
  work.putText("mirel.lkr", kCommandFile);
  work.putText("main.asm", kMainSource);
  work.putText("util.asm", kUtilSource);
  work.putText("square.asm",
               "; library routine\nmathcode code\nsquare  call    cube\n        return\n");
  work.putText("cube.asm", "; library routine\nmathcode code\ncube    return\n");
  work.put(mainObject(), "main.o");
  work.put(utilObject(), "util.o");
  work.putLibrary("mathlib.lib", {unusedMember(kDevice, 0x0002), cubeObject(), squareObject()});
}

}  // namespace

FamilyLink mirelLink() {
  return {"mirel",
          prepare,
          {"-m", "mirel.map", "mirel.lkr", "main.o", "util.o", "mathlib.lib", "-o", "mirel.out"},
          "mirel.out",
          listingRow("00001b", "ba10", "MOVLR     0x1", "helper  banksel counter", "util.asm")};
}

}  // namespace qorlantest
