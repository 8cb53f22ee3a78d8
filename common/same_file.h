// Whether two names stand for one file, so that no output of a run is
// written over one of its inputs or over another of its outputs.
#pragma once

#include <string>
#include <vector>

// The file a name stands for, as an open finds it: each link is followed (a
// relative one from the link's own folder), also when the file it points at
// does not exist yet. A chain of links that does not end leaves a link.
std::string fileBehind(const std::string& name);

// True when `first` and `second` are one file: the same file on the same
// device where both exist, the same absolute path (links followed, "." and
// ".." taken out) where neither does. A device or a pipe is no file a write
// can destroy, so two names of one are not counted as the same file.
bool isSameFile(const std::string& first, const std::string& second);

// The first of `inputs` (names, empty ones passed over) that is the same
// file as `output`; null when none is.
template <class Names>
const std::string* sameFileAmong(const std::string& output, const Names& inputs) {
  for (const std::string& input : inputs)
    if (!input.empty() && isSameFile(output, input)) return &input;
  return nullptr;
}

// The refusal of an output that would be written over an input:
// "the output file 'O' is the same file as the input 'I'."
std::string outputOverInputText(const std::string& output, const std::string& input);

// The refusal of two outputs of one run that are one file, so that neither
// would be written over the other: "the output file 'A' is the same file as 'B'."
std::string outputOverOutputText(const std::string& output, const std::string& other);

// The refusal of the first of `outputs` that is one file with one of
// `inputs` (empty names passed over) or, after those, of two outputs that
// are one file; empty when each output is a file of its own.
std::string sameFileRefusal(const std::vector<std::string>& outputs,
                            const std::vector<std::string>& inputs);
