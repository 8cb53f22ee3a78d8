#include "file_info.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <dirent.h>
#include <unistd.h>
#endif

bool isPathSeparator(char c) { return c == '/' || c == '\\'; }

std::string joinPath(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  if (isPathSeparator(directory.back())) return directory + name;
  return directory + '/' + name;
}

FileInfo::FileInfo(const std::string& path) {
  std::string rest = path;
  if (rest.size() >= 2 && rest[1] == ':' && std::isalpha(static_cast<unsigned char>(rest[0]))) {
    cDrive = rest.substr(0, 2);
    rest = rest.substr(2);
  }
  std::string::size_type lastSeparator = rest.find_last_of("/\\");
  if (lastSeparator != std::string::npos) {
    cDir = rest.substr(0, lastSeparator + 1);
    rest = rest.substr(lastSeparator + 1);
  }
  std::string::size_type lastDot = rest.rfind('.');
  if (lastDot != std::string::npos) {
    cExt = rest.substr(lastDot);
    rest = rest.substr(0, lastDot);
  }
  cFname = rest;
}

std::string FileInfo::path() const { return cDrive + cDir; }
std::string FileInfo::name() const { return cFname + cExt; }
std::string FileInfo::baseName() const { return cFname; }
std::string FileInfo::ext() const { return cExt; }
int FileInfo::hasPath() const { return cDir.empty() ? 0 : 1; }
int FileInfo::hasName() const { return cFname.empty() ? 0 : 1; }
std::string FileInfo::fullName() const { return hasPath() ? path() + name() : name(); }

int FileInfo::pathExists() const { return hasPath() && DirInfo(path()).dirExists() ? 1 : 0; }

int FileInfo::fileExists() const {
  if (!hasName()) return 0;
  const std::string file = hasPath() ? fullName() : name();
#ifdef _WIN32
  std::error_code error;
  return std::filesystem::exists(file, error) ? 1 : 0;
#else
  return access(file.c_str(), F_OK) == 0 ? 1 : 0;
#endif
}

void FileInfo::dump(std::ostream& out) const {
  out << "path()='" << path() << "' " << std::endl;
  out << "name()='" << name() << "' " << std::endl;
  out << "ext()='" << ext() << "' " << std::endl;
  out << "fullName()='" << fullName() << "' " << std::endl;
  out << "hasName()=" << hasName() << std::endl;
  out << "hasPath()=" << hasPath() << std::endl;
  out << "pathExists()=" << pathExists() << std::endl;
  out << "fileExists()=" << fileExists() << std::endl;
}

int DirInfo::dirExists() const {
#ifdef _WIN32
  std::error_code error;
  return std::filesystem::is_directory(cName, error) ? 1 : 0;
#else
  DIR* directory = opendir(cName.c_str());
  if (directory == nullptr) return 0;
  closedir(directory);
  return 1;
#endif
}

void DirInfo::dump(std::ostream& out) const {
  out << "name()='" << name() << "' " << std::endl;
  out << "dirExists()=" << dirExists() << std::endl;
}

bool isPipe(const std::string& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  return std::filesystem::is_fifo(status) || std::filesystem::is_socket(status);
}
