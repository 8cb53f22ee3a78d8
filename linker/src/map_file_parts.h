// The pieces of the map file: its rows, their texts and its three tables.
// Only the map file's own sources use them.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "coff.h"
#include "value_records.h"

// Texts of the small codes of the rows; a code outside the list has none.
const char* sectionTypeText(uint8_t type);
const char* locationText(uint8_t location);
const char* storageText(uint8_t storage);
const char* symbolKindText(uint8_t kind);

// Data memory holds the idata and udata sections; everything else lies in
// program memory.
uint8_t locationOf(const SectionHeader& header);

// A column as printf's "%Ns" and "%-Ns" would give it: padded to the width,
// and a longer text written whole, pushing the rest of the line right.
std::string rightColumn(const std::string& text, size_t width);
std::string leftColumn(const std::string& text, size_t width);

// Rows split by memory, program memory first in every table.
template <typename Row>
struct MapRows {
  std::vector<Row> program;
  std::vector<Row> data;

  void add(const Row& row) { (row.cLocation == 1 ? data : program).push_back(row); }
};

// The output's sections, each list in address order.
MapRows<SectionInfo> collectSections(const Coff& output);
void writeSectionTable(std::ostream& out, const MapRows<SectionInfo>& sections);

// The used program addresses in blocks, and how full program memory is.
void writeProgramUsage(std::ostream& out, const std::vector<SectionInfo>& programSections,
                       uint32_t bytesPerWord, uint32_t programAddressCount);

// The output's symbols that have an address in a section, in table order,
// each with the source file it belongs to.
MapRows<SymbolInfo> collectSymbols(const Coff& output);
void sortByName(MapRows<SymbolInfo>& symbols);
void sortByAddress(MapRows<SymbolInfo>& symbols);
void writeSymbolTable(std::ostream& out, const char* title, const MapRows<SymbolInfo>& symbols);
