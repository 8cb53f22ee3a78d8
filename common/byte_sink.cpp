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
  const size_t written = std::fwrite(cBlock.data(), 1, cBlock.size(), cFile);
  cAccepted += written;
  cFailed = written != cBlock.size();
  cBlock.clear();
}

bool LimitedSink::put(const uint8_t*, size_t length) {
  if (length > cLeft) {
    cLeft = 0;
    return false;
  }
  cLeft -= length;
  return true;
}
