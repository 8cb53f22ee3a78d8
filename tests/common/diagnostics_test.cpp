// The shared start-up, message lines, summary and exit codes, as a real
// process shows them.
#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

#include "diagnostics.h"
#include "process_runner.h"

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

// In this process: the stream form reports the text built so far and leaves
// the stream empty for the next message; the context shows only on request.
TEST(Diagnostics, StreamFormReportsAndEmptiesTheStream) {
  resetDiagnostics();
  std::ostringstream captured;
  std::streambuf* oldErr = std::cerr.rdbuf(captured.rdbuf());
  std::ostringstream message;
  message << "Could not open '" << "x.o" << "'.";
  reportStream(SEVERITY_WARNING, "Archive::make()", message, 0);
  EXPECT_EQ(message.str(), "");
  message << "second ";
  EXPECT_EQ(setShowContext(1), 1);
  reportStream(SEVERITY_ERROR, "Hex::write()", message, 0);
  setQuiet(1);
  reportMessage(SEVERITY_ERROR, "main()", "silent", 0);
  std::cerr.rdbuf(oldErr);
  EXPECT_EQ(captured.str(), "Warning - Could not open 'x.o'.\nError - second  - Hex::write()\n");
  EXPECT_EQ(message.str(), "");
  EXPECT_EQ(warningCount(), 1u);
  EXPECT_EQ(errorCount(), 2u);
  resetDiagnostics();
}
