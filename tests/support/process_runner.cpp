#include "process_runner.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace qortest {

namespace {

std::string readAll(int fd) {
  std::string text;
  char buffer[4096];
  ssize_t count;
  while ((count = read(fd, buffer, sizeof buffer)) > 0)
    text.append(buffer, static_cast<size_t>(count));
  return text;
}

}  // namespace

ProcessResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workDir) {
  return runProgramWithFileLimit(program, arguments, workDir, 0);
}

ProcessResult runProgramWithFileLimit(const std::string& program,
                                      const std::vector<std::string>& arguments,
                                      const std::string& workDir, uint64_t fileSizeLimit) {
  return RunningProgram(program, arguments, workDir, fileSizeLimit).wait();
}

RunningProgram::RunningProgram(const std::string& program,
                               const std::vector<std::string>& arguments,
                               const std::string& workDir, uint64_t fileSizeLimit) {
  // Outputs go to temporary files so that a large output cannot block the child.
  char outName[] = "/tmp/qortest-outXXXXXX";
  char errName[] = "/tmp/qortest-errXXXXXX";
  cOutFd = mkstemp(outName);
  cErrFd = mkstemp(errName);
  cOutName = outName;
  cErrName = errName;
  if (cOutFd < 0 || cErrFd < 0) return;

  cChild = fork();
  if (cChild == 0) {
    if (chdir(workDir.c_str()) != 0) _exit(126);
    if (fileSizeLimit != 0) {
      rlimit limit{};
      getrlimit(RLIMIT_FSIZE, &limit);
      limit.rlim_cur = static_cast<rlim_t>(fileSizeLimit);
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(125);
      signal(SIGXFSZ, SIG_DFL);
    }
    sigset_t ending;
    sigemptyset(&ending);
    for (int number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) {
      signal(number, SIG_DFL);
      sigaddset(&ending, number);
    }
    sigprocmask(SIG_UNBLOCK, &ending, nullptr);
    int nullFd = open("/dev/null", O_RDONLY);
    dup2(nullFd, 0);
    dup2(cOutFd, 1);
    dup2(cErrFd, 2);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  cEnded = cChild < 0;
}

RunningProgram::~RunningProgram() {
  if (!cEnded) {
    kill(cChild, SIGKILL);
    wait();
  }
  if (cOutFd >= 0) close(cOutFd);
  if (cErrFd >= 0) close(cErrFd);
  unlink(cOutName.c_str());
  unlink(cErrName.c_str());
}

bool RunningProgram::stop() {
  if (cEnded) return false;
  kill(cChild, SIGSTOP);
  int status = 0;
  const bool seen = waitpid(cChild, &status, WUNTRACED) == cChild;
  if (seen && WIFSTOPPED(status)) return true;
  cStatus = seen ? status : 0;
  cEnded = true;
  return false;
}

void RunningProgram::resume() {
  if (!cEnded) kill(cChild, SIGCONT);
}

void RunningProgram::send(int signal) {
  if (!cEnded) kill(cChild, signal);
}

ProcessResult RunningProgram::wait() {
  ProcessResult result;
  if (cChild < 0) return result;
  if (!cEnded) {
    waitpid(cChild, &cStatus, 0);
    cEnded = true;
  }
  if (WIFEXITED(cStatus)) {
    result.exitCode = WEXITSTATUS(cStatus);
  } else if (WIFSIGNALED(cStatus)) {
    result.signalled = true;
    result.exitCode = 128 + WTERMSIG(cStatus);
  }
  lseek(cOutFd, 0, SEEK_SET);
  lseek(cErrFd, 0, SEEK_SET);
  result.output = readAll(cOutFd);
  result.errorOutput = readAll(cErrFd);
  return result;
}

ScratchDir::ScratchDir() {
  char name[] = "/tmp/qortest-dirXXXXXX";
  if (mkdtemp(name) != nullptr) cPath = name;
}

ScratchDir::~ScratchDir() {
  std::error_code error;
  if (!cPath.empty()) std::filesystem::remove_all(cPath, error);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

bool fileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

std::string folderPathOfLength(std::string folder, size_t length) {
  if ((length - folder.size()) % 2 != 0) folder += '/';
  while (folder.size() < length) folder += "/.";
  return folder;
}

}  // namespace qortest
