// The link driver: the phases of a link in their one fixed order, stopping
// at the first that fails. A phase that fails has either reported its own
// message or left it in `error` for the caller.
#include "diagnostics.h"
#include "linker.h"

int Linker::link(std::string& error) {
  if (cOutputFile.empty()) cOutputFile = "a.out";
  if (!findObjectFiles(error) || !findLibraryFiles(error) || !checkOutputFiles(error) ||
      !importLibraryMembers(error) || !checkProcessors(error) || !checkSectionTypes(error) ||
      !checkMemoryAttributes(error))
    return 0;
  // The partial map shows what allocation did; it is written only when the
  // link fails from here on, on any road, a fatal one included, since after
  // a failure it is what tells the user why.
  const int mapped = mapSections(error);
  composeErrorMap();
  setBeforeFatalExit([this] { writeErrorMapFile(); });
  // An error reported on the way (one that did not stop its phase) fails
  // the link as well: the output is not what was asked for.
  const bool built = mapped && buildOutput(error) && errorCount() == 0;
  setBeforeFatalExit(nullptr);
  if (!built) {
    writeErrorMapFile();
    return 0;
  }
  // The full map, with the output: both land, or neither.
  return writeOutputFiles();
}

int Linker::buildOutput(std::string& error) {
  if (!loadSections(error) || !buildCinit(error) || !relocateSymbols(error) ||
      !relocateLineInfo(error))
    return 0;
  // The merge never stops the link; its own error text keeps anything it
  // leaves from being reported for a later phase.
  std::string mergeError;
  mergeStringTbls(mergeError);
  if (!buildExtSymDef(error) || !resolveExternals(error) || !verifyRelocations(error) ||
      !patchSections(error) || !checkOutputLimits(error) || !buildOutputScnNum(error) ||
      !buildOutputSymbolTbl(error) || !buildOutputRawData(error) || !buildOutputLineInfo(error) ||
      !buildOutputStrTbl(error) || !buildOutputScnHdrs(error) || !buildOutputHeader(error))
    return 0;
  buildOutputHoles();
  cOutput.preWrite();
  if (!cOutput.verify()) {
    error = "Internal Coff output file is corrupt.";
    return 0;
  }
  return 1;
}
