// Runs a built program as a separate process in a scratch directory and
// captures what it prints, for end-to-end tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qortest {

struct ProcessResult {
  int exitCode = -1;        // the exit status, or 128 + signal number when killed
  bool signalled = false;   // true when a signal ended the process
  std::string output;       // standard output
  std::string errorOutput;  // the real standard error (assertion reports)
};

// Runs `program` with `arguments` (passed exactly, no shell) in `workDir`.
ProcessResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workDir);
// The same with the size of every file the program writes limited to
// `fileSizeLimit` bytes (its captured output included), and the limit's
// signal at its default, so that the program meets the limit as a user's
// run would.
ProcessResult runProgramWithFileLimit(const std::string& program,
                                      const std::vector<std::string>& arguments,
                                      const std::string& workDir, uint64_t fileSizeLimit);

// A program started and not yet waited for, held and let go by signals.
// The interrupt, terminate and hang-up signals start at their defaults and
// unblocked, as from an interactive shell.
class RunningProgram {
 public:
  RunningProgram(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& workDir, uint64_t fileSizeLimit = 0);
  ~RunningProgram();  // kills a program not waited for
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  // Stops the program where it is: true once it stands still, false when
  // it has ended instead.
  bool stop();
  // Lets a stopped program go on.
  void resume();
  void send(int signal);
  // Waits for the end and gives what the program printed.
  ProcessResult wait();

 private:
  int cChild = -1;
  int cOutFd = -1;
  int cErrFd = -1;
  std::string cOutName;
  std::string cErrName;
  int cStatus = 0;
  bool cEnded = true;  // also when nothing could be started
};

// A fresh, empty directory that is removed with everything in it at the end
// of the test.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return cPath; }
  std::string file(const std::string& name) const { return cPath + "/" + name; }

 private:
  std::string cPath;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);
bool fileExists(const std::string& path);
// `folder` named by a path of exactly `length` characters (more than its
// own), padded with "." steps: near the system's limit of a path, a short
// file name in it fits and a longer one does not.
std::string folderPathOfLength(std::string folder, size_t length);

}  // namespace qortest
