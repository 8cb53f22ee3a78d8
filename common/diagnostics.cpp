#include "diagnostics.h"

#include <cstdlib>
#include <iostream>
#include <utility>

namespace {
DiagnosticState state;
std::function<void()> beforeFatalExit;
}  // namespace

void setBeforeFatalExit(std::function<void()> step) { beforeFatalExit = std::move(step); }

void reportMessage(uint8_t severity, const std::string& context, const std::string& message,
                   int fatal) {
  if (severity == SEVERITY_WARNING) {
    ++state.warnings;
    if (!state.quiet) std::cerr << "Warning - ";
  } else {
    ++state.errors;
    if (!state.quiet) std::cerr << "Error - ";
  }
  if (!state.quiet) {
    std::cout.flush();
    std::cerr << message;
    if (state.showContext) std::cerr << " - " << context;
    std::cerr << std::endl;
  }
  if (!fatal) return;
  // Taken first: a fatal report from within the step ends the run at once.
  if (const std::function<void()> step = std::exchange(beforeFatalExit, nullptr)) step();
  exitWithSummary(255);
}

void exitWithSummary(int code) {
  if (!state.quiet) {
    std::cout.flush();
    std::cout << "Errors    : " << state.errors << std::endl;
    std::cout << "Warnings  : " << state.warnings << std::endl;
    std::cout << std::endl;
    std::cerr.flush();
  }
  // Makefiles must see what the user sees: a run that printed an error
  // line never reports success, whatever the work asked for.
  if (code == 0 && state.errors != 0) code = 1;
  std::cout.flush();
  std::exit(code);
}

int setQuiet(int quiet) { return state.quiet = quiet; }
int isQuiet() { return state.quiet; }
int setShowContext(int showContext) { return state.showContext = showContext; }
uint32_t errorCount() { return state.errors; }
uint32_t warningCount() { return state.warnings; }
void resetDiagnostics() { state = DiagnosticState{}; }
