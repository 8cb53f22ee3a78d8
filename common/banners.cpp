#include "banners.h"

const char* linkerBanner() { return "QORLAN v2.10.01, Linker"; }
const char* librarianBanner() { return "QORBU v2.10.01, Librarian"; }
const char* codShortBanner() { return "QORTAV v2.10.01"; }
const char* codBanner() { return "QORTAV v2.10.01, COFF to COD File Converter"; }
const char* hexBanner() { return "QORNIP v2.10.01, COFF to HEX File Converter"; }
const char* coffDumpBanner() { return "QORDUL v2.10.01, COFF Dump Utility"; }
const char* codDumpBanner() { return "QORVE v2.10.01, COD Dump Utility"; }
const char* disassemblerBanner() { return "QORSA v2.10.01, COFF Disassembler"; }
const char* noticeBanner() {
  return "Copyright (c) 2026 Quillmoor Embedded Tools. All rights reserved.";
}
