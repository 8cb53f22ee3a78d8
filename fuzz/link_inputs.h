// What the whole-link fuzz target reads, shared with its seed generator so
// that the seeds are written in the form the target takes apart.
//
// An input is one selector byte and then up to three files, separated by
// kSeparator: the first object a.o, a second object b.o and a library
// x.lib (in the library folder lib/). The selector's low two bits choose the
// core family, whose fixed command file describes the target; bit 2 asks for
// the strip switch; bit 3 replaces the fixed command file by one generated
// from the input (command_file_generator.h). A missing or empty second
// object or library is not given to the link. A separator rather than
// lengths keeps the pieces apart when the fuzzer inserts or removes bytes
// inside one of them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mgproc.h"

namespace qorfuzz {

struct LinkFamily {
  const char* commandFileName;
  ProcessorCode processor;
  const char* commandFile;
};

// One device of each family and a command file that uses what the family
// has: protected vector pages, filled pages, banks, share or access banks,
// assigned sections and a stack. Each holds the memories and sections of
// the family's bundled example (examples/linker), so that its objects
// link here as they do there.
inline constexpr LinkFamily kLinkFamilies[4] = {
    {"zarn.lkr", 29,
     "// 12-bit words, four pages, four banks\n"
     "CODEPAGE NAME=page0 START=0x000 END=0x1FF FILL=0xC00\n"
     "CODEPAGE NAME=page1 START=0x200 END=0x3FF\n"
     "CODEPAGE NAME=page2 START=0x400 END=0x5FF\n"
     "CODEPAGE NAME=page3 START=0x600 END=0x7FE FILL=0xFFF\n"
     "CODEPAGE NAME=resetvec START=0x7FF END=0x7FF PROTECTED\n"
     "CODEPAGE NAME=.idlocs START=0x800 END=0x803 PROTECTED\n"
     "DATABANK NAME=sfrs START=0x00 END=0x07 PROTECTED\n"
     "SHAREBANK NAME=shared START=0x08 END=0x0F\n"
     "SHAREBANK NAME=shared START=0x28 END=0x2F\n"
     "DATABANK NAME=gpr0 START=0x10 END=0x1F\n"
     "DATABANK NAME=gpr1 START=0x30 END=0x3F\n"
     "DATABANK NAME=gpr2 START=0x50 END=0x5F\n"
     "DATABANK NAME=gpr3 START=0x70 END=0x7F\n"
     "SECTION NAME=main_code ROM=page0\n"
     "SECTION NAME=io_code ROM=page1\n"
     "SECTION NAME=RESET ROM=resetvec\n"
     "SECTION NAME=IDLOCS ROM=.idlocs\n"
     "SECTION NAME=BANK1 RAM=gpr1\n"},
    {"vesk.lkr", 76,
     "// 14-bit words, two pages, four banks\n"
     "LIBPATH lib\n"
     "CODEPAGE NAME=vectors START=0x0000 END=0x001F PROTECTED FILL=0x3FFF\n"
     "CODEPAGE NAME=page0 START=0x0020 END=0x07FF\n"
     "CODEPAGE NAME=page1 START=0x0800 END=0x0FFF FILL=0x3FFF\n"
     "CODEPAGE NAME=.idlocs START=0x2000 END=0x2003 PROTECTED\n"
     "CODEPAGE NAME=.config START=0x2007 END=0x2007 PROTECTED\n"
     "DATABANK NAME=sfr0 START=0x000 END=0x01F PROTECTED\n"
     "DATABANK NAME=gpr0 START=0x020 END=0x06F\n"
     "SHAREBANK NAME=gprnobnk START=0x070 END=0x07F\n"
     "SHAREBANK NAME=gprnobnk START=0x0F0 END=0x0FF\n"
     "DATABANK NAME=sfr1 START=0x080 END=0x09F PROTECTED\n"
     "DATABANK NAME=gpr1 START=0x0A0 END=0x0EF\n"
     "DATABANK NAME=gpr2 START=0x110 END=0x16F\n"
     "DATABANK NAME=gpr3 START=0x190 END=0x1EF\n"
     "SECTION NAME=io_code ROM=page1\n"
     "SECTION NAME=init_vars RAM=gpr1\n"
     "SECTION NAME=CONFIG ROM=.config\n"
     "SECTION NAME=IDLOCS ROM=.idlocs\n"
     "SECTION NAME=.cinit ROM=page0\n"
     "STACK SIZE=0x10 RAM=gpr3\n"},
    {"mirel.lkr", 121,
     "// 16-bit words, two pages, four banks\n"
     "CODEPAGE NAME=vectors START=0x0000 END=0x0027 PROTECTED FILL=0xFFFF\n"
     "CODEPAGE NAME=page0 START=0x0028 END=0x1FFF\n"
     "CODEPAGE NAME=page1 START=0x2000 END=0x3FFF\n"
     "DATABANK NAME=sfr0 START=0x010 END=0x017 PROTECTED\n"
     "SHAREBANK NAME=shr START=0x018 END=0x01F\n"
     "DATABANK NAME=gpr0 START=0x020 END=0x0FF\n"
     "DATABANK NAME=sfr1 START=0x110 END=0x117 PROTECTED\n"
     "SHAREBANK NAME=shr START=0x118 END=0x11F\n"
     "DATABANK NAME=gpr1 START=0x120 END=0x1FF\n"
     "DATABANK NAME=gpr2 START=0x220 END=0x2FF\n"
     "DATABANK NAME=gpr3 START=0x320 END=0x3FF\n"
     "SECTION NAME=io_code ROM=page1\n"
     "SECTION NAME=init_vars RAM=gpr1\n"
     "SECTION NAME=BANK1 RAM=gpr1\n"
     "STACK SIZE=0x20 RAM=gpr3\n"
     "HEAP MINSIZE=0x10\n"},
    {"ostra.lkr", 127,
     "// byte-addressed program memory, access banks\n"
     "CODEPAGE NAME=vectors START=0x0000 END=0x001F PROTECTED FILL=0xFFFF\n"
     "CODEPAGE NAME=program START=0x0020 END=0x3FFF FILL=0x12345678\n"
     "CODEPAGE NAME=idlocs START=0x200000 END=0x200007 PROTECTED\n"
     "CODEPAGE NAME=config START=0x300000 END=0x30000D PROTECTED\n"
     "ACCESSBANK NAME=accessram START=0x000 END=0x05F\n"
     "DATABANK NAME=gpr0 START=0x060 END=0x0FF\n"
     "DATABANK NAME=gpr1 START=0x100 END=0x1FF\n"
     "ACCESSBANK NAME=accesssfr START=0xF60 END=0xFFF PROTECTED\n"
     "SECTION NAME=init_vars RAM=gpr1\n"
     "SECTION NAME=CONFIG ROM=config\n"
     "SECTION NAME=IDLOCS ROM=idlocs\n"
     "STACK SIZE=0x20 RAM=gpr1\n"},
};

inline constexpr std::string_view kSeparator = "#qorsep#";
inline constexpr uint8_t kStripBit = 0x04;
inline constexpr uint8_t kGeneratedBit = 0x08;

struct LinkInput {
  uint8_t selector = 0;
  std::vector<std::string> files;  // a.o, then b.o and x.lib when given
};

inline LinkInput splitLinkInput(const uint8_t* data, size_t size) {
  LinkInput input;
  if (size == 0) return input;
  input.selector = data[0];
  std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  while (input.files.size() < 2) {
    const size_t cut = rest.find(kSeparator);
    if (cut == std::string_view::npos) break;
    input.files.emplace_back(rest.substr(0, cut));
    rest.remove_prefix(cut + kSeparator.size());
  }
  input.files.emplace_back(rest);
  return input;
}

inline std::string joinLinkInput(uint8_t selector, const std::vector<std::string>& files) {
  std::string bytes(1, static_cast<char>(selector));
  for (size_t i = 0; i < files.size(); ++i) {
    if (i != 0) bytes += kSeparator;
    bytes += files[i];
  }
  return bytes;
}

}  // namespace qorfuzz
