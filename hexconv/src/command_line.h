// The converter's command line:
//   qornip [/a <hexformat>] [/r 0xBBBB-0xEEEE]... [/q] <coffFile>
#pragma once

#include <string>
#include <vector>

#include "addr_range.h"
#include "hex_format.h"

struct HexOptions {
  HexFormat format = HEX_INHX32;
  std::vector<AddrRange> ranges;  // in the order given; may overlap
  std::string fileName;           // exactly as typed
};

extern const char* const kHexUsageText;
extern const char* const kRangeSwitchMessage;
extern const char* const kFormatSwitchMessage;

// Reads argv[1] onwards into `options`: 1 when the line is complete, 0 with
// `message` set to the usage text or a switch message.
int parseCommandLine(int argc, const char* const* argv, HexOptions& options, std::string& message);
