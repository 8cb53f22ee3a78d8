#include "direct_output.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <iostream>
#include <utility>

#include "temporary_registry.h"

DirectOutput::DirectOutput(DirectOutput&& other) noexcept
    : cFile(std::exchange(other.cFile, nullptr)),
      cGathered(std::move(other.cGathered)),
      cDescriptor(std::exchange(other.cDescriptor, -1)),
      cOwned(std::exchange(other.cOwned, false)),
      cStreams(std::exchange(other.cStreams, false)),
      cInPlace(std::exchange(other.cInPlace, false)),
      cReserved(std::exchange(other.cReserved, false)),
      cOldLength(other.cOldLength) {}

DirectOutput::~DirectOutput() { discard(); }

int DirectOutput::openInPlace(const std::string& name) {
  // No O_TRUNC: the old content stays until the new one lands.
  return openDescriptor(::open(name.c_str(), O_WRONLY | O_CLOEXEC), true, true);
}

int DirectOutput::openStream(const std::string& name) {
  // Without waiting: a pipe opens only while somebody reads it. The one
  // descriptor opened is the one written, so the reader sees one writer.
  const int descriptor = ::open(name.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor >= 0) {
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags == -1 || ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) == -1) {
      ::close(descriptor);
      return 0;
    }
  }
  return openDescriptor(descriptor, true, false);
}

int DirectOutput::useStandardStream(int descriptor) {
  return openDescriptor(descriptor, false, false);
}

int DirectOutput::openDescriptor(int descriptor, bool owned, bool inPlace) {
  discard();
  if (descriptor < 0) return 0;
  cDescriptor = descriptor;
  cOwned = owned;
  cInPlace = inPlace;
  cStreams = !inPlace;
  cGathered = std::make_unique<Gathered>();
  cFile = ::open_memstream(&cGathered->bytes, &cGathered->length);
  if (cFile != nullptr) return 1;
  discard();
  return 0;
}

int DirectOutput::prepare() {
  if (cFile == nullptr || cDescriptor < 0) return 0;
  const bool gathered = std::fclose(cFile) == 0;
  cFile = nullptr;
  if (!gathered) return 0;
  if (!cInPlace) return 1;
  return fitsSizeLimit() && reserveRoom() ? 1 : 0;
}

// The limit stops every write past it, also one inside an old file that is
// already longer: a content past it could not be written whole.
bool DirectOutput::fitsSizeLimit() const {
  rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return true;
  return static_cast<uint64_t>(cGathered->length) <= static_cast<uint64_t>(limit.rlim_cur);
}

// The space is taken before the first byte is written, so that a full disk
// fails the write here, while the old file is whole. Reserving changes no
// existing byte; a length it adds is taken back if the run fails.
bool DirectOutput::reserveRoom() {
  struct stat status {};
  if (::fstat(cDescriptor, &status) != 0) return false;
  cOldLength = status.st_size;
  if (cGathered->length == 0) return true;
  const int failure = ::posix_fallocate(cDescriptor, 0, static_cast<off_t>(cGathered->length));
  cReserved = true;
  // A file system that cannot reserve space still takes the write.
  if (failure == 0 || failure == EOPNOTSUPP || failure == ENOSYS) return true;
  restoreOldLength();
  return false;
}

void DirectOutput::restoreOldLength() {
  struct stat status {};
  if (cReserved && ::fstat(cDescriptor, &status) == 0 && status.st_size > cOldLength)
    (void)::ftruncate(cDescriptor, cOldLength);
  cReserved = false;
}

int DirectOutput::land() {
  if (cDescriptor < 0 || cFile != nullptr) return 0;
  int written = 0;
  if (cInPlace) {
    // A signal that ends the program waits for the file to be whole.
    TerminationSignalsHeld held;
    written = ::lseek(cDescriptor, 0, SEEK_SET) == 0 && writeAll() &&
              ::ftruncate(cDescriptor, static_cast<off_t>(cGathered->length)) == 0;
    cReserved = false;
  } else {
    // Behind whatever the program printed before.
    std::cout.flush();
    std::fflush(stdout);
    std::fflush(stderr);
    written = writeAll();
  }
  closeDescriptor();
  cGathered.reset();
  return written;
}

int DirectOutput::writeAll() {
  size_t done = 0;
  const Gathered& content = *cGathered;
  while (done < content.length) {
    const ssize_t taken = ::write(cDescriptor, content.bytes + done, content.length - done);
    if (taken < 0 && errno == EINTR) continue;
    if (taken <= 0) return 0;
    done += static_cast<size_t>(taken);
  }
  return 1;
}

void DirectOutput::discard() {
  if (cFile != nullptr) std::fclose(cFile);
  cFile = nullptr;
  if (cDescriptor >= 0) restoreOldLength();
  closeDescriptor();
  cGathered.reset();
  cStreams = false;
  cInPlace = false;
}

void DirectOutput::closeDescriptor() {
  if (cDescriptor >= 0 && cOwned) ::close(cDescriptor);
  cDescriptor = -1;
  cOwned = false;
}
