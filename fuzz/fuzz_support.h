// What the fuzz targets share: running one input so that a fatal diagnostic
// ends the input rather than the fuzzer, scratch files, and the report of a
// broken property.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class Coff;

namespace qorfuzz {

// Zero-filled sections may be megabytes long: rewriting objects whose
// sections add up to more than this is slow without finding more.
constexpr uint64_t MAX_REWRITTEN_SECTION_BYTES = uint64_t{1} << 20;

// The bytes of all the sections of an object.
uint64_t sectionBytes(const Coff& object);

// Resets the diagnostics to quiet, counted from zero, for the next input.
void startInput();

// Runs `step`. A fatal diagnostic ends a real program with exit code 255;
// here it ends the step instead. Returns false when it ended that way.
bool runUntilFatal(const std::function<void()>& step);

// A file name of this process's own in the temporary directory.
std::string scratchPath(const std::string& name);

// A folder of this process's own in the temporary directory, made empty
// with the given subfolders; it goes, with all in it, when the process
// ends.
std::string scratchFolder(const std::string& name, const std::vector<std::string>& subfolders);

// The working directory moved to a folder for as long as this lives, so that
// a program's relative names (its output, its map, the command files it
// finds in ".") land in a scratch folder rather than in the tree. Give the
// fuzzer an absolute -artifact_prefix: a crash leaves the working directory
// where it is.
class WorkingFolder {
 public:
  explicit WorkingFolder(const std::string& folder);
  ~WorkingFolder();
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;

 private:
  std::string cPrevious;
};

bool writeBytes(const std::string& path, const uint8_t* data, size_t size);
std::vector<uint8_t> readBytes(const std::string& path);

// Reports a broken property of the code under test and aborts, so that the
// fuzzer records the input.
[[noreturn]] void fail(const std::string& what);

}  // namespace qorfuzz
