#include "byte_sink.h"

#include <algorithm>

namespace {

// Large enough that the system calls are few, small beside any library.
constexpr size_t kBlockSize = size_t{1} << 18;

}  // namespace

bool FileSink::put(const uint8_t* bytes, size_t length) {
  return std::fwrite(bytes, 1, length, cFile) == length;
}

BlockSink::BlockSink(std::FILE* unbufferedFile) : cFile(unbufferedFile) {
  cBlock.reserve(kBlockSize);
}

bool BlockSink::put(const uint8_t* bytes, size_t length) {
  // A record of a block or more goes to the file from where it is, behind
  // what is gathered: a copy of a library's unchanged members costs no copy
  // through the block.
  if (length >= kBlockSize && !cFailed) {
    if (!cBlock.empty()) writeBlock();
    if (!cFailed) writeBytes(bytes, length);
    return true;
  }
  while (length > 0 && !cFailed) {
    const size_t taken = std::min(length, kBlockSize - cBlock.size());
    cBlock.insert(cBlock.end(), bytes, bytes + taken);
    bytes += taken;
    length -= taken;
    if (cBlock.size() == kBlockSize) writeBlock();
  }
  return true;
}

bool BlockSink::finish() {
  if (!cBlock.empty() && !cFailed) writeBlock();
  return !cFailed;
}

// An unbuffered stream hands the block to the system at once and counts the
// bytes that were really written, also when the write stops short.
void BlockSink::writeBlock() {
  writeBytes(cBlock.data(), cBlock.size());
  cBlock.clear();
}

void BlockSink::writeBytes(const uint8_t* bytes, size_t length) {
  const size_t written = std::fwrite(bytes, 1, length, cFile);
  cAccepted += written;
  cFailed = written != length;
}

bool LimitedSink::put(const uint8_t*, size_t length) {
  if (length > cLeft) {
    cLeft = 0;
    return false;
  }
  cLeft -= length;
  return true;
}
