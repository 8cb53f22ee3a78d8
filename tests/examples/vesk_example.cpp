// The Vesk example: a device of two program pages and four data banks, so
// that page selection and both bank bits (and the indirect bank bit) are
// really written. An interrupt routine saves its context in the shared
// bank; the output routines live in the second page.
#include "linker_examples.h"

#include "reloctypes.h"

namespace example {

namespace {

constexpr ProcessorCode kDevice = 76;  // 4096 words in 2 pages, 4 banks of 128

uint16_t v(OpcodeId id, std::initializer_list<uint16_t> operands = {}) {
  return encode(CORE_VESK, id, operands);
}

// Placeholder words of the selections that the linker rewrites whole.
const std::vector<uint16_t> kPageSelect = {v(MOVLW, {0}), v(MOVWF, {0x0A})};
const std::vector<uint16_t> kBankSelect = {v(BCF, {0x03, 5}), v(BCF, {0x03, 6})};

Source mainSource() {
  Source s("main.asm", kDevice);
  s.line("; main.asm - steps a counter and shows it on port B, pausing between steps")
      .line("; (the start-up code that copies init_vars from its image is left out)")
      .line("INDF    equ     0x00")
      .line("STATUS  equ     0x03")
      .line("FSR     equ     0x04")
      .line("PCLATH  equ     0x0A")
      .line("")
      .line("        global  start")
      .externs("        extern  io_init, io_put, delay", {"io_init", "io_put", "delay"})
      .line("");
  s.sectionAt("reset   code    0x0000", "reset", STYP_CODE, 0x0000);
  pagedTransfer(s, kPageSelect, "goto", v(GOTO), "start").line("");
  s.sectionAt("isr     code    0x0004", "isr", STYP_CODE, 0x0004)
      .code("        movwf   w_save", {v(MOVWF)}, {{0, RELOCT_F, "w_save"}})
      .code("        swapf   STATUS, w", {v(SWAPF, {0x03, 0})})
      .code("        movwf   status_save", {v(MOVWF)}, {{0, RELOCT_F, "status_save"}})
      .code("        swapf   status_save, w", {v(SWAPF, {0, 0})}, {{0, RELOCT_F, "status_save"}})
      .code("        movwf   STATUS", {v(MOVWF, {0x03})})
      .code("        swapf   w_save, f", {v(SWAPF, {0, 1})}, {{0, RELOCT_F, "w_save"}})
      .code("        swapf   w_save, w", {v(SWAPF, {0, 0})}, {{0, RELOCT_F, "w_save"}})
      .code("        retfie", {v(RETFIE)})
      .line("");
  s.section("shared  udata_shr", "shared", STYP_UDATA | STYP_SHARED)
      .label("w_save")
      .reserve("w_save      res 1", 1)
      .label("status_save")
      .reserve("status_save res 1", 1)
      .line("");
  s.section(".udata  udata", ".udata", STYP_UDATA)
      .label("counter")
      .reserve("counter res     1", 1)
      .line("");
  s.section("init_vars idata", "init_vars", STYP_IDATA)
      .label("step")
      .data("step    db      1", {0x01})
      .label("pause")
      .data("pause   db      0x40", {0x40})
      .line("");
  s.section("main_code code", "main_code", STYP_CODE)
      .global("start")
      .code("start   pagesel io_init", kPageSelect, {{0, RELOCT_PAGESEL, "io_init"}})
      .code("        call    io_init", {v(CALL)}, {{0, RELOCT_CALL, "io_init"}})
      .code("        bankisel counter", {v(BCF, {0x03, 7})}, {{0, RELOCT_IBANKSEL, "counter"}})
      .code("        movlw   low counter", {v(MOVLW)}, {{0, RELOCT_LOW, "counter"}})
      .code("        movwf   FSR", {v(MOVWF, {0x04})})
      .code("        clrf    INDF", {v(CLRF, {0x00})})
      .label("loop")
      .code("loop    banksel step", kBankSelect, {{0, RELOCT_BANKSEL, "step"}})
      .code("        movf    step, w", {v(MOVF, {0, 0})}, {{0, RELOCT_F, "step"}})
      .code("        banksel counter", kBankSelect, {{0, RELOCT_BANKSEL, "counter"}})
      .code("        addwf   counter, f", {v(ADDWF, {0, 1})}, {{0, RELOCT_F, "counter"}})
      .code("        movf    counter, w", {v(MOVF, {0, 0})}, {{0, RELOCT_F, "counter"}});
  pagedTransfer(s, kPageSelect, "call", v(CALL), "io_put")
      .code("        banksel pause", kBankSelect, {{0, RELOCT_BANKSEL, "pause"}})
      .code("        movf    pause, w", {v(MOVF, {0, 0})}, {{0, RELOCT_F, "pause"}});
  pagedTransfer(s, kPageSelect, "call", v(CALL), "delay");
  pagedTransfer(s, kPageSelect, "goto", v(GOTO), "loop").line("        end");
  return s;
}

Source ioSource() {
  Source s("io.asm", kDevice);
  s.line("; io.asm - port B as output, and a digit shown on it through a segment table")
      .line("PCL     equ     0x02")
      .line("STATUS  equ     0x03")
      .line("PORTB   equ     0x06")
      .line("PCLATH  equ     0x0A")
      .line("TRISB   equ     0x86")
      .line("")
      .line("        global  io_init, io_put")
      .line("");
  s.section(".udata  udata", ".udata", STYP_UDATA)
      .label("shown")
      .reserve("shown   res     1", 1)
      .label("digit")
      .reserve("digit   res     1", 1)
      .line("");
  s.section("io_code code", "io_code", STYP_CODE)
      .global("io_init")
      .code("io_init banksel TRISB", {v(BSF, {0x03, 5}), v(BCF, {0x03, 6})})
      .code("        clrf    TRISB", {v(CLRF, {0x86 & 0x7F})})
      .code("        banksel PORTB", kBankSelect)
      .code("        clrf    PORTB", {v(CLRF, {0x06})})
      .code("        return", {v(RETURN)})
      .global("io_put")
      .code("io_put  andlw   0x03", {v(ANDLW, {0x03})})
      .code("        call    segments", {v(CALL)}, {{0, RELOCT_CALL, "segments"}})
      .code("        banksel shown", kBankSelect, {{0, RELOCT_BANKSEL, "shown"}})
      .code("        movwf   shown", {v(MOVWF)}, {{0, RELOCT_F, "shown"}})
      .code("        banksel PORTB", kBankSelect)
      .code("        movwf   PORTB", {v(MOVWF, {0x06})})
      .code("        return", {v(RETURN)})
      .label("segments")
      .code("segments banksel digit", kBankSelect, {{0, RELOCT_BANKSEL, "digit"}})
      .code("        movwf   digit", {v(MOVWF)}, {{0, RELOCT_F, "digit"}})
      .code("        movlw   high table", {v(MOVLW)}, {{0, RELOCT_HIGH, "table"}})
      .code("        movwf   PCLATH", {v(MOVWF, {0x0A})})
      .code("        movf    digit, w", {v(MOVF, {0, 0})}, {{0, RELOCT_F, "digit"}})
      .code("        addwf   PCL, f", {v(ADDWF, {0x02, 1})})
      .label("table")
      .code("table   retlw   0x3F", {v(RETLW, {0x3F})})
      .code("        retlw   0x06", {v(RETLW, {0x06})})
      .code("        retlw   0x5B", {v(RETLW, {0x5B})})
      .code("        retlw   0x4F", {v(RETLW, {0x4F})})
      .line("        end");
  return s;
}

Source delaySource() {
  Source s = delayStart(kDevice, ".udata  udata", ".udata", STYP_UDATA);
  s.section("delay_code code", "delay_code", STYP_CODE)
      .global("delay")
      .code("delay   banksel outer", kBankSelect, {{0, RELOCT_BANKSEL, "outer"}})
      .code("        movwf   outer", {v(MOVWF)}, {{0, RELOCT_F, "outer"}})
      .label("again")
      .code("again   clrf    inner", {v(CLRF)}, {{0, RELOCT_F, "inner"}})
      .label("wait")
      .code("wait    decfsz  inner, f", {v(DECFSZ, {0, 1})}, {{0, RELOCT_F, "inner"}})
      .code("        goto    wait", {v(GOTO)}, {{0, RELOCT_GOTO, "wait"}})
      .code("        decfsz  outer, f", {v(DECFSZ, {0, 1})}, {{0, RELOCT_F, "outer"}})
      .code("        goto    again", {v(GOTO)}, {{0, RELOCT_GOTO, "again"}})
      .code("        return", {v(RETURN)})
      .line("        end");
  return s;
}

Source checksumSource() {
  Source s = checksumStart(kDevice, "adds up W bytes from the address in FSR into sum",
                           {"INDF    equ     0x00", "FSR     equ     0x04"}, ".udata  udata",
                           ".udata", STYP_UDATA);
  s.section("sum_code code", "sum_code", STYP_CODE)
      .global("checksum")
      .code("checksum banksel count", kBankSelect, {{0, RELOCT_BANKSEL, "count"}})
      .code("        movwf   count", {v(MOVWF)}, {{0, RELOCT_F, "count"}})
      .code("        clrf    sum", {v(CLRF)}, {{0, RELOCT_F, "sum"}})
      .label("next")
      .code("next    movf    INDF, w", {v(MOVF, {0x00, 0})})
      .code("        addwf   sum, f", {v(ADDWF, {0, 1})}, {{0, RELOCT_F, "sum"}})
      .code("        incf    FSR, f", {v(INCF, {0x04, 1})})
      .code("        decfsz  count, f", {v(DECFSZ, {0, 1})}, {{0, RELOCT_F, "count"}})
      .code("        goto    next", {v(GOTO)}, {{0, RELOCT_GOTO, "next"}})
      .code("        return", {v(RETURN)})
      .line("        end");
  return s;
}

const char kCommandFile[] =
    "// vesk.lkr - the VESK076 device: two program pages of 2048 words, four data banks\n"
    "LIBPATH    .\n"
    "\n"
    "// The reset and interrupt vectors; what they leave free is filled.\n"
    "CODEPAGE   NAME=vectors   START=0x0000   END=0x001F   PROTECTED   FILL=0x3FFF\n"
    "CODEPAGE   NAME=page0     START=0x0020   END=0x07FF\n"
    "CODEPAGE   NAME=page1     START=0x0800   END=0x0FFF\n"
    "\n"
    "DATABANK   NAME=sfr0      START=0x000    END=0x01F    PROTECTED\n"
    "DATABANK   NAME=gpr0      START=0x020    END=0x06F\n"
    "SHAREBANK  NAME=gprnobnk  START=0x070    END=0x07F\n"
    "DATABANK   NAME=sfr1      START=0x080    END=0x09F    PROTECTED\n"
    "DATABANK   NAME=gpr1      START=0x0A0    END=0x0EF\n"
    "DATABANK   NAME=sfr2      START=0x100    END=0x10F    PROTECTED\n"
    "DATABANK   NAME=gpr2      START=0x110    END=0x16F\n"
    "DATABANK   NAME=sfr3      START=0x180    END=0x18F    PROTECTED\n"
    "DATABANK   NAME=gpr3      START=0x190    END=0x1EF\n"
    "\n"
    "SECTION    NAME=io_code   ROM=page1       // the output routines in the second page\n"
    "SECTION    NAME=init_vars RAM=gpr1\n"
    "STACK      SIZE=0x10      RAM=gpr3\n";

}  // namespace

LinkerExample veskExample() {
  return {
      "vesk", kDevice, kCommandFile, {mainSource(), ioSource()}, {delaySource(), checksumSource()}};
}

}  // namespace example
