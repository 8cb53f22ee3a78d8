#include "linker_examples.h"

#include <memory>

#include "archive.h"
#include "process_runner.h"
#include "reloctypes.h"

namespace example {

namespace {

std::vector<uint8_t> textBytes(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

// The library as the librarian writes it; the members keep the time stamp
// 0 of their objects, so that the library's bytes are stable too.
std::vector<uint8_t> libraryImage(const LinkerExample& example) {
  qortest::ScratchDir scratch;
  Archive library;
  library.cName = scratch.file(kLibraryName);
  for (const Source& member : example.members) library.cMembers.push_back(member.object().coff());
  library.makeSymbols();
  if (library.write() != 1) return {};
  return qortest::readFileBytes(library.cName);
}

}  // namespace

Source delayStart(ProcessorCode device, const std::string& sectionLine, const std::string& section,
                  uint32_t flags) {
  Source source("delay.asm", device);
  source.line("; delay.asm - busy wait: W times 256 turns of an inner loop")
      .line("")
      .line("        global  delay")
      .line("")
      .section(sectionLine, section, flags)
      .label("outer")
      .reserve("outer   res     1", 1)
      .label("inner")
      .reserve("inner   res     1", 1)
      .line("");
  return source;
}

Source checksumStart(ProcessorCode device, const std::string& comment,
                     const std::vector<std::string>& equates, const std::string& sectionLine,
                     const std::string& section, uint32_t flags) {
  Source source("checksum.asm", device);
  source.line("; checksum.asm - " + comment);
  for (const std::string& equate : equates) source.line(equate);
  source.line("")
      .line("        global  checksum, sum")
      .line("")
      .section(sectionLine, section, flags)
      .label("count")
      .reserve("count   res     1", 1)
      .global("sum")
      .reserve("sum     res     1", 1)
      .line("");
  return source;
}

Source& pagedTransfer(Source& source, const std::vector<uint16_t>& pageSelect,
                      const std::string& mnemonic, uint16_t word, const std::string& target) {
  const uint16_t type = mnemonic == "call" ? RELOCT_CALL : RELOCT_GOTO;
  return source.code("        pagesel " + target, pageSelect, {{0, RELOCT_PAGESEL, target}})
      .code("        " + mnemonic + "    " + target, {word}, {{0, type, target}});
}

std::vector<LinkerExample> linkerExamples() {
  return {veskExample(), mirelExample(), zarnExample(), ostraExample()};
}

std::string exampleDirectory(const LinkerExample& example) {
  return std::string(QOR_SOURCE_DIR) + "/examples/linker/" + example.family + "/";
}

std::string commandFileName(const LinkerExample& example) { return example.family + ".lkr"; }

std::map<std::string, std::vector<uint8_t>> exampleFiles(const LinkerExample& example) {
  std::map<std::string, std::vector<uint8_t>> files;
  for (const auto* sources : {&example.objects, &example.members}) {
    for (const Source& source : *sources) files[source.fileName()] = textBytes(source.text());
  }
  for (const Source& object : example.objects) files[object.objectName()] = object.object().image();
  files[kLibraryName] = libraryImage(example);
  files[commandFileName(example)] = textBytes(example.commandFile);
  return files;
}

}  // namespace example
