// The split layout's view of the image: whole program words at word
// addresses, each byte in the word its byte address names (even: the low
// byte, odd: the high byte).
#pragma once

#include <cstdint>
#include <vector>

#include "hex.h"

// Words written as one stretch of records: one range, or on a byte-addressed
// memory ranges that follow each other without a gap and meet inside a word,
// so that the word they share is written once with both its bytes.
struct WordStretch {
  uint32_t firstWord = 0;
  uint32_t words = 0;
  std::vector<const HexRange*> ranges;  // in address order, each non-empty
};

// The stretches of `ranges`, which are sorted by start. Ranges that overlap
// stay apart and are written as they are, one after the other.
std::vector<WordStretch> wordStretches(const std::vector<HexRange>& ranges);

// The bytes of a stretch's words in address order: 0x00 where no range gives
// one (before a range that starts at an odd address, after one that ends
// before its last word is whole).
class StretchBytes {
 public:
  explicit StretchBytes(const WordStretch& stretch);
  uint8_t next();

 private:
  const std::vector<const HexRange*>& cRanges;
  size_t cIndex = 0;      // the range that holds the next byte, or will
  uint64_t cAddress = 0;  // the byte address of the next byte
};
