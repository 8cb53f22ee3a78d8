#include "output_set.h"

#include "temporary_registry.h"

ReplacementFile& OutputSet::add(std::function<void()> reportCommitFailure) {
  cOutputs.push_back({ReplacementFile(), std::move(reportCommitFailure)});
  return cOutputs.back().file;
}

int OutputSet::commitAll() {
  // Every output closed, and every one written in place sure of its room,
  // before any lands: a failure here changes no file.
  for (Output& output : cOutputs)
    if (!output.file.prepare()) return fail(output);
  // What a pipe or a device takes cannot be taken back, and its reader may
  // keep it waiting: streams go first, while a signal may still end the run
  // with every file old.
  for (Output& output : cOutputs)
    if (output.file.streams() && !landOne(output)) return fail(output);
  // The files land with the signals that end the program held, so that one
  // coming meanwhile finds them all old or all new.
  TerminationSignalsHeld held;
  for (Output& output : cOutputs)
    if (!output.file.streams() && !landOne(output)) return fail(output);
  cOutputs.clear();
  return 1;
}

int OutputSet::landOne(Output& output) {
  const int landed = output.file.land();
  if (landed && cAfterEachLanding) cAfterEachLanding();
  return landed;
}

int OutputSet::fail(Output& output) {
  output.reportCommitFailure();
  cOutputs.clear();  // every output not yet landed is discarded
  return 0;
}
