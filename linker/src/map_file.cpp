// The map file: composed whole in memory and then written through a
// replacement, so that a write that fails leaves a map of an earlier run as
// it was rather than cut short.
#include "map_file.h"

#include <cstdio>
#include <ctime>
#include <iostream>
#include <sstream>

#include "banners.h"
#include "debug_switches.h"
#include "diagnostics.h"
#include "map_file_parts.h"
#include "mgproc.h"
#include "output_set.h"
#include "replacement_file.h"

namespace {

const char* const kTrace = "MapFile::write";

// Bytes of one program word of the output's processor.
uint32_t bytesPerWord(const Coff& output) {
  const ProcessorCode code = procFromCoffType(static_cast<uint16_t>(output.cOptHdr.proc_type));
  return (procRomWidthBits(code) + 7) / 8;
}

void writeHeader(std::ostream& out) {
  const std::time_t now = std::time(nullptr);
  const char* created = std::ctime(&now);
  out << linkerBanner() << "\nLinker Map File - Created " << (created != nullptr ? created : "\n");
}

template <typename Row>
void traceRows(const MapRows<Row>& rows) {
  if (!traceOn(kTrace)) return;
  for (const Row& row : rows.program) row.dump(std::cout);
  for (const Row& row : rows.data) row.dump(std::cout);
}

std::string composeMap(const Coff& output, uint32_t programAddressCount) {
  std::ostringstream out;
  writeHeader(out);
  const MapRows<SectionInfo> sections = collectSections(output);
  traceRows(sections);
  writeSectionTable(out, sections);
  writeProgramUsage(out, sections.program, bytesPerWord(output), programAddressCount);
  MapRows<SymbolInfo> symbols = collectSymbols(output);
  sortByName(symbols);
  traceRows(symbols);
  writeSymbolTable(out, "Symbols - Sorted by Name", symbols);
  sortByAddress(symbols);
  writeSymbolTable(out, "Symbols - Sorted by Address", symbols);
  return out.str();
}

}  // namespace

int MapFile::write(const std::string& fileName, const Coff& output, uint32_t programAddressCount) {
  OutputSet outputs;
  return write(outputs, fileName, output, programAddressCount) && outputs.commitAll();
}

int MapFile::write(OutputSet& outputs, const std::string& fileName, const Coff& output,
                   uint32_t programAddressCount) {
  const std::string text = composeMap(output, programAddressCount);
  const auto reportFailure = [fileName] {
    reportError("MapFile::write()", "Could not open map file '", fileName, "' for writing.");
  };
  ReplacementFile& file = outputs.add(reportFailure);
  // Flushed here, so that a write that fails shows before any output of
  // the set replaces its old file.
  if (file.open(fileName, true) && file.writeText(text) && std::fflush(file.file()) == 0) return 1;
  reportFailure();
  return 0;
}
