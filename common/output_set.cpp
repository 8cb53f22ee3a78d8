#include "output_set.h"

ReplacementFile& OutputSet::add(std::function<void()> reportCommitFailure) {
  cOutputs.push_back({ReplacementFile(), std::move(reportCommitFailure)});
  return cOutputs.back().file;
}

int OutputSet::commitAll() {
  for (Output& output : cOutputs) {
    if (output.file.commit()) continue;
    output.reportCommitFailure();
    cOutputs.clear();  // every output not yet moved is discarded
    return 0;
  }
  cOutputs.clear();
  return 1;
}
