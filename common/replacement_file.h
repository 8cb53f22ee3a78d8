// Writing an output file so that a failed run never leaves the user's old
// file destroyed: the new content goes to a temporary beside the target and
// is moved over it only when complete. Seen from outside, replacing behaves
// like a plain open for writing: a name that such an open would refuse is
// refused, a link is written through (the link stays, and a link to a file
// not there yet creates that file), and the replaced file keeps its
// permissions. A file that is written where it stands instead (a pipe, a
// device, the program's own output, or a file whose folder takes no new
// file) gets its whole new content at once when the write is committed.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "direct_output.h"

class ReplacementFile {
 public:
  ReplacementFile() = default;
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;
  ReplacementFile(ReplacementFile&& other) noexcept;
  ~ReplacementFile();  // discards a write that was never committed

  // For a file that holds the user's only copy of what it keeps: when no
  // temporary can be made beside it, `open` refuses rather than write it in
  // place. Set before `open`.
  void keepWhole() { cKeepWhole = true; }

  // Opens for writing (in binary form or, for `textMode`, with the host's
  // line ends) a fresh temporary beside the file that `name` stands for or,
  // when that file is a device, a pipe, the program's own standard output or
  // error, or a file whose folder takes no new file (a folder we may not add
  // to, holding a target we may write), that file itself. Any other failure
  // to make the temporary opens nothing (answers 0), as do a directory, an
  // existing file that may not be written, a missing file whose folder is
  // missing too, a loop of links, and a pipe that nobody reads (writing into it would wait for
  // ever). Before the target itself is opened, `beforeWritingInPlace` (when given) runs, while the
  // old content is still there: a caller that reads from the file it replaces takes what it needs;
  // its false opens nothing. A file written where it stands is not changed before the commit
  // either.
  int open(const std::string& name, bool textMode = false,
           const std::function<bool()>& beforeWritingInPlace = nullptr);

  // The file to write through; never opened again by name.
  std::FILE* file() const { return cFile; }
  // The name written: the temporary, or the target itself.
  const std::string& writeName() const { return cDirect.isOpen() ? cTarget : cTempName; }
  // Written into a pipe, a device or a standard stream: what it takes
  // cannot be taken back, and writing may wait for its reader.
  bool streams() const { return cDirect.streams(); }
  // Hands every write to the file at once, so that each tells how many
  // bytes the file took. A content gathered in memory stays buffered: its
  // writes fail only for want of memory.
  void writeUnbuffered();
  // Writes the whole text to the file that `open` opened: 1 on success.
  int writeText(const std::string& text);

  // Completes the write: closes the file that `open` opened and moves the
  // temporary over the target with the target's permissions. 1 when the
  // target now holds the new content; 0 leaves the old file as it was.
  int commit();
  // The two steps of a commit, for outputs that land together. `prepare`
  // closes the file and, for a file written in place, makes sure the whole
  // new content has room (the file size limit, space on the disk) without
  // changing a byte of the old one; after its 0 the write is abandoned.
  // `land` puts the new content in place.
  int prepare();
  int land();
  // Abandons the write: the temporary is closed and removed.
  void discard();

 private:
  // Takes the target that `cDirect` opened (its 1) as the file to write.
  int writeDirectly(int opened);

  std::string cTarget;    // the file behind the name (a link is followed)
  std::string cTempName;  // empty when writing the target directly
  std::FILE* cFile = nullptr;
  DirectOutput cDirect;  // open when the target is written where it stands
  bool cKeepWhole = false;
};
