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
  // Moves every output over its target, in the order added. At the first
  // that fails (reported) the rest are discarded: 0.
  int commitAll();

 private:
  struct Output {
    ReplacementFile file;
    std::function<void()> reportCommitFailure;
  };
  std::deque<Output> cOutputs;  // a deque: the files never move
};
