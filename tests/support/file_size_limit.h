// Limits the size of files this process writes while it lives, so that a
// write fails at a chosen byte; the signal that would end the process is
// ignored meanwhile. For tests of writes that must fail without harm.
#pragma once

#include <sys/resource.h>

#include <csignal>

namespace qortest {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &cOld);
    cOldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = cOld;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &cOld);
    std::signal(SIGXFSZ, cOldHandler);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit cOld{};
  void (*cOldHandler)(int);
};

}  // namespace qortest
