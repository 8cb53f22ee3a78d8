#include "same_file.h"

#include <filesystem>
#include <system_error>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// The system follows at most this many links in one name.
const int kMaxLinkHops = 40;

// The absolute path of a file that does not exist (yet): the folders that
// exist resolved with their links, the rest taken as written.
std::string resolvedPath(const std::string& name) {
  std::error_code error;
  fs::path path = fs::weakly_canonical(fs::absolute(fileBehind(name), error), error);
  if (error) path = fs::absolute(name, error);
  return path.lexically_normal().string();
}

}  // namespace

std::string fileBehind(const std::string& name) {
  fs::path current = name;
  std::error_code error;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    if (!fs::is_symlink(fs::symlink_status(current, error))) break;
    const fs::path target = fs::read_symlink(current, error);
    if (error) break;
    current = target.is_absolute() ? target : current.parent_path() / target;
  }
  return current.string();
}

bool isSameFile(const std::string& first, const std::string& second) {
  struct stat firstStatus {};
  struct stat secondStatus {};
  const bool firstExists = ::stat(first.c_str(), &firstStatus) == 0;
  const bool secondExists = ::stat(second.c_str(), &secondStatus) == 0;
  if (firstExists != secondExists) return false;
  if (firstExists) {
    return firstStatus.st_dev == secondStatus.st_dev && firstStatus.st_ino == secondStatus.st_ino &&
           S_ISREG(firstStatus.st_mode);
  }
  return resolvedPath(first) == resolvedPath(second);
}

std::string outputOverInputText(const std::string& output, const std::string& input) {
  return "the output file '" + output + "' is the same file as the input '" + input + "'.";
}

std::string outputOverOutputText(const std::string& output, const std::string& other) {
  return "the output file '" + output + "' is the same file as '" + other + "'.";
}

std::string sameFileRefusal(const std::vector<std::string>& outputs,
                            const std::vector<std::string>& inputs) {
  for (const std::string& output : outputs)
    if (const std::string* input = sameFileAmong(output, inputs))
      return outputOverInputText(output, *input);
  for (size_t i = 0; i < outputs.size(); ++i)
    for (size_t j = i + 1; j < outputs.size(); ++j)
      if (isSameFile(outputs[i], outputs[j])) return outputOverOutputText(outputs[i], outputs[j]);
  return std::string();
}
