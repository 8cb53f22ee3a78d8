// A text file written beside its final name and renamed over it only when
// it is complete, so that a failed run never leaves an old file truncated.
// Where no temporary can be made beside it, the file itself is written.
#pragma once

#include <cstdio>
#include <string>

class ReplacementFile {
 public:
  ReplacementFile() = default;
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;
  ~ReplacementFile();  // removes a temporary that was never committed

  // 1 when `name` can be replaced and its temporary (or, failing that, the
  // file itself) was opened; 0 when the name is a directory, an existing
  // file that may not be written, or cannot be created.
  int open(const std::string& name);
  // Writes the whole text (text mode, so the host's line ends) and closes
  // the temporary: 1 on success.
  int writeText(const std::string& text);
  // Renames the written temporary over the final name, with the permissions
  // of the file it replaces: 1 on success.
  int commit();

 private:
  void discard();

  std::string cName;
  std::string cTempName;
  std::FILE* cFile = nullptr;
  bool cWritten = false;
  bool cDirect = false;  // writing the final name itself, no temporary
};
