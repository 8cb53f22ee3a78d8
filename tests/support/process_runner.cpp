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
  ProcessResult result;
  // Outputs go to temporary files so that a large output cannot block the child.
  char outName[] = "/tmp/qortest-outXXXXXX";
  char errName[] = "/tmp/qortest-errXXXXXX";
  int outFd = mkstemp(outName);
  int errFd = mkstemp(errName);
  if (outFd < 0 || errFd < 0) return result;

  pid_t child = fork();
  if (child == 0) {
    if (chdir(workDir.c_str()) != 0) _exit(126);
    if (fileSizeLimit != 0) {
      rlimit limit{};
      getrlimit(RLIMIT_FSIZE, &limit);
      limit.rlim_cur = static_cast<rlim_t>(fileSizeLimit);
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(125);
      signal(SIGXFSZ, SIG_DFL);
    }
    int nullFd = open("/dev/null", O_RDONLY);
    dup2(nullFd, 0);
    dup2(outFd, 1);
    dup2(errFd, 2);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  if (child > 0) waitpid(child, &status, 0);
  if (child > 0 && WIFEXITED(status)) {
    result.exitCode = WEXITSTATUS(status);
  } else if (child > 0 && WIFSIGNALED(status)) {
    result.signalled = true;
    result.exitCode = 128 + WTERMSIG(status);
  }
  lseek(outFd, 0, SEEK_SET);
  lseek(errFd, 0, SEEK_SET);
  result.output = readAll(outFd);
  result.errorOutput = readAll(errFd);
  close(outFd);
  close(errFd);
  unlink(outName);
  unlink(errName);
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
