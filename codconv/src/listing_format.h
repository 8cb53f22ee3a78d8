// Text pieces of the listing file: the row layout, the page header lines and
// the reading of one source line.
#pragma once

#include <cstdint>
#include <ctime>
#include <istream>
#include <string>

// The column titles and the rule line under them.
extern const char* const kListTitleLine;
extern const char* const kListRuleLine;

// One listing row: address, value, disassembly, source text and file name in
// columns starting at 0, 9, 18, 43 and 124; longer texts push the rest right.
std::string formatListRow(const std::string& address, const std::string& value,
                          const std::string& disassembly, const std::string& source,
                          const std::string& fileName);

// A program word address as at least six lower-case hex digits.
std::string formatListAddress(uint32_t address);
// A program word as at least four lower-case hex digits.
std::string formatListValue(uint16_t word);

// The 24-character calendar text of a local time followed by a newline,
// as in "Wed Dec  9 04:27:58 2026\n".
std::string formatCalendarTime(std::time_t when);

// Reads the next line of a source file, whole whatever its length, without
// its newline and without a carriage return just before the newline.
// False at the end of the file.
bool readSourceLine(std::istream& in, std::string& line);
