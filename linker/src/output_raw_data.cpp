// The output's section contents: each input file's part copied to where
// loading put it inside its section, the images of the idata sections and
// of the initialised-data table in program memory, and the stack.
#include <cstring>
#include <iostream>

#include "debug_switches.h"
#include "diagnostics.h"
#include "linker.h"
#include "mginst.h"
#include "output_support.h"
#include "text_helpers.h"

namespace {

const char* const RAW_DATA_CONTEXT = "Linker::buildOutputRawData()";

bool tracing() { return traceOn("Linker::buildOutputRawData"); }

void traceDump(const char* label, const Data& data) {
  std::cout << label;
  data.dump(std::cout);
}

// The image of `bytes` in program memory: one RETLW word per byte, low byte
// first, or the bytes themselves.
Data programImage(const Data& bytes, uint16_t romWidthBits, CoreFamily family) {
  if (!needsRetlwImage(romWidthBits)) return bytes;
  Data image(bytes.size() * 2);
  for (uint32_t k = 0; k < bytes.size(); ++k) {
    uint16_t word = 0;
    instSetOpcode(&word, RETLW, family);
    instSetOperand1(&word, bytes.data()[k], family);
    image.data()[2 * k] = static_cast<uint8_t>(word & 0xFF);
    image.data()[2 * k + 1] = static_cast<uint8_t>(word >> 8);
  }
  return image;
}

// The file's part of a section, copied to its load start. A part whose
// bytes do not match the length it was loaded with, or that would reach
// past its output section (parts of odd length in memory of two bytes per
// location), can come only from a damaged object: it is refused rather than
// copied beside the section's bytes.
int copyInputPart(Linker& linker, size_t position, const std::string& name) {
  const Coff& file = *linker.cCoff[position];
  const std::string key = linker.inputKey(position);
  const Memory& memory = memoryOfSection(linker.cScnMem, name);
  const uint32_t allocStart = memory.getAllocStart(name);
  const uint32_t loadStart = memory.getLoadStart(key, name);
  const uint32_t size = memory.getLoadSize(key, name);
  static const Data kNoBytes;
  const auto input = file.cRawData.find(name);
  const Data& part = input == file.cRawData.end() ? kNoBytes : input->second;
  if (part.size() != size) {
    reportError(RAW_DATA_CONTEXT, "Coff file '", file.cName, "', section '", name,
                "' has raw data that does not match its size.");
    return 0;
  }
  const uint64_t startByte = uint64_t{loadStart - allocStart} *
                             linker.widthInBytes(memory.isRam() ? Linker::ram : Linker::rom);
  Data& output = linker.cOutput.cRawData[name];
  if (startByte + size > output.size()) {
    reportError(RAW_DATA_CONTEXT, "Coff file '", file.cName, "', section '", name,
                "' does not fit in its output section.");
    return 0;
  }
  if (tracing()) {
    std::cout << "Linker::buildOutputRawData() - input file '" << file.cName << "', section '"
              << name << "'   allocStart=" << formatHex(allocStart, 4)
              << " loadStart=" << formatHex(loadStart, 4) << " startByte=" << startByte
              << " size=" << size << std::endl;
    traceDump("  input raw data: ", part);
    traceDump("  output raw data before: ", output);
  }
  if (size != 0) std::memcpy(output.data() + startByte, part.data(), size);
  if (tracing()) traceDump("  output raw data after: ", output);
  return 1;
}

}  // namespace

int Linker::buildOutputRawData(std::string& /*error*/) {
  for (const auto& [name, size] : cScnSize) cOutput.cRawData[name] = Data(size);
  for (size_t position = 0; position < cCoff.size(); ++position) {
    const Coff& file = *cCoff[position];
    for (const auto& [number, name] : file.cScnNum) {
      if (sectionTypeOf(name) == SECTION_UDATA) continue;
      if (!copyInputPart(*this, position, name)) return 0;
    }
  }
  for (const auto& [name, size] : cScnSize) {
    if (sectionTypeOf(name) != SECTION_IDATA) continue;
    const std::string image = Linker::initSectionName(name);
    cOutput.cRawData[image] = programImage(cOutput.cRawData[name], cRomWidthBits, cFamily);
    if (tracing())
      std::cout << "Linker::buildOutputRawData() - init section '" << image
                << "', initSize=" << size << " size=" << cOutput.cRawData[image].size()
                << std::endl;
  }
  Data& cinit = cOutput.cRawData[cCinitScnName];
  cinit = programImage(cCinitData, cRomWidthBits, cFamily);
  if (tracing())
    std::cout << "Linker::buildOutputRawData() - init table section '" << cCinitScnName
              << "', romSize=" << cinit.size() << " size=" << cCinitData.size() << std::endl;
  if (cHasStack) cOutput.cRawData[cStackScnName] = Data(cStackDesc.getSize());
  return 1;
}
