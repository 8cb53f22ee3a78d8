// The Zarn example: a device of four program pages of 512 words and four
// data banks of 32, with its reset vector at the top of program memory.
// Page selection takes two status bits here and bank selection two bits of
// the file select register; every routine that is called lies in the lower
// half of its page, where the 8-bit call field can reach it.
#include "linker_examples.h"

#include "reloctypes.h"

namespace example {

namespace {

constexpr ProcessorCode kDevice = 29;  // 2048 words in 4 pages, 4 banks of 32

uint16_t z(OpcodeId id, std::initializer_list<uint16_t> operands = {}) {
  return encode(CORE_ZARN, id, operands);
}

// TRIS with the operand 0 would be the NOP word, so the port number goes
// into the word before the opcode does.
uint16_t tris(uint16_t port) {
  uint16_t word = port;
  instSetOpcode(&word, TRIS, CORE_ZARN);
  return word;
}

// Placeholder words of the selections that the linker rewrites whole: the
// page bits of the status register and the bank bits of FSR.
const std::vector<uint16_t> kPageSelect = {z(BCF, {0x03, 5}), z(BCF, {0x03, 6})};
const std::vector<uint16_t> kBankSelect = {z(BCF, {0x04, 5}), z(BCF, {0x04, 6})};

Source mainSource() {
  Source s("main.asm", kDevice);
  s.line("; main.asm - counts in a 16-bit tick count and shows its low byte on port B")
      .line("; (the start-up code that copies init_vars from its image is left out)")
      .line("")
      .line("        global  start")
      .externs("        extern  io_init, io_show, delay", {"io_init", "io_show", "delay"})
      .line("");
  s.sectionAt("reset   code    0x7FF", "reset", STYP_CODE, 0x7FF)
      .code("        goto    start", {z(GOTO)}, {{0, RELOCT_GOTO, "start"}})
      .line("");
  s.section(".udata  udata", ".udata", STYP_UDATA)
      .label("ticks")
      .reserve("ticks   res     2", 2)
      .line("");
  s.section("init_vars idata", "init_vars", STYP_IDATA)
      .label("pause")
      .data("pause   db      0x40", {0x40})
      .line("");
  s.section("main_code code", "main_code", STYP_CODE)
      .global("start")
      .code("start   pagesel io_init", kPageSelect, {{0, RELOCT_PAGESEL, "io_init"}})
      .code("        call    io_init", {z(CALL)}, {{0, RELOCT_CALL, "io_init"}})
      .code("        pagesel loop", kPageSelect, {{0, RELOCT_PAGESEL, "loop"}})
      .code("        banksel ticks", kBankSelect, {{0, RELOCT_BANKSEL, "ticks"}})
      .code("        clrf    ticks", {z(CLRF)}, {{0, RELOCT_F, "ticks"}})
      .code("        clrf    ticks+1", {z(CLRF)}, {{0, RELOCT_F, "ticks", 1}})
      .label("loop")
      .code("loop    incfsz  ticks, f", {z(INCFSZ, {0, 1})}, {{0, RELOCT_F, "ticks"}})
      .code("        goto    show", {z(GOTO)}, {{0, RELOCT_GOTO, "show"}})
      .code("        incf    ticks+1, f", {z(INCF, {0, 1})}, {{0, RELOCT_F, "ticks", 1}})
      .label("show")
      .code("show    movf    ticks, w", {z(MOVF, {0, 0})}, {{0, RELOCT_F, "ticks"}});
  pagedTransfer(s, kPageSelect, "call", z(CALL), "io_show")
      .code("        banksel pause", kBankSelect, {{0, RELOCT_BANKSEL, "pause"}})
      .code("        movf    pause, w", {z(MOVF, {0, 0})}, {{0, RELOCT_F, "pause"}});
  pagedTransfer(s, kPageSelect, "call", z(CALL), "delay")
      .code("        banksel ticks", kBankSelect, {{0, RELOCT_BANKSEL, "ticks"}});
  pagedTransfer(s, kPageSelect, "goto", z(GOTO), "loop").line("        end");
  return s;
}

Source ioSource() {
  Source s("io.asm", kDevice);
  s.line("; io.asm - port B as output; the value shown is kept in a shared register")
      .line("PORTB   equ     0x06")
      .line("")
      .line("        global  io_init, io_show")
      .line("");
  s.section("io_shr  udata_shr", "io_shr", STYP_UDATA | STYP_SHARED)
      .label("last")
      .reserve("last    res     1", 1)
      .line("");
  s.section("io_code code", "io_code", STYP_CODE)
      .global("io_init")
      .code("io_init movlw   0x00", {z(MOVLW, {0x00})})
      .code("        tris    PORTB", {tris(0x06)})
      .code("        clrf    PORTB", {z(CLRF, {0x06})})
      .code("        retlw   0", {z(RETLW, {0})})
      .global("io_show")
      .code("io_show movwf   PORTB", {z(MOVWF, {0x06})})
      .code("        movwf   last", {z(MOVWF)}, {{0, RELOCT_F, "last"}})
      .code("        retlw   0", {z(RETLW, {0})})
      .line("        end");
  return s;
}

Source delaySource() {
  Source s = delayStart(kDevice, "delay_shr udata_shr", "delay_shr", STYP_UDATA | STYP_SHARED);
  s.section("delay_code code", "delay_code", STYP_CODE)
      .global("delay")
      .code("delay   movwf   outer", {z(MOVWF)}, {{0, RELOCT_F, "outer"}})
      .label("again")
      .code("again   clrf    inner", {z(CLRF)}, {{0, RELOCT_F, "inner"}})
      .label("wait")
      .code("wait    decfsz  inner, f", {z(DECFSZ, {0, 1})}, {{0, RELOCT_F, "inner"}})
      .code("        goto    wait", {z(GOTO)}, {{0, RELOCT_GOTO, "wait"}})
      .code("        decfsz  outer, f", {z(DECFSZ, {0, 1})}, {{0, RELOCT_F, "outer"}})
      .code("        goto    again", {z(GOTO)}, {{0, RELOCT_GOTO, "again"}})
      .code("        retlw   0", {z(RETLW, {0})})
      .line("        end");
  return s;
}

Source checksumSource() {
  Source s = checksumStart(kDevice, "adds up W bytes from the address in FSR into sum",
                           {"INDF    equ     0x00", "FSR     equ     0x04"}, "sum_shr udata_shr",
                           "sum_shr", STYP_UDATA | STYP_SHARED);
  s.section("sum_code code", "sum_code", STYP_CODE)
      .global("checksum")
      .code("checksum movwf  count", {z(MOVWF)}, {{0, RELOCT_F, "count"}})
      .code("        clrf    sum", {z(CLRF)}, {{0, RELOCT_F, "sum"}})
      .label("next")
      .code("next    movf    INDF, w", {z(MOVF, {0x00, 0})})
      .code("        addwf   sum, f", {z(ADDWF, {0, 1})}, {{0, RELOCT_F, "sum"}})
      .code("        incf    FSR, f", {z(INCF, {0x04, 1})})
      .code("        decfsz  count, f", {z(DECFSZ, {0, 1})}, {{0, RELOCT_F, "count"}})
      .code("        goto    next", {z(GOTO)}, {{0, RELOCT_GOTO, "next"}})
      .code("        retlw   0", {z(RETLW, {0})})
      .line("        end");
  return s;
}

const char kCommandFile[] =
    "// zarn.lkr - the ZARN029 device: four program pages of 512 words, four data banks of 32\n"
    "LIBPATH    .\n"
    "\n"
    "CODEPAGE   NAME=page0     START=0x000    END=0x1FF\n"
    "CODEPAGE   NAME=page1     START=0x200    END=0x3FF\n"
    "CODEPAGE   NAME=page2     START=0x400    END=0x5FF\n"
    "CODEPAGE   NAME=page3     START=0x600    END=0x7FE    FILL=0xFFF\n"
    "CODEPAGE   NAME=resetvec  START=0x7FF    END=0x7FF    PROTECTED   // the reset vector\n"
    "\n"
    "DATABANK   NAME=sfrs      START=0x00     END=0x07     PROTECTED\n"
    "SHAREBANK  NAME=shared    START=0x08     END=0x0F\n"
    "DATABANK   NAME=gpr0      START=0x10     END=0x1F\n"
    "DATABANK   NAME=gpr1      START=0x30     END=0x3F\n"
    "DATABANK   NAME=gpr2      START=0x50     END=0x5F\n"
    "DATABANK   NAME=gpr3      START=0x70     END=0x7F\n"
    "\n"
    "SECTION    NAME=main_code ROM=page0\n"
    "SECTION    NAME=io_code   ROM=page1\n"
    "STACK      SIZE=0x08      RAM=gpr3\n";

}  // namespace

LinkerExample zarnExample() {
  return {
      "zarn", kDevice, kCommandFile, {mainSource(), ioSource()}, {delaySource(), checksumSource()}};
}

}  // namespace example
