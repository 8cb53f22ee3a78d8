// Small pieces that the link phases share: the string table that long
// names need, the memory a section was placed in, and a section by number.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "coff.h"
#include "memtarg.h"

// Program memory of 12 and 14 bits holds one byte of data per word (a
// RETLW that returns it), so a data image takes two bytes of the word per
// byte of data; program memory of whole bytes holds the bytes themselves.
inline bool needsRetlwImage(uint16_t romWidthBits) { return romWidthBits % 8 != 0; }

// Names up to this length are kept inline in a section header.
constexpr size_t kInlineNameLength = 8;

// Adds text behind the last string of the table (at 4 in an empty one), so
// that the offsets stay those at which the writer will put the strings.
// Returns the offset.
int appendString(StringTable& strTbl, const std::string& text);

// The memory that allocation gave to a section. Every section of every
// input has one by then; a missing one is a fault of the link's own phases,
// an internal check that fails with the text `check` (a phase may name its
// own).
Memory& memoryOfSection(const std::map<std::string, Memory*>& scnMem, const std::string& name,
                        const char* check = "found != scnMem.end() && found->second != nullptr");

// The section that `file` numbers `number`, name and header; null when the
// file has no such section (a library member or an input that was never
// verified may name any number).
const std::pair<const std::string, SectionHeader>* sectionByNumber(const Coff& file, int number);
