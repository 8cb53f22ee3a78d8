// The bundled linker examples, one folder per core family under
// examples/linker/: a small program of two object files that calls a
// routine from a library, and the command file that describes the device.
// Each family's description lives in its own <family>_example.cpp.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "example_source.h"

namespace example {

struct LinkerExample {
  std::string family;  // the folder under examples/linker
  ProcessorCode device;
  std::string commandFile;      // the text of <family>.lkr
  std::vector<Source> objects;  // linked as object files: main.asm, io.asm
  std::vector<Source> members;  // the members of util.lib, in library order
};

LinkerExample veskExample();
LinkerExample mirelExample();
LinkerExample zarnExample();
LinkerExample ostraExample();

std::vector<LinkerExample> linkerExamples();

// The library every example links against.
constexpr char kLibraryName[] = "util.lib";
// The library member that each example's main calls (the other stays out).
constexpr char kCalledMember[] = "delay.o";

// Pieces that every family's sources share.
// The start of delay.asm: its comment, its global, and its two loop
// counters in the section that the directive line opens.
Source delayStart(ProcessorCode device, const std::string& sectionLine, const std::string& section,
                  uint32_t flags);
// The start of checksum.asm: its comment, the equates it needs, its
// globals, and its count and sum in the section that the line opens.
Source checksumStart(ProcessorCode device, const std::string& comment,
                     const std::vector<std::string>& equates, const std::string& sectionLine,
                     const std::string& section, uint32_t flags);
// "pagesel <target>", then the call or goto ("call", "goto") to it, for
// the families whose page selection the linker writes as instructions.
Source& pagedTransfer(Source& source, const std::vector<uint16_t>& pageSelect,
                      const std::string& mnemonic, uint16_t word, const std::string& target);

// The folder of the checked-in files of one example.
std::string exampleDirectory(const LinkerExample& example);
std::string commandFileName(const LinkerExample& example);
// Every file of the example's folder, by name: the sources, the objects,
// the library and the command file.
std::map<std::string, std::vector<uint8_t>> exampleFiles(const LinkerExample& example);

}  // namespace example
