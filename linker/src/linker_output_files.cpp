// The output object and the map file: never written over an input or over
// each other, and never replacing an old file unless the link succeeded.
// Outputs that cannot be written leave the old output and the old map.
#include "diagnostics.h"
#include "linker.h"
#include "map_file.h"
#include "output_set.h"
#include "same_file.h"

int Linker::checkOutputFiles(std::string& error) const {
  std::list<std::string> inputs = cObjectFile;
  inputs.insert(inputs.end(), cLibraryFile.begin(), cLibraryFile.end());
  inputs.insert(inputs.end(), cCommandFiles.begin(), cCommandFiles.end());
  if (const std::string* input = sameFileAmong(cOutputFile, inputs)) {
    error = outputOverInputText(cOutputFile, *input);
    return 0;
  }
  if (cMapFile.empty()) return 1;
  inputs.push_back(cOutputFile);
  if (const std::string* other = sameFileAmong(cMapFile, inputs)) {
    error = "the map file '" + cMapFile + "' is the same file as '" + *other + "'.";
    return 0;
  }
  return 1;
}

int Linker::writeOutputFiles() {
  // Both are written whole before either replaces its old file, so that a
  // map that cannot be written leaves the old output as it was.
  OutputSet outputs;
  if (!cOutput.write(outputs)) return 0;
  if (!cMapFile.empty() && !MapFile().write(outputs, cMapFile, cOutput, programSize())) return 0;
  return outputs.commitAll();
}
