// What the whole-link fuzz target reads, shared with its seed generator so
// that the seeds are written in the form the target takes apart.
//
// An input is one selector byte and then up to three files, separated by
// kSeparator: the first object a.o, a second object b.o and a library
// x.lib (in the library folder lib/). The selector's low two bits choose the
// core family, whose fixed command file describes the target; bit 2 asks for
// the strip switch. A missing or empty second object or library is not given
// to the link. A separator rather than lengths keeps the pieces apart when
// the fuzzer inserts or removes bytes inside one of them.
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
// has: protected vector pages, a filled page, banks, share or access banks,
// assigned sections and a stack.
inline constexpr LinkFamily kLinkFamilies[4] = {
    {"zarn.lkr", 1,
     "// 12-bit words, two pages, four banks\n"
     "CODEPAGE NAME=page0 START=0x0 END=0x1FF FILL=0xC00\n"
     "CODEPAGE NAME=page1 START=0x200 END=0x3FE\n"
     "CODEPAGE NAME=reset START=0x3FF END=0x3FF PROTECTED\n"
     "CODEPAGE NAME=.idlocs START=0x400 END=0x403 PROTECTED\n"
     "DATABANK NAME=sfr START=0x0 END=0x7 PROTECTED\n"
     "SHAREBANK NAME=shr START=0x8 END=0xF\n"
     "SHAREBANK NAME=shr START=0x28 END=0x2F\n"
     "DATABANK NAME=gpr0 START=0x10 END=0x1F\n"
     "DATABANK NAME=gpr1 START=0x30 END=0x3F\n"
     "SECTION NAME=RESET ROM=reset\n"
     "SECTION NAME=IDLOCS ROM=.idlocs\n"
     "SECTION NAME=BANK1 RAM=gpr1\n"},
    {"vesk.lkr", 7,
     "// 14-bit words, one page, two banks\n"
     "LIBPATH lib\n"
     "CODEPAGE NAME=vectors START=0x0 END=0x4 PROTECTED\n"
     "CODEPAGE NAME=page START=0x5 END=0x3FF FILL=0x3FFF\n"
     "CODEPAGE NAME=.idlocs START=0x2000 END=0x2003 PROTECTED\n"
     "CODEPAGE NAME=.config START=0x2007 END=0x2007 PROTECTED\n"
     "DATABANK NAME=sfr0 START=0x0 END=0x1F PROTECTED\n"
     "DATABANK NAME=gpr0 START=0x20 END=0x6F\n"
     "DATABANK NAME=gpr1 START=0xA0 END=0xEF\n"
     "SHAREBANK NAME=gprnobnk START=0x70 END=0x7F\n"
     "SHAREBANK NAME=gprnobnk START=0xF0 END=0xFF\n"
     "SECTION NAME=STARTUP ROM=vectors\n"
     "SECTION NAME=CONFIG ROM=.config\n"
     "SECTION NAME=IDLOCS ROM=.idlocs\n"
     "SECTION NAME=.cinit ROM=page\n"
     "STACK SIZE=0x10 RAM=gpr1\n"},
    {"mirel.lkr", 116,
     "// 16-bit words, four banks\n"
     "CODEPAGE NAME=vectors START=0x0 END=0x1F PROTECTED\n"
     "CODEPAGE NAME=page START=0x20 END=0x7FF FILL=0xFFFF\n"
     "DATABANK NAME=sfr0 START=0x0 END=0x19 PROTECTED\n"
     "SHAREBANK NAME=shr START=0x1A END=0x1F\n"
     "DATABANK NAME=gpr0 START=0x20 END=0xFF\n"
     "DATABANK NAME=gpr1 START=0x120 END=0x1FF\n"
     "SECTION NAME=STARTUP ROM=vectors\n"
     "SECTION NAME=BANK1 RAM=gpr1\n"
     "STACK SIZE=0x20\n"
     "HEAP MINSIZE=0x10\n"},
    {"ostra.lkr", 127,
     "// byte-addressed program memory, access banks\n"
     "CODEPAGE NAME=vectors START=0x0 END=0x29 PROTECTED\n"
     "CODEPAGE NAME=page START=0x2A END=0x3FFF FILL=0xFFFF\n"
     "CODEPAGE NAME=idlocs START=0x200000 END=0x200007 PROTECTED\n"
     "CODEPAGE NAME=config START=0x300000 END=0x30000D PROTECTED\n"
     "ACCESSBANK NAME=accessram START=0x0 END=0x7F\n"
     "DATABANK NAME=gpr0 START=0x80 END=0xFF\n"
     "DATABANK NAME=gpr1 START=0x100 END=0x1FF\n"
     "ACCESSBANK NAME=accesssfr START=0xF80 END=0xFFF PROTECTED\n"
     "SECTION NAME=CONFIG ROM=config\n"
     "SECTION NAME=IDLOCS ROM=idlocs\n"
     "STACK SIZE=0x40 RAM=gpr1\n"},
};

inline constexpr std::string_view kSeparator = "#qorsep#";
inline constexpr uint8_t kStripBit = 0x04;

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
