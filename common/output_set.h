// The outputs of one run, each written whole to its temporary first and
// moved over its target only once the whole run has succeeded: a run that
// fails anywhere, in any of its outputs or after them, leaves every old
// file of those names as it was.
#pragma once

#include <deque>
#include <functional>
#include <utility>

#include "replacement_file.h"

class OutputSet {
 public:
  // A new output, not yet opened, that stays where it is until the set
  // ends. `reportCommitFailure` names the failure of its final move the way
  // its writer names a failed open.
  ReplacementFile& add(std::function<void()> reportCommitFailure);
  // Lands every output: first each is made ready (closed, and one written
  // in place sure of its room), then the streams are written, then the
  // files move over their targets, in the order added, as one step that a
  // signal cannot split. At the first that fails (reported) the rest are
  // discarded: 0.
  int commitAll();

  // Runs after each output lands, so that a test can send a signal
  // between two of them.
  void afterEachLanding(std::function<void()> step) { cAfterEachLanding = std::move(step); }

 private:
  struct Output {
    ReplacementFile file;
    std::function<void()> reportCommitFailure;
  };
  int landOne(Output& output);
  int fail(Output& output);

  std::function<void()> cAfterEachLanding;
  std::deque<Output> cOutputs;  // a deque: the files never move
};
