// The symbol table as the listing's scans see it, indexed once per listing.
// For every source line the listing asks which ".list"/".nolist" switch
// applies and whether the file includes another one there; walking the
// table from the file's position for each line made a listing cost the
// product of its lines and symbols. The index answers both in logarithmic
// time, with exactly the answers of those walks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "coff.h"

// What one symbol table entry means to the scans.
enum ListingMark : uint8_t { MARK_OTHER, MARK_AUX, MARK_FILE, MARK_EOF, MARK_LIST, MARK_NOLIST };

class ListingScanIndex {
 public:
  static constexpr std::size_t NONE = static_cast<std::size_t>(-1);

  // Reads the name of every entry of the table (a name missing from the
  // string table ends the run there, before any file is written).
  explicit ListingScanIndex(const Coff& coff);

  static uint8_t readMark(const Coff& coff, std::size_t index);
  uint8_t mark(std::size_t index) const { return cMarks[index]; }
  // The scans stop before the table's last entry.
  std::size_t limit() const { return cLimit; }

  // The first ".list" or ".nolist" entry of `line` from `start` up to the
  // next ".file" or ".eof": MARK_LIST, MARK_NOLIST, or MARK_OTHER when there
  // is none.
  uint8_t listSwitch(std::size_t start, uint32_t line) const;

  // The first ".file" from `start` on, up to the ".eof" that closes the file
  // whose symbols continue at `start`, of a file that this file includes
  // itself at `line` (a ".file" without an include line counts only at
  // `start`). The runs of the files it includes are passed over whole, so a
  // line of a file included there is never taken for a line of this one.
  // NONE when there is no such entry.
  std::size_t includedFile(const Coff& coff, std::size_t start, uint32_t line) const;

 private:
  // Entries found by the walk that starts at an index share `end` (and
  // `level`); within it they are ordered by line and by index, so the first
  // entry of a line at or after the start is one binary search away.
  struct Key {
    std::size_t end = 0;
    int64_t level = 0;
    uint32_t line = 0;
    std::size_t index = 0;
    auto operator<=>(const Key&) const = default;
  };

  void computeLevels();
  void computeRunEnds();
  void computeGroupEnds();
  void collectKeys(const Coff& coff);
  // The first key of `keys` not below `wanted` when it matches all but its
  // index; null otherwise.
  static const Key* firstFrom(const std::vector<Key>& keys, const Key& wanted);

  std::vector<uint8_t> cMarks;  // one per entry of the table
  std::size_t cLimit = 0;
  // Per index below the limit: files opened minus files closed before it.
  std::vector<int64_t> cLevel;
  // Per index: the next ".file" or ".eof" at or after it (or the limit).
  std::vector<std::size_t> cRunEnd;
  // Per index: the next ".eof" at or after it on its own level (or the
  // limit): where the walk of its file's own includes ends.
  std::vector<std::size_t> cGroupEnd;
  std::vector<Key> cSwitches;  // ".list"/".nolist" by run end, line, index
  std::vector<Key> cIncludes;  // ".file" with include lines by group, line, index
};
