// Output files are written under a temporary name beside their target and
// moved over it only when complete, so that a failed write never leaves a
// user's existing file destroyed or half written.
#pragma once

#include <cstdio>
#include <string>

// Creates a new file beside `target` under a name that nothing held yet
// (exclusive creation, so no existing file is ever overwritten) and opens it
// for writing, in binary form or, for `textMode`, with the host's line ends.
// Null when no such name could be created.
std::FILE* createTemporaryBeside(const std::string& target, std::string& temporaryName,
                                 bool textMode = false);

// The same for writers that open the file themselves: the file is created
// empty and closed again; its name, or empty when none could be created.
std::string reserveTemporaryBeside(const std::string& target);

// Moves the complete temporary over the target: 1 on success. The temporary
// is removed when the move fails.
int moveTemporaryOver(const std::string& temporaryName, const std::string& target);

// Removes a temporary that will not be used (no-op for an empty name).
void discardTemporary(const std::string& temporaryName);
