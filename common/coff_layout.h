// The writer's block order, shared by layout, size and write so that the
// three always agree on what the image holds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "coff.h"

// The sections in the order they are laid out and written: by number, each
// name once, and only names that have a header. For an object that passes
// Coff::verify this is simply cScnNum.
std::vector<std::string> sectionsInWriteOrder(const Coff& coff);

// Start and length of every block of the written image.
struct CoffBlocks {
  uint32_t secHdrStart = 0, secHdrLength = 0;
  uint32_t rawDataStart = 0, rawDataLength = 0;
  uint32_t relocStart = 0, relocLength = 0;
  uint32_t lineStart = 0, lineLength = 0;
  uint32_t symbolStart = 0, symbolLength = 0;
  uint32_t stringStart = 0, stringLength = 0;

  uint32_t total() const { return stringStart + stringLength; }
};

CoffBlocks computeBlocks(const Coff& coff, const std::vector<std::string>& sections);
// What the header fields can hold: a 16-bit count of sections, or of one
// section's relocations or line numbers, and 32-bit file offsets.
constexpr uint64_t kCoffMaxCount = UINT16_MAX;
constexpr uint64_t kCoffMaxFileBytes = UINT32_MAX;
// "N sections, more than the L a Coff file can number."
std::string sectionCountPastLimit(uint64_t count, uint64_t limit);
// "N bytes, more than the 4294967295 a Coff file can address."
std::string fileBytesPastLimit(uint64_t bytes);
// Why the image of `coff` cannot be written: a count or a file offset
// that its field cannot hold, as the end of a message that begins with the
// file's name. Empty when every field holds its value.
std::string layoutLimitFault(const Coff& coff);
// The string table's length word: 4 plus each string with its NUL.
uint32_t stringTableLength(const StringTable& strTbl);
