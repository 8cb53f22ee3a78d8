// Reads of outside bytes, each checked against the length that is really
// there before anything is read or allocated: a damaged count or offset in
// a file fails the read instead of causing a huge allocation or a read past
// the end. Every reader of object, library and COD files reads through one.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

class BoundedReader {
 public:
  // Opens a file for reading. A named pipe or a socket is not opened: it
  // could wait for ever for a writer, and reads at an offset need seeks.
  explicit BoundedReader(const std::string& path);
  // Reads an open binary file, which the caller keeps open and closes.
  explicit BoundedReader(std::FILE* file);
  // Reads bytes held in memory.
  explicit BoundedReader(std::vector<uint8_t> image);

  BoundedReader(const BoundedReader&) = delete;
  BoundedReader& operator=(const BoundedReader&) = delete;

  // False when the file could not be opened.
  bool isOpen() const { return cFile != nullptr || cFromImage; }
  // Measured once; 0 when the length cannot be told, so that every read
  // of such a file fails.
  uint64_t length() const { return cLength; }
  // True when `count` bytes lie at `offset`; any count of zero bytes fits
  // at an offset up to the length.
  bool fits(uint64_t offset, uint64_t count) const;
  // Reads exactly `count` bytes at `offset`; false when they do not fit or
  // the read delivers less.
  bool read(uint64_t offset, uint64_t count, uint8_t* out);
  // The same into `out`, resized only once the bytes are known to fit.
  bool read(uint64_t offset, uint64_t count, std::vector<uint8_t>& out);
  // The whole file into `out`; false when it is longer than `limit` bytes,
  // its length cannot be told, or it cannot be read whole.
  bool readAll(uint64_t limit, std::vector<uint8_t>& out);

 private:
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };

  void measureFile();
  // One seek and one read of the file: false when it delivers less.
  bool readFromFile(uint64_t offset, uint64_t count, uint8_t* out);
  // The window filled from `offset` on; false when it does not then hold
  // `count` bytes there.
  bool fillWindow(uint64_t offset, uint64_t count);

  std::unique_ptr<std::FILE, FileCloser> cOwnedFile;  // opened here
  std::FILE* cFile = nullptr;
  std::vector<uint8_t> cImage;
  bool cFromImage = false;
  bool cMeasured = false;
  uint64_t cLength = 0;
  // File bytes read ahead: the readers ask for one small record after the
  // other, and a seek and a read for each made a library of thousands of
  // members cost a hundred thousand system calls.
  std::vector<uint8_t> cWindow;
  uint64_t cWindowStart = 0;
};
