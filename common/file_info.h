// File and directory names: a path split into drive, directory, name and
// extension, with the existence tests of the host.
#pragma once

#include <ostream>
#include <string>

class FileInfo {
 public:
  explicit FileInfo(const std::string& path);

  std::string path() const;      // drive followed by dir
  std::string name() const;      // fname followed by ext
  std::string baseName() const;  // fname alone
  std::string ext() const;       // ext with its dot
  int hasPath() const;           // dir not empty (a drive alone does not count)
  int hasName() const;           // fname not empty
  std::string fullName() const;  // path + name when hasPath, else name
  int pathExists() const;
  int fileExists() const;
  void dump(std::ostream& out) const;

 private:
  std::string cDrive;  // letter and colon, or empty
  std::string cDir;    // with its trailing separator, or empty
  std::string cFname;
  std::string cExt;
};

class DirInfo {
 public:
  explicit DirInfo(const std::string& name) : cName(name) {}
  std::string name() const { return cName; }
  int dirExists() const;
  void dump(std::ostream& out) const;

 private:
  std::string cName;
};

// True for a named pipe or a socket: opening one for reading could wait for
// ever for a writer, and the readers' seeks do not work on it.
bool isPipe(const std::string& path);

// True for '/' and '\\': both separate path components on every host.
bool isPathSeparator(char c);

// Joins a directory and a name with the host's separator, never doubling a
// separator that the directory already ends with. An empty directory gives
// the name alone.
std::string joinPath(const std::string& directory, const std::string& name);
