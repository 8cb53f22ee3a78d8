// Shared pieces of the converter tests: the devices used, the symbols that
// frame a source file, the expected listing texts and the run of the built
// program.
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "cod.h"
#include "object_builder.h"
#include "process_runner.h"
#include "program_text.h"

namespace codtest {

// A device of 14-bit program words (two bytes a word) and one of the family
// with byte-addressed program memory.
constexpr uint8_t kWordDevice = 8;
constexpr uint8_t kByteDevice = 127;

// Storage class of the ".eof" symbol that closes a source file's symbols.
constexpr uint8_t kEofClass = 107;

// An object builder for the device, named `fileName`.
qortest::ObjectBuilder objectFor(uint8_t processorCode, const std::string& fileName);
// A ".eof" symbol.
qortest::ObjectBuilder& endOfFile(qortest::ObjectBuilder& builder);

// One listing row as the printf layout of the listing gives it.
std::string row(const std::string& address, const std::string& value,
                const std::string& disassembly, const std::string& source, const std::string& file);
// A page header with its time masked, as maskListTime leaves it.
std::string pageHeader(bool firstPage);
// The listing text with the time of every "Listing File Generated" line
// replaced by "<time>".
std::string maskListTime(const std::string& listing);

// The converter run in `dir` with the arguments.
qortest::ProcessResult runQortav(const std::vector<std::string>& arguments, const std::string& dir);
// The start-up lines and the summary of a run.
std::string banner();
using qortest::summary;

// The directory 0 that the converter writes for an object named
// `codName` without extension.
Directory firstDirectory(const std::string& codName, uint8_t processorCode);
// Expected tables of an object named `base` (without extension): directory
// 0 as the converter fills it and `windows` directories in all, with their
// empty code, memory map and line information.
Cod expectedCod(const std::string& base, uint8_t processorCode, uint16_t windows = 1);
// The LineInfo records of one page header.
void addPageHeaderLines(std::list<LineInfo>& lines);

// Directory 0's line information of a one-page listing: the page header's
// records, then one record per row.
void setListedLines(Cod& cod, const std::vector<LineInfo>& rows);

// Compares a written COD file with the file that `expected` writes, every
// byte but the date and time of directory 0, and reads the written file back
// into the same tables.
void expectCodFile(const std::string& path, Cod expected);

}  // namespace codtest
