// A named pipe for tests of readers that must refuse one: while it lives, a
// helper thread keeps offering a writer, so that a reader which does open
// the pipe sees it end at once instead of waiting for ever.
#pragma once

#include <atomic>
#include <string>
#include <thread>

namespace qortest {

class UnblockedPipe {
 public:
  // Creates the pipe at `path`; fails the test when it cannot.
  explicit UnblockedPipe(const std::string& path);
  ~UnblockedPipe();
  UnblockedPipe(const UnblockedPipe&) = delete;
  UnblockedPipe& operator=(const UnblockedPipe&) = delete;

 private:
  void offerWriter();

  std::string cPath;
  std::atomic<bool> cDone{false};
  std::thread cWriter;
};

}  // namespace qortest
