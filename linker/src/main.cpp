// QORLAN: links object files and libraries under linker command files into
// one absolute object file and, on request, a map file.
#include <cstdio>
#include <iostream>
#include <string>

#include "banners.h"
#include "debug_switches.h"
#include "diagnostics.h"
#include "linker.h"
#include "parser.h"
#include "startup.h"

namespace {

// The traces that the "debug" switch turns on all at once. A run never has
// it on (main clears it first); a developer flips it in a debugger.
const char* const kDebugTraces[] = {
    "Coff::preWrite",
    "Linker::mapSections",
    "Linker::allocateAbsAssigned",
    "Linker::allocateAbsUnassigned",
    "Linker::allocateRelUnassigned",
    "Linker::allocateRelAssigned",
    "Linker::relocateSymbols",
    "Linker::relocateLineInfo",
    "Coff::fixupAuxFcns",
    "Linker::mergeStringTbls",
    "Linker::replaceStringTbl",
    "Linker::importLibraryMembers",
    "Linker::buildExtSymDef",
    "Linker::resolveExternals",
    "Linker::print",
    "Linker::patchSections",
    "Linker::doPatchOstra",
    "Linker::doPatchMirel",
    "Linker::doPatchZarn",
    "Linker::doPatchVesk",
    "Linker::doPatch",
    "Linker::buildOutputScnNum",
    "Linker::buildOutputSymbolTbl",
    "Linker::buildRawData",
    "Linker::buildOutputLineInfo",
    "Linker::buildOutputHole",
    "MapFile::write",
};

}  // namespace

int main(int argc, char** argv) {
  setSwitch("debug", 0);
  const bool debug = traceOn("debug");
  if (debug) {
    for (const char* trace : kDebugTraces) setSwitch(trace, 1);
  }
  Linker linker;
  Parser parser;
  startProgram(argc, argv, linkerBanner());
  if (debug) {
    for (int i = 0; i < argc; ++i) std::printf("_qorlan: argv[%d]='%s'\n", i, argv[i]);
  }
  parser.parseCommandLine(argc, argv, linker);
  linker.cCommandFiles = parser.cCommandFiles;

  std::string error;
  const int linked = linker.link(error);
  if (debug) linker.print(std::cout);
  if (linked) exitWithSummary(0);
  if (!error.empty()) reportMessage(SEVERITY_ERROR, "main()", error, 0);
  exitWithSummary(1);
}
