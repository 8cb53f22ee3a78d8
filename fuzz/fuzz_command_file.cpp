// Reads fuzzed text as a linker command file, filling a Linker: the parser
// must end in a message or a filled Linker, never in a crash, a hang or a
// huge allocation. The input is two files split at the first line "%%":
// main.lkr in a scratch folder and inc/second.lkr, which main.lkr may reach
// by INCLUDE (through "LKRPATH inc" or by its path); the folder also has
// lib/ for LIBPATH. A refused file always says why, and every memory the
// Linker took answers the questions that allocation will ask of it.
#include <filesystem>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "linker.h"
#include "parser.h"

namespace {

constexpr std::string_view kSplit = "\n%%\n";

// A stream that keeps nothing, for the dumps.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
};

const std::string& commandFolder() {
  static const std::string folder = qorfuzz::scratchFolder("command_file", {"inc", "lib"});
  return folder;
}

void placeFiles(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  const size_t cut = text.find(kSplit);
  std::string_view first = text.substr(0, cut);
  std::filesystem::remove("inc/second.lkr");
  if (!qorfuzz::writeBytes("main.lkr", reinterpret_cast<const uint8_t*>(first.data()),
                           first.size()))
    qorfuzz::fail("main.lkr not written");
  if (cut == std::string_view::npos) return;
  std::string_view second = text.substr(cut + kSplit.size());
  if (!qorfuzz::writeBytes("inc/second.lkr", reinterpret_cast<const uint8_t*>(second.data()),
                           second.size()))
    qorfuzz::fail("inc/second.lkr not written");
}

// The questions of the link phases: sizes once the width is known, a fit,
// the fill holes and the partial map's table.
void exerciseMemories(std::list<Memory>& memories, uint16_t widthBits) {
  NullBuffer nothing;
  std::ostream sink(&nothing);
  for (Memory& memory : memories) {
    if (memory.getEnd() < memory.getStart()) qorfuzz::fail("a memory ends before its start");
    memory.setWidthBits(widthBits);
    (void)memory.largestHole();
    (void)memory.canFit(uint32_t{1}, uint16_t{1});
    memory.forEachFillHole([](void*, const Memory&, uint32_t, uint32_t, const std::string&) {},
                           nullptr);
    memory.printMap(sink, 1);
  }
}

void checkLinker(Linker& linker) {
  NullBuffer nothing;
  std::ostream sink(&nothing);
  linker.print(sink);
  (void)linker.programSize();
  exerciseMemories(linker.cCodePage, 14);
  exerciseMemories(linker.cDataBanks, 8);
  exerciseMemories(linker.cShareBanks, 8);
  exerciseMemories(linker.cAccessBanks, 8);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qorfuzz::startInput();
  qorfuzz::WorkingFolder here(commandFolder());
  placeFiles(data, size);
  qorfuzz::runUntilFatal([&] {
    Parser parser;
    Linker linker;
    std::string error;
    if (!parser.readCommandFile("main.lkr", linker, error) && error.empty())
      qorfuzz::fail("a command file was refused without a message");
    checkLinker(linker);
  });
  return 0;
}
