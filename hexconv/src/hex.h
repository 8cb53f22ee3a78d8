// The byte image of program memory and its writer in the Intel HEX layouts.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "data.h"
#include "hex_format.h"
#include "hex_record.h"

// A run of bytes from one byte address on.
class HexRange {
 public:
  HexRange() = default;
  // The range takes the bytes over: the image is held once.
  HexRange(uint32_t start, Data data) : cStart(start), cData(std::move(data)) {}

  bool operator<(const HexRange& other) const { return cStart < other.cStart; }
  void dump(std::ostream& out) const;

  uint32_t cStart = 0;
  Data cData;
};

// The name and the complete contents of one file that a layout produces.
struct HexFileText {
  std::string name;
  std::string text;
};

struct WordStretch;

class Hex {
 public:
  void sortRanges();
  // Writes the image in `format` into the current directory: 1 on success,
  // 0 after an error (a file that would be the input, two files that would
  // be one, or one that cannot be written; then no file is replaced). Ends
  // the program when an address does not fit the format, before any file is
  // touched.
  int write(HexFormat format);
  // The files that `write` puts on disk, composed in memory.
  std::vector<HexFileText> render(HexFormat format);
  // Appends an extended linear address record to `file` when the upper half
  // of `address` changes (or `first` is set) in INHX32; ends the program on
  // an address above 16 bits in the other layouts.
  void doLinearAddressRecord(HexText& file, uint32_t address, HexFormat format, int first);
  void dump(std::ostream& out) const;

  std::string cFileBaseName;
  // The object file the image was read from: no hex file is written over it.
  std::string cInputName;
  std::vector<HexRange> cRanges;

 private:
  void renderByteAddressed(HexFormat format, HexText& file);
  void renderWordAddressed(const std::vector<WordStretch>& stretches, HexText& lowFile,
                           HexText& highFile);

  uint32_t cLastAddress = 0;  // the address of the last extended linear address record
};
