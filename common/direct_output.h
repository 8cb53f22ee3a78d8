// An output written into its file where it stands, not through a
// replacement: a file whose folder takes no new file (rewritten in place), a
// pipe, a device, or the program's own standard output or error (streamed).
// The content is gathered in memory while it is written and goes to the file
// only when the run's outputs land, in one go: a run that fails before then
// has changed nothing, and a pipe's reader gets one whole output.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

class DirectOutput {
 public:
  DirectOutput() = default;
  DirectOutput(const DirectOutput&) = delete;
  DirectOutput& operator=(const DirectOutput&) = delete;
  DirectOutput(DirectOutput&& other) noexcept;
  ~DirectOutput();  // a write never landed leaves the file as it was

  // An existing regular file, opened without cutting it: 1 on success.
  int openInPlace(const std::string& name);
  // A pipe, a device or a socket, opened once. A pipe that nobody reads is
  // refused at once (writing into it would wait for ever).
  int openStream(const std::string& name);
  // The program's own standard output (1) or error (2): the output follows
  // what the program printed before it.
  int useStandardStream(int descriptor);

  bool isOpen() const { return cFile != nullptr || cDescriptor >= 0; }
  bool streams() const { return cStreams; }
  // Where the writers put the content; null until opened.
  std::FILE* file() const { return cFile; }

  // Closes what was gathered and, in place, makes sure that the whole new
  // content has room (the file size limit, space reserved on the disk)
  // before a byte of the old file changes: 1 when it may land.
  int prepare();
  // Writes the gathered content into the file (in place, cut to its new
  // length): 1 when the file holds it.
  int land();
  // Abandons the write: the file keeps its old content and length.
  void discard();

 private:
  int openDescriptor(int descriptor, bool owned, bool inPlace);
  bool fitsSizeLimit() const;
  bool reserveRoom();
  void restoreOldLength();
  int writeAll();
  void closeDescriptor();

  // The memory stream keeps the addresses of these two for as long as it is
  // open: they live apart from the object, which may move meanwhile.
  struct Gathered {
    char* bytes = nullptr;
    size_t length = 0;
    ~Gathered() { std::free(bytes); }
  };
  std::FILE* cFile = nullptr;  // the gathered content, in memory
  std::unique_ptr<Gathered> cGathered;
  int cDescriptor = -1;
  bool cOwned = false;  // a standard stream is not ours to close
  bool cStreams = false;
  bool cInPlace = false;
  bool cReserved = false;
  off_t cOldLength = 0;
};
