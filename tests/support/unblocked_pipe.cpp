#include "unblocked_pipe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <chrono>

namespace qortest {

UnblockedPipe::UnblockedPipe(const std::string& path) : cPath(path) {
  EXPECT_EQ(mkfifo(path.c_str(), 0600), 0) << path;
  cWriter = std::thread([this] { offerWriter(); });
}

UnblockedPipe::~UnblockedPipe() {
  cDone = true;
  cWriter.join();
}

// A non-blocking open for writing succeeds only while a reader has the pipe
// open; closing the writer at once gives that reader the end of the file.
void UnblockedPipe::offerWriter() {
  while (!cDone) {
    const int writer = ::open(cPath.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0) ::close(writer);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace qortest
