// The converter's command line:
//   qortav [-n, /n <listingPageLength>] [-d, /d] [-q, /q] <coffFile>
#pragma once

#include <string>

struct CodOptions {
  int pageLength = 0;
  bool pageLengthGiven = false;  // the warning for /n with /d needs to know
  bool noListing = false;
  std::string coffFile;  // exactly as typed
};

extern const char* const kCodUsageText;

// Reads argv[1] onwards into `options`: 1 when the line is complete, 0 with
// `message` set to the usage text.
int parseCommandLine(int argc, const char* const* argv, CodOptions& options, std::string& message);
