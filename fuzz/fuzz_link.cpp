// Links fuzzed objects and a fuzzed library in a scratch folder, up to the
// written output object and map: every link must end in a message or in an
// output, never in a crash, a hang, an internal check or a huge allocation.
// The target is described by the fixed command file of a core family
// (link_inputs.h) or, when the selector asks, by a command file generated
// from the input (command_file_generator.h). A link that fails has said
// why and left no output; one that succeeds has left an output object that
// reads back, verifies and whose headers count what it holds
// (output_check.h), and its map. (It may have reported an error all the
// same, for an input in the older layout: the program then ends with exit
// code 1.) Besides the fuzzer's byte changes, the mutator below changes the
// objects as objects (link_mutator.h), so that most inputs read and reach
// the later phases.
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "coff.h"
#include "command_file_generator.h"
#include "diagnostics.h"
#include "fuzz_support.h"
#include "link_inputs.h"
#include "link_mutator.h"
#include "linker.h"
#include "output_check.h"
#include "parser.h"

namespace {

const char* const kInputNames[] = {"a.o", "b.o", "lib/x.lib"};
const char* const kOutput = "out.o";
const char* const kMap = "out.map";
const char* const kGenerated = "generated.lkr";

// The scratch folder, with the four command files written once.
const std::string& linkFolder() {
  static const std::string folder = [] {
    std::string made = qorfuzz::scratchFolder("link", {"lib"});
    for (const qorfuzz::LinkFamily& family : qorfuzz::kLinkFamilies) {
      const std::string path = made + "/" + family.commandFileName;
      const std::string text = family.commandFile;
      if (!qorfuzz::writeBytes(path, reinterpret_cast<const uint8_t*>(text.data()), text.size()))
        qorfuzz::fail("command file not written");
    }
    return made;
  }();
  return folder;
}

// Writes the input's files over those of the input before, removing the
// ones it does not give and the outputs of the last link.
void placeFiles(const qorfuzz::LinkInput& input) {
  for (const char* name :
       {kInputNames[0], kInputNames[1], kInputNames[2], kOutput, kMap, kGenerated})
    std::filesystem::remove(name);
  for (size_t i = 0; i < input.files.size(); ++i) {
    const std::string& bytes = input.files[i];
    if (i != 0 && bytes.empty()) continue;
    if (!qorfuzz::writeBytes(kInputNames[i], reinterpret_cast<const uint8_t*>(bytes.data()),
                             bytes.size()))
      qorfuzz::fail("input file not written");
  }
}

// The seed of a generated command file: the whole input, so that every
// change of it gives another target.
uint32_t seedOf(const uint8_t* data, size_t size) {
  uint32_t hash = 2166136261u;
  for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
  return hash;
}

// The command file of the input: the family's fixed one, or one generated
// from the seed. A generated file the reader refuses ends
// the input (false); it has said why.
bool readCommandFile(const qorfuzz::LinkInput& input, uint32_t seed, Parser& parser, Linker& linker,
                     qorfuzz::CommandFileGenerator::Scale& scale) {
  const qorfuzz::LinkFamily& family = qorfuzz::kLinkFamilies[input.selector & 3];
  std::string error;
  if (!(input.selector & qorfuzz::kGeneratedBit)) {
    if (!parser.readCommandFile(family.commandFileName, linker, error))
      qorfuzz::fail("the fixed command file was refused: " + error);
    return true;
  }
  qorfuzz::CommandFileGenerator generator(seed);
  const std::string text = generator.make();
  scale = generator.scale();
  if (!qorfuzz::writeBytes(kGenerated, reinterpret_cast<const uint8_t*>(text.data()), text.size()))
    qorfuzz::fail("generated command file not written");
  if (parser.readCommandFile(kGenerated, linker, error)) return true;
  if (error.empty() && errorCount() == 0)
    qorfuzz::fail("a generated command file was refused without a message");
  return false;
}

// The settings a command line would make besides the command file: the
// inputs, the output and map names, and perhaps the strip switch.
void configure(const qorfuzz::LinkInput& input, Linker& linker) {
  std::string error;
  bool taken = linker.addObjectFile(kInputNames[0], error) && linker.addLibPath("lib", error) &&
               linker.setOutputFile(kOutput, error) && linker.setMapFile(kMap, error);
  if (input.files.size() > 1 && !input.files[1].empty())
    taken = taken && linker.addObjectFile(kInputNames[1], error);
  if (input.files.size() > 2 && !input.files[2].empty())
    taken = taken && linker.addLibraryFile("x.lib", error);
  if (input.selector & qorfuzz::kStripBit) taken = taken && linker.setStrip(1, error);
  if (!taken) qorfuzz::fail("a setting was refused: " + error);
}

void checkOutcome(int linked, const std::string& error, const Linker& linker,
                  qorfuzz::CommandFileGenerator::Scale scale) {
  if (!linked) {
    if (error.empty() && errorCount() == 0) qorfuzz::fail("a link failed without a message");
    if (std::filesystem::exists(kOutput)) qorfuzz::fail("a failed link left an output");
    return;
  }
  if (scale == qorfuzz::CommandFileGenerator::Overfilled)
    qorfuzz::fail("a link whose fill passes 4 GiB succeeded");
  if (!std::filesystem::is_regular_file(kMap)) qorfuzz::fail("a successful link left no map");
  const std::vector<uint8_t> map = qorfuzz::readBytes(kMap);
  if (std::string(map.begin(), map.end()).find("partial map") != std::string::npos)
    qorfuzz::fail("a successful link left the partial map");
  qorfuzz::checkWrittenOutput(linker.cOutput, kOutput);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  qorfuzz::startInput();
  const qorfuzz::LinkInput input = qorfuzz::splitLinkInput(data, size);
  qorfuzz::WorkingFolder here(linkFolder());
  placeFiles(input);
  qorfuzz::runUntilFatal([&] {
    Parser parser;
    Linker linker;
    auto scale = qorfuzz::CommandFileGenerator::Small;
    if (!readCommandFile(input, seedOf(data, size), parser, linker, scale)) return;
    configure(input, linker);
    std::string error;
    const int linked = linker.link(error);
    checkOutcome(linked, error, linker, scale);
  });
  return 0;
}

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

// One time in three, and whenever the input's files do not read, the
// fuzzer's own change of bytes; otherwise one object-level change of one
// of the files.
extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed) {
  qorfuzz::ObjectMutator mutator(seed);
  if (size == 0 || mutator.below(3) == 0) return LLVMFuzzerMutate(data, size, maxSize);
  qorfuzz::LinkInput input = qorfuzz::splitLinkInput(data, size);
  const auto file = mutator.below(static_cast<uint32_t>(input.files.size()));
  qorfuzz::startInput();
  if (!qorfuzz::mutateFile(input.files[file], file == 2, mutator))
    return LLVMFuzzerMutate(data, size, maxSize);
  const std::string joined = qorfuzz::joinLinkInput(input.selector, input.files);
  if (joined.size() > maxSize) return LLVMFuzzerMutate(data, size, maxSize);
  std::memcpy(data, joined.data(), joined.size());
  return joined.size();
}
