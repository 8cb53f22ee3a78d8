// Device properties: every question about a device model, answered from its
// processor code (1 to 133) or from its processor type word in COFF files.
#pragma once

#include <cstdint>

typedef uint8_t CoreFamily;
typedef uint8_t ProcessorCode;

enum : CoreFamily {
  CORE_VESK = 1,   // 14-bit program words
  CORE_MIREL = 2,  // 16-bit program words
  CORE_ZARN = 3,   // 12-bit program words
  CORE_OSTRA = 4   // byte-addressed program memory, 16-bit instructions
};

enum : ProcessorCode { PROC_FIRST = 1, PROC_LAST = 133 };

CoreFamily procFamily(ProcessorCode code);
const char* procName(ProcessorCode code);
uint16_t procCoffType(ProcessorCode code);
ProcessorCode procFromCoffType(uint16_t coffType);
int procIsCoffType(uint16_t coffType);
int procFromName(const char* name, ProcessorCode* code);
uint32_t procBankOf(ProcessorCode code, uint32_t dataAddress);
uint16_t procBankOffset(ProcessorCode code, uint32_t dataAddress);
int procIsGeneralRegister(ProcessorCode code, uint32_t dataAddress);
uint32_t procRomWidthBits(ProcessorCode code);
uint32_t procRamWidthBits(ProcessorCode code);
uint32_t procPageCount(ProcessorCode code);
uint32_t procProgramSize(ProcessorCode code);
uint32_t procPageSize(ProcessorCode code);
uint32_t procBankCount(ProcessorCode code);
uint32_t procDataSize(ProcessorCode code);
uint32_t procBankSize(ProcessorCode code);
uint32_t procMaxProgramAddress(ProcessorCode code);
uint32_t procMaxDataAddress(ProcessorCode code);
