// A stream buffer that writes into a C file opened elsewhere, so that a
// stream writer can write through the file that a replacement opened
// instead of opening its name a second time.
#pragma once

#include <cstdio>
#include <streambuf>

class FileStreamBuffer : public std::streambuf {
 public:
  // Writes into `file` (which stays open; null refuses every write).
  explicit FileStreamBuffer(std::FILE* file = nullptr) : cFile(file) {}
  void attach(std::FILE* file) { cFile = file; }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

 private:
  std::FILE* cFile;
};
