// The temporaries a program has made and not yet moved or discarded, kept
// where both an exit and a signal that ends the program can reach them: a
// fixed table of names that a signal handler may read without allocating
// or locking.
#pragma once

#include <string>

#ifndef _WIN32
#include <signal.h>
#endif

// Holds off the signals that remove the temporaries (interrupt, terminate,
// hang-up, quit, broken pipe) while it lives, so that a file is never made
// or moved without the table knowing it. One that comes meanwhile is
// handled at the end.
class TerminationSignalsHeld {
 public:
  TerminationSignalsHeld();
  ~TerminationSignalsHeld();
  TerminationSignalsHeld(const TerminationSignalsHeld&) = delete;
  TerminationSignalsHeld& operator=(const TerminationSignalsHeld&) = delete;

 private:
#ifndef _WIN32
  sigset_t cOld{};
#endif
};

// Enters a temporary that now exists: false when the table is full. Call
// with the signals held, from the creation of the file on.
bool rememberTemporary(const std::string& name);
// Takes a temporary out of the table once it is moved or removed (no-op
// for a name not in it). Call with the signals held.
void forgetTemporary(const std::string& name);
// Removes every temporary in the table. Allocates nothing.
void removeRememberedTemporaries();

// Interrupt, terminate, hang-up, quit and a broken pipe remove the
// temporaries and then end the program as the signal would have, so that
// whoever started it sees the signal. A signal ignored when the program started stays ignored.
void removeTemporariesOnTerminationSignals();
