// Output files are written under a temporary name beside their target and
// moved over it only when complete, so that a failed write never leaves a
// user's existing file destroyed or half written.
#pragma once

#include <cstdio>
#include <string>

// A temporary made for a target: its file open for writing and its name,
// or, when none could be made, the error of the last try.
struct Temporary {
  std::FILE* file = nullptr;
  std::string name;
  int failure = 0;
};

// Creates a new file in the folder of `target` under a short generated name
// that nothing held yet (exclusive creation, so no existing file is ever
// overwritten; a name that is taken is passed over for another) and opens
// it for writing, in binary form or, for `textMode`, with the host's line
// ends. The file is written through the stream returned: its name is for
// moving it. The name never grows with the target's, so a target at the
// length limit of a name has a temporary too. Until it is moved or
// discarded, the temporary is removed when the program ends, whatever road
// it ends on, a signal that ends it included.
Temporary createTemporaryBeside(const std::string& target, bool textMode = false);

// True for the errors of a folder that takes no new file (permission
// denied, read-only file system): the one case in which a target may be
// written in place. Any other failure to make a temporary (a name too
// long, no space, no inode, a quota) is a failure to write the target.
bool folderTakesNoNewFile(int failure);

// Moves the complete temporary over the target: 1 on success. The temporary
// is removed when the move fails.
int moveTemporaryOver(const std::string& temporaryName, const std::string& target);

// Removes a temporary that will not be used (no-op for an empty name).
void discardTemporary(const std::string& temporaryName);

// Removes every temporary not yet moved or discarded. For the roads that
// end the program without unwinding (a failed assertion, exhausted memory);
// allocates nothing.
void discardAllTemporaries();
