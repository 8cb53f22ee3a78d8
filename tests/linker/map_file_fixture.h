// Helpers of the map file tests: output objects of a chosen core, the map
// written to a scratch directory and read back with the run's time masked.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "coff.h"
#include "map_file.h"
#include "mgproc.h"
#include "object_builder.h"
#include "process_runner.h"

namespace maptest {

// Some device of the family.
inline ProcessorCode deviceOf(CoreFamily family) {
  for (unsigned code = PROC_FIRST; code <= PROC_LAST; ++code) {
    if (procFamily(static_cast<ProcessorCode>(code)) == family)
      return static_cast<ProcessorCode>(code);
  }
  return 0;
}

// An output object for a device of the family, sections and symbols to add.
inline qortest::ObjectBuilder outputOf(CoreFamily family) {
  const ProcessorCode code = deviceOf(family);
  qortest::ObjectBuilder builder("prog.o");
  builder.processor(procCoffType(code), procRomWidthBits(code), procRamWidthBits(code));
  return builder;
}

// The header's second line carries the time of the run.
inline std::string maskTime(std::string text) {
  const std::string created = "Linker Map File - Created ";
  const size_t start = text.find(created);
  if (start == std::string::npos) return text;
  const size_t end = text.find('\n', start);
  if (end == std::string::npos) return text;
  return text.replace(start + created.size(), end - start - created.size(), "<time>");
}

// The map of `output` as written, time masked; empty when none was written.
inline std::string mapOf(const Coff& output, uint32_t programAddressCount) {
  qortest::ScratchDir dir;
  const std::string path = dir.file("prog.map");
  if (MapFile().write(path, output, programAddressCount) != 1) return "";
  return maskTime(qortest::readFile(path));
}

}  // namespace maptest
