// Where an object or library image goes as it is written, record by record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Appends the bytes; false when they could not all be taken.
  virtual bool put(const uint8_t* bytes, size_t length) = 0;
};

// Each record straight to an open file through its stdio stream.
class FileSink : public ByteSink {
 public:
  explicit FileSink(std::FILE* file) : cFile(file) {}
  bool put(const uint8_t* bytes, size_t length) override;

 private:
  std::FILE* cFile;
};

// Records gathered into large blocks, each block one write to an unbuffered
// stream, so that a library of thousands of small records costs a few
// system calls. A failed write cannot be blamed on the record that is put
// at that moment: the sink takes every record (dropping them after a
// failure) and tells afterwards how many bytes the file accepted, which is
// where the first refused byte lies.
class BlockSink : public ByteSink {
 public:
  explicit BlockSink(std::FILE* unbufferedFile);
  bool put(const uint8_t* bytes, size_t length) override;
  // Writes what is still gathered; true when every byte put reached the file.
  bool finish();
  // Bytes the file accepted, valid after a failed finish().
  uint64_t accepted() const { return cAccepted; }

 private:
  void writeBlock();

  std::FILE* cFile;
  std::vector<uint8_t> cBlock;
  uint64_t cAccepted = 0;
  bool cFailed = false;
};

// Takes `limit` bytes and refuses the record that would go past them. Run
// over the same records, it finds the record that a file accepting only
// that many bytes failed at, as an unbuffered write would have met it.
class LimitedSink : public ByteSink {
 public:
  explicit LimitedSink(uint64_t limit) : cLeft(limit) {}
  bool put(const uint8_t* bytes, size_t length) override;

 private:
  uint64_t cLeft;
};
