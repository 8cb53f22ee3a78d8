// The Mirel example: a device of two program pages of 8192 words and eight
// data banks of 256. Bank selection becomes MOVLR or MOVLB by whether the
// address is a general register, the greeting is read from program memory
// through the table pointer, and the serial routines live in the second
// page.
#include "linker_examples.h"

#include "reloctypes.h"

namespace example {

namespace {

constexpr ProcessorCode kDevice = 121;  // 16384 words in 2 pages, 8 banks of 256

uint16_t m(OpcodeId id, std::initializer_list<uint16_t> operands = {}) {
  return encode(CORE_MIREL, id, operands);
}

// Placeholder words of the selections that the linker rewrites whole.
const std::vector<uint16_t> kPageSelect = {m(MOVLW, {0}), m(MOVWF, {0x03})};
const std::vector<uint16_t> kBankSelect = {m(MOVLB, {0})};

Source mainSource() {
  Source s("main.asm", kDevice);
  s.line("; main.asm - sends a greeting from program memory, then a count that goes up")
      .line("; (the start-up code that copies init_vars from its image is left out)")
      .line("ALUSTA  equ     0x04")
      .line("WREG    equ     0x0A")
      .line("TBLPTRL equ     0x0D")
      .line("TBLPTRH equ     0x0E")
      .line("")
      .line("        global  start")
      .externs("        extern  io_init, io_send, delay", {"io_init", "io_send", "delay"})
      .line("");
  s.sectionAt("reset   code    0x0000", "reset", STYP_CODE, 0x0000);
  pagedTransfer(s, kPageSelect, "goto", m(GOTO), "start").line("");
  s.section(".udata  udata", ".udata", STYP_UDATA)
      .label("count")
      .reserve("count   res     2", 2)
      .line("");
  s.section("init_vars idata", "init_vars", STYP_IDATA)
      .label("pause")
      .data("pause   db      0x40", {0x40})
      .line("");
  s.section("strings romdata", "strings", STYP_ROMDATA)
      .label("greeting")
      .data("greeting db     'H', 'i', 0", {'H', 'i', 0})
      .line("");
  s.section("main_code code", "main_code", STYP_CODE)
      .global("start")
      .code("start   pagesel io_init", kPageSelect, {{0, RELOCT_PAGESEL, "io_init"}})
      .code("        call    io_init", {m(CALL)}, {{0, RELOCT_CALL, "io_init"}})
      .code("        movlw   high greeting", {m(MOVLW)}, {{0, RELOCT_HIGH, "greeting"}})
      .code("        movwf   TBLPTRH", {m(MOVWF, {0x0E})})
      .code("        movlw   low greeting", {m(MOVLW)}, {{0, RELOCT_LOW, "greeting"}})
      .code("        movwf   TBLPTRL", {m(MOVWF, {0x0D})})
      .code("        tablrd  0, 0, WREG", {m(TABLRD, {0, 0, 0x0A})})
      .code("        tlrd    0, WREG", {m(TLRD, {0, 0x0A})});
  pagedTransfer(s, kPageSelect, "call", m(CALL), "io_send")
      .code("        tlrd    1, WREG", {m(TLRD, {1, 0x0A})})
      .code("        call    io_send", {m(CALL)}, {{0, RELOCT_CALL, "io_send"}})
      .code("        banksel count", kBankSelect, {{0, RELOCT_BANKSEL, "count"}})
      .code("        clrf    count, 1", {m(CLRF, {0, 1})}, {{0, RELOCT_F, "count"}})
      .code("        clrf    count+1, 1", {m(CLRF, {0, 1})}, {{0, RELOCT_F, "count", 1}})
      .label("loop")
      .code("loop    banksel count", kBankSelect, {{0, RELOCT_BANKSEL, "count"}})
      .code("        incf    count, 1", {m(INCF, {0, 1})}, {{0, RELOCT_F, "count"}})
      .code("        btfsc   ALUSTA, 2", {m(BTFSC, {0x04, 2})})
      .code("        incf    count+1, 1", {m(INCF, {0, 1})}, {{0, RELOCT_F, "count", 1}})
      .code("        movfp   count, WREG", {m(MOVFP, {0, 0x0A})}, {{0, RELOCT_F, "count"}});
  pagedTransfer(s, kPageSelect, "call", m(CALL), "io_send")
      .code("        banksel pause", kBankSelect, {{0, RELOCT_BANKSEL, "pause"}})
      .code("        movfp   pause, WREG", {m(MOVFP, {0, 0x0A})}, {{0, RELOCT_F, "pause"}});
  pagedTransfer(s, kPageSelect, "call", m(CALL), "delay");
  pagedTransfer(s, kPageSelect, "goto", m(GOTO), "loop").line("        end");
  return s;
}

Source ioSource() {
  Source s("io.asm", kDevice);
  s.line("; io.asm - the serial port: its set-up, and one byte sent from W")
      .line("RCSTA   equ     0x13")
      .line("TXSTA   equ     0x15")
      .line("TXREG   equ     0x16")
      .line("SPBRG   equ     0x17")
      .line("")
      .line("        global  io_init, io_send")
      .line("");
  s.section(".udata  udata", ".udata", STYP_UDATA)
      .label("sent")
      .reserve("sent    res     1", 1)
      .line("");
  s.section("io_code code", "io_code", STYP_CODE)
      .global("io_init")
      .code("io_init movlb   0", {m(MOVLB, {0})})
      .code("        movlw   0x19", {m(MOVLW, {0x19})})
      .code("        movwf   SPBRG", {m(MOVWF, {0x17})})
      .code("        movlw   0x20", {m(MOVLW, {0x20})})
      .code("        movwf   TXSTA", {m(MOVWF, {0x15})})
      .code("        movlw   0x90", {m(MOVLW, {0x90})})
      .code("        movwf   RCSTA", {m(MOVWF, {0x13})})
      .code("        return", {m(RETURN)})
      .global("io_send")
      .code("io_send movlb   0", {m(MOVLB, {0})})
      .code("        movwf   TXREG", {m(MOVWF, {0x16})})
      .code("        banksel sent", kBankSelect, {{0, RELOCT_BANKSEL, "sent"}})
      .code("        incf    sent, 1", {m(INCF, {0, 1})}, {{0, RELOCT_F, "sent"}})
      .code("        return", {m(RETURN)})
      .line("        end");
  return s;
}

Source delaySource() {
  Source s = delayStart(kDevice, ".udata  udata", ".udata", STYP_UDATA);
  s.section("delay_code code", "delay_code", STYP_CODE)
      .global("delay")
      .code("delay   banksel outer", kBankSelect, {{0, RELOCT_BANKSEL, "outer"}})
      .code("        movwf   outer", {m(MOVWF)}, {{0, RELOCT_F, "outer"}})
      .label("again")
      .code("again   clrf    inner, 1", {m(CLRF, {0, 1})}, {{0, RELOCT_F, "inner"}})
      .label("wait")
      .code("wait    decfsz  inner, 1", {m(DECFSZ, {0, 1})}, {{0, RELOCT_F, "inner"}})
      .code("        goto    wait", {m(GOTO)}, {{0, RELOCT_GOTO, "wait"}})
      .code("        decfsz  outer, 1", {m(DECFSZ, {0, 1})}, {{0, RELOCT_F, "outer"}})
      .code("        goto    again", {m(GOTO)}, {{0, RELOCT_GOTO, "again"}})
      .code("        return", {m(RETURN)})
      .line("        end");
  return s;
}

Source checksumSource() {
  Source s = checksumStart(kDevice, "adds up W bytes from the address in FSR0 into sum",
                           {"INDF0   equ     0x00", "FSR0    equ     0x01", "WREG    equ     0x0A"},
                           ".udata  udata", ".udata", STYP_UDATA);
  s.section("sum_code code", "sum_code", STYP_CODE)
      .global("checksum")
      .code("checksum banksel count", kBankSelect, {{0, RELOCT_BANKSEL, "count"}})
      .code("        movwf   count", {m(MOVWF)}, {{0, RELOCT_F, "count"}})
      .code("        clrf    sum, 1", {m(CLRF, {0, 1})}, {{0, RELOCT_F, "sum"}})
      .label("next")
      .code("next    movfp   INDF0, WREG", {m(MOVFP, {0x00, 0x0A})})
      .code("        addwf   sum, 1", {m(ADDWF, {0, 1})}, {{0, RELOCT_F, "sum"}})
      .code("        incf    FSR0, 1", {m(INCF, {0x01, 1})})
      .code("        decfsz  count, 1", {m(DECFSZ, {0, 1})}, {{0, RELOCT_F, "count"}})
      .code("        goto    next", {m(GOTO)}, {{0, RELOCT_GOTO, "next"}})
      .code("        return", {m(RETURN)})
      .line("        end");
  return s;
}

const char kCommandFile[] =
    "// mirel.lkr - the MIREL121 device: two program pages of 8192 words, eight data banks\n"
    "LIBPATH    .\n"
    "\n"
    "// The reset and interrupt vectors; what they leave free is filled.\n"
    "CODEPAGE   NAME=vectors   START=0x0000   END=0x0027   PROTECTED   FILL=0xFFFF\n"
    "CODEPAGE   NAME=page0     START=0x0028   END=0x1FFF\n"
    "CODEPAGE   NAME=page1     START=0x2000   END=0x3FFF\n"
    "\n"
    "DATABANK   NAME=sfr0      START=0x010    END=0x017    PROTECTED\n"
    "DATABANK   NAME=gpr0      START=0x020    END=0x0FF\n"
    "DATABANK   NAME=sfr1      START=0x110    END=0x117    PROTECTED\n"
    "DATABANK   NAME=gpr1      START=0x120    END=0x1FF\n"
    "DATABANK   NAME=gpr2      START=0x220    END=0x2FF\n"
    "DATABANK   NAME=gpr3      START=0x320    END=0x3FF\n"
    "\n"
    "SECTION    NAME=io_code   ROM=page1       // the serial routines in the second page\n"
    "SECTION    NAME=init_vars RAM=gpr1\n"
    "STACK      SIZE=0x20      RAM=gpr3\n";

}  // namespace

LinkerExample mirelExample() {
  return {"mirel",
          kDevice,
          kCommandFile,
          {mainSource(), ioSource()},
          {delaySource(), checksumSource()}};
}

}  // namespace example
