// The shared start-up, message lines, summary and exit codes, as a real
// process shows them.
#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <sstream>

#include "diagnostics.h"
#include "process_runner.h"
#include "text_helpers.h"

using qortest::runProgram;

namespace {

const std::string banner =
    "QORNIP v2.10.01, COFF to HEX File Converter\n"
    "Copyright (c) 2026 Quillmoor Embedded Tools. All rights reserved.\n\n";

qortest::ProcessResult probe(const std::vector<std::string>& steps) {
  qortest::ScratchDir dir;
  return runProgram(DIAG_PROBE_PATH, steps, dir.path());
}

}  // namespace

TEST(Diagnostics, WarningThenErrorInOrderWithSummary) {
  auto result = probe({"o:first", "w:watch out ", "c:between", "e:broken", "x:1"});
  EXPECT_EQ(result.output, banner +
                               "first\n"
                               "Warning - watch out \n"
                               "between\n"
                               "Error - broken\n"
                               "Errors    : 1\n"
                               "Warnings  : 1\n\n");
  EXPECT_EQ(result.exitCode, 1);
}

TEST(Diagnostics, QuietPrintsNothingButKeepsExitCodes) {
  for (const char* quiet : {"-q", "/q", "-Q", "/Q"}) {
    auto failed = probe({"e:one", quiet, "e:two", "x:1"});
    EXPECT_EQ(failed.output, "") << quiet;
    EXPECT_EQ(failed.exitCode, 1) << quiet;
  }
  auto fatal = probe({"/q", "f:the end", "o:never"});
  EXPECT_EQ(fatal.output, "");
  EXPECT_EQ(fatal.exitCode, 255);
}

TEST(Diagnostics, QuietSwitchMustMatchExactly) {
  auto result = probe({"-qq", "x:0"});
  EXPECT_EQ(result.output, banner + "Errors    : 0\nWarnings  : 0\n\n");
  EXPECT_EQ(result.exitCode, 0);
}

TEST(Diagnostics, FatalEndsAtOnceWith255AndSummary) {
  auto result = probe({"f:no way", "o:never printed"});
  EXPECT_EQ(result.output, banner + "Error - no way\nErrors    : 1\nWarnings  : 0\n\n");
  EXPECT_EQ(result.exitCode, 255);
}

// Some errors are counted without failing the work (an object in the older
// layout reads on), so the exit code is the one the work gave.
TEST(Diagnostics, SuccessIsNeverReportedAfterAnError) {
  auto counted = probe({"e:older layout", "x:0"});
  EXPECT_EQ(counted.output, banner + "Error - older layout\nErrors    : 1\nWarnings  : 0\n\n");
  EXPECT_EQ(counted.exitCode, 1);
  EXPECT_EQ(probe({"/q", "w:only a warning", "x:0"}).exitCode, 0);
  EXPECT_EQ(probe({"/q", "x:1"}).exitCode, 1);
  EXPECT_EQ(probe({"/q", "x:255"}).exitCode, 255);
}

TEST(Diagnostics, OutOfMemoryIsReportedEvenWhenQuiet) {
  auto result = probe({"/q", "m:"});
  EXPECT_EQ(result.output, "out of memory\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_FALSE(result.signalled);
}

// In this process: a message is composed of its parts as a fresh stream
// writes them (so one message's number base never leaks into the next),
// counted by its severity, followed by its context only on request; quiet
// mode prints nothing but still counts.
namespace {

struct ComposedCase {
  const char* what;
  std::function<void()> report;
  std::string printed;
  uint32_t warnings;
  uint32_t errors;
};

std::string printedBy(const std::function<void()>& report) {
  std::ostringstream captured;
  std::streambuf* oldErr = std::cerr.rdbuf(captured.rdbuf());
  report();
  std::cerr.rdbuf(oldErr);
  return captured.str();
}

}  // namespace

TEST(Diagnostics, ComposedMessagesPrintTheirPartsAndCountBySeverity) {
  const uint8_t byte = 'A';
  const ComposedCase cases[] = {
      {"texts and numbers",
       [] {
         reportError("Coff::verify()", "Coff file '", std::string("x.o"), "' symbol[", size_t{12},
                     "] is ", -3, ".");
       },
       "Error - Coff file 'x.o' symbol[12] is -3.\n", 0, 1},
      {"hex text", [] { reportWarning("Hex::write()", "address ", formatHex(0x1234, 2), "."); },
       "Warning - address 0x1234.\n", 1, 0},
      {"a base for one message only",
       [] {
         reportWarning("main()", std::hex, 255);
         reportError("main()", 255);
       },
       "Warning - ff\nError - 255\n", 1, 1},
      {"a widened byte is a number",
       [&] { reportError("main()", "byte ", static_cast<int>(byte)); }, "Error - byte 65\n", 0, 1},
      {"an 8-bit value is a character", [&] { reportError("main()", "byte ", byte); },
       "Error - byte A\n", 0, 1},
      {"the general form", [] { reportComposed(SEVERITY_WARNING, "main()", 0, "two\nlines"); },
       "Warning - two\nlines\n", 1, 0},
      {"context on request",
       [] {
         setShowContext(1);
         reportError("Hex::write()", "second ");
       },
       "Error - second  - Hex::write()\n", 0, 1},
      {"quiet",
       [] {
         setQuiet(1);
         reportWarning("main()", "silent");
         reportError("main()", "silent");
       },
       "", 1, 1},
  };
  for (const ComposedCase& c : cases) {
    resetDiagnostics();
    EXPECT_EQ(printedBy(c.report), c.printed) << c.what;
    EXPECT_EQ(warningCount(), c.warnings) << c.what;
    EXPECT_EQ(errorCount(), c.errors) << c.what;
  }
  resetDiagnostics();
}

TEST(DiagnosticsDeathTest, ComposedFatalMessageEndsWith255) {
  EXPECT_EXIT(reportComposed(SEVERITY_ERROR, "main()", 1, "no ", 2, " way"),
              testing::ExitedWithCode(255), "Error - no 2 way");
}
