// Output files are written under a temporary name beside their target and
// moved over it only when complete, so that a failed write never leaves a
// user's existing file destroyed or half written.
#pragma once

#include <cstdio>
#include <string>

// Creates a new file in the folder of `target` under a short generated name
// that nothing held yet (exclusive creation, so no existing file is ever
// overwritten; a name that is taken is passed over for another) and opens
// it for writing, in binary form or, for `textMode`, with the host's line
// ends. The name never grows with the target's, so a target at the length
// limit of a name has a temporary too. Null when the folder takes no new
// file. Until it is moved or discarded, the temporary is removed when the
// program ends, whatever road it ends on.
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

// Removes every temporary not yet moved or discarded. For the roads that
// end the program without unwinding (a failed assertion, exhausted memory);
// allocates nothing.
void discardAllTemporaries();
