#include "fuzz_support.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "coff.h"
#include "diagnostics.h"

namespace {

// Thrown in place of exit() while an input runs; caught by runUntilFatal.
struct FatalExit {
  int code;
};

bool stepRunning = false;

// The scratch files of this process, removed when it ends so that runs do
// not pile them up in the temporary directory.
std::vector<std::string>& scratchFiles() {
  static std::vector<std::string> files;
  return files;
}

std::vector<std::string>& scratchFolders() {
  static std::vector<std::string> folders;
  return folders;
}

void removeScratchFiles() {
  for (const std::string& path : scratchFiles()) std::remove(path.c_str());
  std::error_code ignored;
  for (const std::string& path : scratchFolders()) std::filesystem::remove_all(path, ignored);
}

// Registered after the lists exist, so it runs before they are gone.
void removeScratchAtExit() {
  static const bool registered = std::atexit(removeScratchFiles) == 0;
  (void)registered;
}

std::filesystem::path temporaryDirectory() {
  std::error_code error;
  auto directory = std::filesystem::temp_directory_path(error);
  return error ? std::filesystem::path(".") : directory;
}

}  // namespace

// The linker is asked (--wrap=exit) to send every call of exit() here: the
// fuzzer's own calls pass on, those from a running input become a FatalExit.
extern "C" [[noreturn]] void __real_exit(int code);
extern "C" [[noreturn]] void __wrap_exit(int code) {
  if (stepRunning) throw FatalExit{code};
  __real_exit(code);
}

namespace qorfuzz {

void startInput() {
  resetDiagnostics();
  setQuiet(1);
}

bool runUntilFatal(const std::function<void()>& step) {
  stepRunning = true;
  bool finished = true;
  try {
    step();
  } catch (const FatalExit& fatal) {
    if (fatal.code != 255) fail("exit with code " + std::to_string(fatal.code) + " inside a step");
    finished = false;
  }
  stepRunning = false;
  return finished;
}

uint64_t sectionBytes(const Coff& object) {
  uint64_t total = 0;
  for (const auto& [name, data] : object.cRawData) total += data.size();
  return total;
}

std::string scratchPath(const std::string& name) {
  std::string path =
      (temporaryDirectory() / ("qorfuzz-" + std::to_string(getpid()) + "-" + name)).string();
  std::vector<std::string>& files = scratchFiles();
  scratchFolders();
  removeScratchAtExit();
  if (std::find(files.begin(), files.end(), path) == files.end()) files.push_back(path);
  return path;
}

std::string scratchFolder(const std::string& name, const std::vector<std::string>& subfolders) {
  const std::filesystem::path folder = std::filesystem::absolute(temporaryDirectory()) /
                                       ("qorfuzz-" + std::to_string(getpid()) + "-" + name);
  std::vector<std::string>& folders = scratchFolders();
  scratchFiles();
  removeScratchAtExit();
  if (std::find(folders.begin(), folders.end(), folder.string()) == folders.end())
    folders.push_back(folder.string());
  std::error_code error;
  std::filesystem::remove_all(folder, error);
  std::filesystem::create_directories(folder, error);
  for (const std::string& subfolder : subfolders)
    std::filesystem::create_directories(folder / subfolder, error);
  if (error) fail("scratch folder " + folder.string() + " not made");
  return folder.string();
}

WorkingFolder::WorkingFolder(const std::string& folder) {
  std::error_code error;
  cPrevious = std::filesystem::current_path(error).string();
  if (error) fail("no working directory");
  std::filesystem::current_path(folder, error);
  if (error) fail("cannot move into " + folder);
}

WorkingFolder::~WorkingFolder() {
  std::error_code error;
  std::filesystem::current_path(cPrevious, error);
  if (error) fail("cannot move back into " + cPrevious);
}

bool writeBytes(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

std::vector<uint8_t> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void fail(const std::string& what) {
  std::fprintf(stderr, "broken property: %s\n", what.c_str());
  std::abort();
}

}  // namespace qorfuzz
