// Process-wide diagnostics: the error and warning counters, quiet mode, the
// reporter that prints and counts one message line, and the summary exit.
#pragma once

#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <utility>

// Severity of a report.
enum : uint8_t { SEVERITY_ERROR = 0, SEVERITY_WARNING = 1 };

struct DiagnosticState {
  uint32_t warnings = 0;
  uint32_t errors = 0;
  int showContext = 0;
  int quiet = 0;
};

// Counts one diagnostic and, unless quiet, prints "Error - " or "Warning - "
// followed by the message. A fatal report ends the program with code 255.
void reportMessage(uint8_t severity, const std::string& context, const std::string& message,
                   int fatal);

// A step that a fatal report runs before it ends the program (once; none
// clears it): what a run owes the user even when it fails on the spot.
void setBeforeFatalExit(std::function<void()> step);

// Prints the two summary lines and an empty line (unless quiet), then ends
// the process. A requested 0 becomes 1 when an error was reported, so a run
// that printed an error never reports success (warnings alone keep 0).
[[noreturn]] void exitWithSummary(int code);

// Reports a message composed of its parts, each written as a stream would
// write it (texts, numbers; an 8-bit value prints as a character, so widen
// it first). Keeps every message to one line at its call site.
template <typename... Parts>
void reportComposed(uint8_t severity, const std::string& context, int fatal, Parts&&... parts) {
  std::ostringstream text;
  (text << ... << std::forward<Parts>(parts));
  reportMessage(severity, context, text.str(), fatal);
}

// The common cases: an error or a warning that does not end the program.
template <typename... Parts>
void reportError(const std::string& context, Parts&&... parts) {
  reportComposed(SEVERITY_ERROR, context, 0, std::forward<Parts>(parts)...);
}
template <typename... Parts>
void reportWarning(const std::string& context, Parts&&... parts) {
  reportComposed(SEVERITY_WARNING, context, 0, std::forward<Parts>(parts)...);
}

int setQuiet(int quiet);
int isQuiet();
int setShowContext(int showContext);
uint32_t errorCount();
uint32_t warningCount();

// Test hook: puts the counters and flags back to their start-up values.
void resetDiagnostics();
