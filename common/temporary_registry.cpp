#include "temporary_registry.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

// A run has at most a few outputs open at once; a table this size is never
// full but by a fault.
constexpr int kSlots = 64;

// Each slot holds a name of its own (allocated outside any handler) or
// null. A handler takes names with an exchange, which never locks.
static_assert(std::atomic<char*>::is_always_lock_free);
std::atomic<char*> gSlots[kSlots];

#ifndef _WIN32
// The signals that end a run by default and that the user, the shell or a
// reader that went away sends: a broken pipe and quit end it like the rest.
constexpr int kTerminationSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};

sigset_t terminationSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int number : kTerminationSignals) sigaddset(&set, number);
  return set;
}

// Only calls that are safe in a handler: an exchange, unlink, sigaction,
// raise and the mask. The signal is blocked while its handler runs, so the
// raised one waits until it is unblocked, at its default by then.
extern "C" void removeTemporariesAndEnd(int number) {
  for (std::atomic<char*>& slot : gSlots) {
    if (char* name = slot.exchange(nullptr)) ::unlink(name);
  }
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  sigemptyset(&standard.sa_mask);
  sigaction(number, &standard, nullptr);
  raise(number);
  sigset_t just;
  sigemptyset(&just);
  sigaddset(&just, number);
  pthread_sigmask(SIG_UNBLOCK, &just, nullptr);
}
#endif

}  // namespace

TerminationSignalsHeld::TerminationSignalsHeld() {
#ifndef _WIN32
  const sigset_t held = terminationSignals();
  pthread_sigmask(SIG_BLOCK, &held, &cOld);
#endif
}

TerminationSignalsHeld::~TerminationSignalsHeld() {
#ifndef _WIN32
  pthread_sigmask(SIG_SETMASK, &cOld, nullptr);
#endif
}

bool rememberTemporary(const std::string& name) {
  char* copy = new char[name.size() + 1];
  std::memcpy(copy, name.c_str(), name.size() + 1);
  for (std::atomic<char*>& slot : gSlots) {
    char* empty = nullptr;
    if (slot.compare_exchange_strong(empty, copy)) return true;
  }
  delete[] copy;
  return false;
}

void forgetTemporary(const std::string& name) {
  for (std::atomic<char*>& slot : gSlots) {
    char* held = slot.load();
    if (held == nullptr || name != held) continue;
    delete[] slot.exchange(nullptr);
    return;
  }
}

void removeRememberedTemporaries() {
  TerminationSignalsHeld held;
  for (std::atomic<char*>& slot : gSlots) {
    char* name = slot.exchange(nullptr);
    if (name == nullptr) continue;
    std::remove(name);
    delete[] name;
  }
}

void removeTemporariesOnTerminationSignals() {
#ifndef _WIN32
  for (int number : kTerminationSignals) {
    struct sigaction current {};
    // A program started in the background keeps ignoring the interrupt.
    if (sigaction(number, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
    struct sigaction handler {};
    handler.sa_handler = removeTemporariesAndEnd;
    // One of the others coming meanwhile waits: the first one ends the run.
    handler.sa_mask = terminationSignals();
    sigaction(number, &handler, nullptr);
  }
#endif
}
