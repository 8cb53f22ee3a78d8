// The Ostra example: byte-addressed program memory with two-word calls,
// relative branches, file-register moves and pointer loads, and data in an
// access bank beside two banked banks. The access bit of each instruction
// is set by where its register ends up.
#include "linker_examples.h"

#include "reloctypes.h"

namespace example {

namespace {

constexpr ProcessorCode kDevice = 127;  // 16384 bytes of program memory, 2 banks of 256

uint16_t o(OpcodeId id, std::initializer_list<uint16_t> operands = {}) {
  return encode(CORE_OSTRA, id, operands);
}

const uint16_t kSecondWord = o(WORD2);
// The access bit: 0 selects the access bank, 1 the bank in BSR.
constexpr uint16_t kAccess = 0;
constexpr uint16_t kBanked = 1;

// A register operand whose address and access bit the linker fills in.
std::vector<Fixup> reg(const std::string& symbol) {
  return {{0, RELOCT_F, symbol}, {0, RELOCT_ACCESS, symbol}};
}
// A two-word call or goto.
std::vector<Fixup> far(uint16_t type, const std::string& symbol) {
  return {{0, type, symbol}, {1, RELOCT_CALL2, symbol}};
}
// A move between two registers, each with an addend.
std::vector<Fixup> move(const std::string& from, const std::string& to, int16_t addend) {
  return {{0, RELOCT_FF1, from, addend}, {1, RELOCT_FF2, to, addend}};
}

Source mainSource() {
  Source s("main.asm", kDevice);
  s.line("; main.asm - walks a pattern from RAM over port B; each step waits a while")
      .line("; (the start-up code that copies init_vars from its image is left out)")
      .line("PLUSW1  equ     0xFE3")
      .line("TABLAT  equ     0xFF5")
      .line("TBLPTRL equ     0xFF6")
      .line("TBLPTRH equ     0xFF7")
      .line("TBLPTRU equ     0xFF8")
      .line("")
      .line("        global  start")
      .externs("        extern  io_init, io_show, delay", {"io_init", "io_show", "delay"})
      .line("");
  s.sectionAt("reset   code    0x0000", "reset", STYP_CODE, 0x0000)
      .code("        goto    start", {o(GOTO), kSecondWord}, far(RELOCT_GOTO, "start"))
      .line("");
  s.sectionAt("hi_isr  code    0x0008", "hi_isr", STYP_CODE, 0x0008)
      .code("        retfie  1", {o(RETFIE, {1})})
      .line("");
  s.sectionAt("lo_isr  code    0x0018", "lo_isr", STYP_CODE, 0x0018)
      .code("        retfie  0", {o(RETFIE, {0})})
      .line("");
  s.section("access_vars udata_acs", "access_vars", STYP_UDATA | STYP_ACCESS)
      .label("step")
      .reserve("step    res     1", 1)
      .line("");
  s.section(".udata  udata", ".udata", STYP_UDATA)
      .label("buffer")
      .reserve("buffer  res     4", 4)
      .line("");
  s.section("init_vars idata", "init_vars", STYP_IDATA)
      .label("pattern")
      .data("pattern db      0x01, 0x02, 0x04, 0x08", {0x01, 0x02, 0x04, 0x08})
      .line("");
  s.section("timing  romdata", "timing", STYP_ROMDATA)
      .label("pause")
      .data("pause   db      0x40", {0x40})
      .line("");
  s.section("main_code code", "main_code", STYP_CODE)
      .global("start")
      .code("start   call    io_init, 0", {o(CALL, {0, 0}), kSecondWord},
            far(RELOCT_CALL, "io_init"))
      .code("        movff   pattern, buffer", {o(MOVFF), kSecondWord},
            move("pattern", "buffer", 0))
      .code("        movff   pattern+1, buffer+1", {o(MOVFF), kSecondWord},
            move("pattern", "buffer", 1))
      .code("        movff   pattern+2, buffer+2", {o(MOVFF), kSecondWord},
            move("pattern", "buffer", 2))
      .code("        movff   pattern+3, buffer+3", {o(MOVFF), kSecondWord},
            move("pattern", "buffer", 3))
      .code("        movlw   upper pause", {o(MOVLW)}, {{0, RELOCT_UPPER, "pause"}})
      .code("        movwf   TBLPTRU, ACCESS", {o(MOVWF, {0xF8, kAccess})})
      .code("        movlw   high pause", {o(MOVLW)}, {{0, RELOCT_HIGH, "pause"}})
      .code("        movwf   TBLPTRH, ACCESS", {o(MOVWF, {0xF7, kAccess})})
      .code("        movlw   low pause", {o(MOVLW)}, {{0, RELOCT_LOW, "pause"}})
      .code("        movwf   TBLPTRL, ACCESS", {o(MOVWF, {0xF6, kAccess})})
      .code("        clrf    step, ACCESS", {o(CLRF)}, reg("step"))
      .label("loop")
      .code("loop    lfsr    1, buffer", {o(LFSR, {1, 0}), kSecondWord},
            {{0, RELOCT_LFSR1, "buffer"}, {1, RELOCT_LFSR2, "buffer"}})
      .code("        movf    step, w, ACCESS", {o(MOVF, {0, 0})}, reg("step"))
      .code("        movf    PLUSW1, w, ACCESS", {o(MOVF, {0xE3, 0, kAccess})})
      .code("        rcall   io_show", {o(RCALL)}, {{0, RELOCT_BRA, "io_show"}})
      .code("        tblrd*", {o(TBLRD)})
      .code("        movf    TABLAT, w, ACCESS", {o(MOVF, {0xF5, 0, kAccess})})
      .code("        call    delay, 0", {o(CALL, {0, 0}), kSecondWord}, far(RELOCT_CALL, "delay"))
      .code("        incf    step, f, ACCESS", {o(INCF, {0, 1})}, reg("step"))
      .code("        btfsc   step, 2, ACCESS", {o(BTFSC, {0, 2})}, reg("step"))
      .code("        clrf    step, ACCESS", {o(CLRF)}, reg("step"))
      .code("        bra     loop", {o(BRA)}, {{0, RELOCT_BRA, "loop"}})
      .line("        end");
  return s;
}

Source ioSource() {
  Source s("io.asm", kDevice);
  s.line("; io.asm - port B as output; shows W and keeps a copy of it")
      .line("PORTB   equ     0xF81")
      .line("TRISB   equ     0xF93")
      .line("")
      .line("        global  io_init, io_show")
      .line("");
  s.section(".udata  udata", ".udata", STYP_UDATA)
      .label("shown")
      .reserve("shown   res     1", 1)
      .line("");
  s.section("io_code code", "io_code", STYP_CODE)
      .global("io_init")
      .code("io_init clrf    TRISB, ACCESS", {o(CLRF, {0x93, kAccess})})
      .code("        clrf    PORTB, ACCESS", {o(CLRF, {0x81, kAccess})})
      .code("        return  0", {o(RETURN, {0})})
      .global("io_show")
      .code("io_show movwf   PORTB, ACCESS", {o(MOVWF, {0x81, kAccess})})
      .code("        banksel shown", {o(MOVLB)}, {{0, RELOCT_BANKSEL, "shown"}})
      .code("        movwf   shown, BANKED", {o(MOVWF, {0, kBanked})}, reg("shown"))
      .code("        return  0", {o(RETURN, {0})})
      .line("        end");
  return s;
}

Source delaySource() {
  Source s = delayStart(kDevice, "delay_vars udata_acs", "delay_vars", STYP_UDATA | STYP_ACCESS);
  s.section("delay_code code", "delay_code", STYP_CODE)
      .global("delay")
      .code("delay   movwf   outer, ACCESS", {o(MOVWF)}, reg("outer"))
      .label("again")
      .code("again   clrf    inner, ACCESS", {o(CLRF)}, reg("inner"))
      .label("wait")
      .code("wait    decfsz  inner, f, ACCESS", {o(DECFSZ, {0, 1})}, reg("inner"))
      .code("        bra     wait", {o(BRA)}, {{0, RELOCT_BRA, "wait"}})
      .code("        decf    outer, f, ACCESS", {o(DECF, {0, 1})}, reg("outer"))
      .code("        bnz     again", {o(BNZ)}, {{0, RELOCT_CONDBRA, "again"}})
      .code("        return  0", {o(RETURN, {0})})
      .line("        end");
  return s;
}

Source checksumSource() {
  Source s = checksumStart(kDevice, "adds up W bytes from the address in FSR0 into sum",
                           {"POSTINC0 equ    0xFEE"}, "sum_vars udata_acs", "sum_vars",
                           STYP_UDATA | STYP_ACCESS);
  s.section("sum_code code", "sum_code", STYP_CODE)
      .global("checksum")
      .code("checksum movwf  count, ACCESS", {o(MOVWF)}, reg("count"))
      .code("        clrf    sum, ACCESS", {o(CLRF)}, reg("sum"))
      .label("next")
      .code("next    movf    POSTINC0, w, ACCESS", {o(MOVF, {0xEE, 0, kAccess})})
      .code("        addwf   sum, f, ACCESS", {o(ADDWF, {0, 1})}, reg("sum"))
      .code("        decfsz  count, f, ACCESS", {o(DECFSZ, {0, 1})}, reg("count"))
      .code("        bra     next", {o(BRA)}, {{0, RELOCT_BRA, "next"}})
      .code("        return  0", {o(RETURN, {0})})
      .line("        end");
  return s;
}

const char kCommandFile[] =
    "// ostra.lkr - the OSTRA127 device: 16384 bytes of program memory, two data banks\n"
    "LIBPATH    .\n"
    "\n"
    "// The reset and the two interrupt vectors; what they leave free is filled.\n"
    "CODEPAGE   NAME=vectors   START=0x0000   END=0x001F   PROTECTED   FILL=0xFFFF\n"
    "CODEPAGE   NAME=program   START=0x0020   END=0x3FFF\n"
    "\n"
    "ACCESSBANK NAME=accessram START=0x000    END=0x05F\n"
    "DATABANK   NAME=gpr0      START=0x060    END=0x0FF\n"
    "DATABANK   NAME=gpr1      START=0x100    END=0x1FF\n"
    "ACCESSBANK NAME=accesssfr START=0xF60    END=0xFFF    PROTECTED\n"
    "\n"
    "SECTION    NAME=init_vars RAM=gpr1\n"
    "STACK      SIZE=0x20      RAM=gpr1\n";

}  // namespace

LinkerExample ostraExample() {
  return {"ostra",
          kDevice,
          kCommandFile,
          {mainSource(), ioSource()},
          {delaySource(), checksumSource()}};
}

}  // namespace example
