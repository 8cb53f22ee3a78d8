// Finding and reading the inputs of a link: the object files and the
// libraries named on the command line and in command files. Every name is
// found before any file of its kind is read, so a misspelt last name costs
// no reading and leaves no half-filled input list behind.
#include <sys/stat.h>

#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "file_info.h"
#include "linker.h"

namespace {

// The path under which a named file is found: a name with a directory part
// as it is, a bare name in the first directory of the list that holds it.
std::optional<std::string> searchFile(const std::string& name,
                                      const std::vector<std::string>& directories) {
  if (FileInfo(name).hasPath()) {
    if (FileInfo(name).fileExists()) return name;
    return std::nullopt;
  }
  for (const std::string& directory : directories) {
    std::string candidate = joinPath(directory, name);
    if (FileInfo(candidate).fileExists()) return candidate;
  }
  return std::nullopt;
}

std::string notFoundText(const std::string& name) { return "could not find file '" + name + "'."; }

// The object files found so far, by path text and by the file itself: "x.o"
// found as "./x.o", a link to it or a second hard link name one file, and an
// object read twice would define each of its symbols twice.
class FoundFiles {
 public:
  // False when the path names a file already found.
  bool insert(const std::string& path) {
    if (!cPaths.insert(path).second) return false;
    struct stat status {};
    // The identity that std::filesystem::equivalent compares, kept in an
    // ordered set so that n files cost n log n, not n squared.
    if (::stat(path.c_str(), &status) != 0) return true;
    return cFiles.emplace(status.st_dev, status.st_ino).second;
  }

 private:
  std::set<std::string> cPaths;
  std::set<std::pair<dev_t, ino_t>> cFiles;
};

}  // namespace

int Linker::findObjectFiles(std::string& error) {
  if (cObjectFile.empty()) {
    error = "no input object files specified.";
    return 0;
  }
  // An object in a library directory wins over one of the same name in the
  // current directory.
  std::vector<std::string> directories(cLibPath.begin(), cLibPath.end());
  directories.emplace_back(".");
  FoundFiles found;
  for (std::string& name : cObjectFile) {
    std::optional<std::string> path = searchFile(name, directories);
    if (!path) {
      error = notFoundText(name);
      return 0;
    }
    if (!found.insert(*path)) {
      error = "mutliple inclusion of object file '" + name + "' ";
      return 0;
    }
    name = *path;
  }
  for (const std::string& path : cObjectFile) {
    std::unique_ptr<Coff> object = Coff::make(path);
    if (!object) return 0;
    // Later phases index the tables by what the file says; a file whose
    // indexes do not hold is not linked.
    if (object->verify() == 0) return 0;
    cCoff.push_back(std::move(object));
  }
  return 1;
}

int Linker::findLibraryFiles(std::string& error) {
  // Libraries are looked for only in the library directories.
  const std::vector<std::string> directories(cLibPath.begin(), cLibPath.end());
  for (std::string& name : cLibraryFile) {
    std::optional<std::string> path = searchFile(name, directories);
    if (!path) {
      error = notFoundText(name);
      return 0;
    }
    name = *path;
  }
  for (const std::string& path : cLibraryFile) {
    std::unique_ptr<Archive> library = Archive::make(path);
    if (!library) return 0;
    cArchives.push_back(std::move(library));
  }
  return 1;
}
