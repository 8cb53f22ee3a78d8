// Linker command files: finding them, reading them line by line and handing
// every directive to the Linker. An INCLUDE reads the named file at once and
// then goes on with the rest of its own line.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <span>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "bounded_reader.h"
#include "file_info.h"
#include "linker.h"
#include "parser.h"
#include "parser_path_list.h"
#include "text_helpers.h"
#include "value_records.h"

namespace {

// One command file being read: where its next line starts, and the words
// of the current line still to be read. The file is read a window at a
// time and only the current line is held, so that a huge command file
// costs no more memory than its longest line. While an included file is
// read, the including one is closed and opened again to go on, so that a
// long chain of inclusions does not run out of open files.
struct OpenCommandFile {
  std::string path;
  std::unique_ptr<BoundedReader> reader;
  uint64_t nextLine = 0;
  int lineNumber = 0;
  std::istringstream words;
  int including = 0;       // reading the tokens of an INCLUDE line
  int includedTokens = 0;  // how many of them so far

  // A directory, a device or a pipe is refused: it has no length to read,
  // or could keep the run waiting for ever.
  int open() {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return 0;
    reader = std::make_unique<BoundedReader>(path);
    return reader->isOpen() ? 1 : 0;
  }
  void close() { reader.reset(); }

  // Moves to the next line: 1, 0 at the end of the file, -1 when the file
  // cannot be read. A line is read whole, however long; a carriage return
  // before its line end is no part of it, and neither is anything after a
  // NUL byte, which ends a text line.
  int advance() {
    if (!reader && !open()) return -1;
    if (nextLine >= reader->length()) return 0;
    std::string line;
    if (!readLine(line)) return -1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // The text ends at a NUL, and the directive at its comment.
    const std::size_t nul = line.find('\0');
    if (nul != std::string::npos) line.resize(nul);
    line = Parser::stripComment(std::move(line));
    line.push_back(' ');
    words.str(std::move(line));
    words.clear();
    return 1;
  }

  std::string place() const { return "'" + path + ":" + std::to_string(lineNumber) + "'"; }

 private:
  // The bytes up to the next line end or the end of the file; false when
  // the file delivers less than its length.
  bool readLine(std::string& line) {
    while (nextLine < reader->length()) {
      const std::span<const uint8_t> bytes = reader->bytesAt(nextLine);
      if (bytes.empty()) return false;
      const char* text = reinterpret_cast<const char*>(bytes.data());
      const void* lineEnd = std::memchr(text, '\n', bytes.size());
      const std::size_t count =
          lineEnd ? static_cast<std::size_t>(static_cast<const char*>(lineEnd) - text)
                  : bytes.size();
      line.append(text, count);
      nextLine += count;
      if (lineEnd) {
        ++nextLine;
        break;
      }
    }
    return true;
  }
};

// The next token of the line: 1 with a token, 0 at the line end, -1 for a
// token that cannot be one (an empty quoted token, or a quote left open),
// so that such a token is refused instead of silently ending the line.
int nextToken(std::istream& words, std::string& token) {
  words >> std::ws;
  if (words.peek() == std::char_traits<char>::eof()) return 0;
  return readToken(words, token) ? 1 : -1;
}

// LIBPATH and LKRPATH: one token, a ';'-separated list of directories.
template <typename Take>
int readPathList(std::istream& words, const std::string& message, std::string& error, Take take) {
  std::string token;
  if (nextToken(words, token) != 1) token.clear();
  return takePathList(token, message, error, take);
}

// FILES: object and library names up to the line end, at least one.
int readFiles(std::istream& words, Linker& linker, const std::string& message, std::string& error) {
  std::string token;
  int count = 0;
  for (int got; (got = nextToken(words, token)) != 0; ++count) {
    if (got > 0 && Parser::isObjectFile(token)) {
      if (!linker.addObjectFile(token, error)) return 0;
    } else if (got > 0 && Parser::isLibraryFile(token)) {
      if (!linker.addLibraryFile(token, error)) return 0;
    } else {
      error = message;
      return 0;
    }
  }
  if (count == 0) {
    error = message;
    return 0;
  }
  return 1;
}

// The memory directives: the memory type and the Linker operation of each.
struct MemoryDirective {
  const char* keyword;
  uint8_t memType;
  int (Linker::*add)(const Memory&, std::string&);
};

const MemoryDirective kMemoryDirectives[] = {
    {"CODEPAGE", Linker::rom, &Linker::addCodePage},
    {"DATABANK", Linker::ram, &Linker::addDataBank},
    {"SHAREBANK", Linker::ram, &Linker::addShareBank},
    {"ACCESSBANK", Linker::ram, &Linker::addAccessBank},
};

const MemoryDirective* memoryDirective(const std::string& keyword) {
  for (const MemoryDirective& directive : kMemoryDirectives) {
    if (keyword == directive.keyword) return &directive;
  }
  return nullptr;
}

}  // namespace

std::string Parser::stripComment(std::string line) {
  const std::size_t comment = line.find("//");
  if (comment != std::string::npos) line.resize(comment);
  return line;
}

void Parser::parseCommandFile(const std::string& name, Linker& linker) {
  std::string error;
  if (!readCommandFile(name, linker, error)) usage(error);
}

namespace {

// Where a command file named without a directory is found: the current
// directory, then each LKRPATH or "-k" directory in turn.
std::string findCommandFile(const std::string& name, const std::list<std::string>& searchPath) {
  if (FileInfo(name).hasPath()) return FileInfo(name).fileExists() ? name : "";
  const std::string here = joinPath(".", name);
  if (FileInfo(here).fileExists()) return here;
  for (const std::string& directory : searchPath) {
    const std::string candidate = joinPath(directory, name);
    if (FileInfo(candidate).fileExists()) return candidate;
  }
  return "";
}

// The directives other than INCLUDE, which reads further files and so
// belongs to the reading loop.
int takeDirective(Parser& parser, Linker& linker, const std::string& keyword, OpenCommandFile& file,
                  std::string& error) {
  std::istream& words = file.words;
  const std::string& path = file.path;
  const int line = file.lineNumber;
  if (keyword == "LIBPATH") {
    auto add = [&](const std::string& dir) { return linker.addLibPath(dir, error); };
    return readPathList(words, "Illegal <libpath> for LIBPATH in " + file.place(), error, add);
  }
  if (keyword == "LKRPATH") {
    auto add = [&](const std::string& dir) {
      parser.cLkrPath.push_back(dir);
      return 1;
    };
    return readPathList(words, "Illegal <lkrpath> for LKRPATH in " + file.place(), error, add);
  }
  if (keyword == "FILES") {
    return readFiles(words, linker, "Illegal <filename> for FILES in " + file.place(), error);
  }
  if (const MemoryDirective* directive = memoryDirective(keyword)) {
    Memory memory;
    return parser.readMemory(words, keyword, path, line, directive->memType, memory, error) &&
           (linker.*(directive->add))(memory, error);
  }
  if (keyword == "SECTION") {
    SectionDesc section;
    return parser.readSection(words, path, line, section, error) &&
           linker.addSection(section, error);
  }
  if (keyword == "STACK") {
    StackDesc stack;
    return parser.readStack(words, path, line, stack, error) && linker.setStack(stack, error);
  }
  if (keyword == "HEAP") {
    uint32_t size = 0;
    return parser.readHeap(words, path, line, size, error) && linker.setMinHeapSize(size, error);
  }
  error = "Unrecognized input in " + file.place() + ": " + keyword;
  return 0;
}

// Finds and reads a command file; no object, and the reason in error,
// when it cannot.
std::unique_ptr<OpenCommandFile> loadCommandFile(const std::string& name,
                                                 const std::list<std::string>& searchPath,
                                                 std::string& error) {
  auto file = std::make_unique<OpenCommandFile>();
  file->path = findCommandFile(name, searchPath);
  if (file->path.empty()) {
    error = "Could not find linker command file '" + name + "'.";
    return nullptr;
  }
  if (!file->open()) {
    error = "Could not open '" + file->path + "'";
    return nullptr;
  }
  return file;
}

// The next command file that an INCLUDE line names: 1 with its name, 0
// after the last, -1 (the reason in error) for a token that names none.
int nextInclude(OpenCommandFile& file, std::string& name, std::string& error) {
  const int got = nextToken(file.words, name);
  if (got == 0 && file.includedTokens > 0) {
    file.including = 0;
    return 0;
  }
  ++file.includedTokens;
  if (got <= 0 || !Parser::isCommandFile(name)) {
    error = "Illegal <filename> for INCLUDE in " + file.place();
    return -1;
  }
  return 1;
}

}  // namespace

// Included files are kept on a stack of their own rather than the call
// stack, so that however deep the inclusions go, the reading cannot run
// out of call stack.
int Parser::readCommandFile(const std::string& name, Linker& linker, std::string& error) {
  std::vector<std::unique_ptr<OpenCommandFile>> files;
  std::string next = name;
  for (int opening = 1; opening || !files.empty();) {
    if (opening) {
      std::unique_ptr<OpenCommandFile> file = loadCommandFile(next, cLkrPath, error);
      if (!file) return 0;
      if (!cCommandFileIndex.insert(file->path).second) {
        error = "Multliple inclusion of linker command file '" + file->path + "' ";
        return 0;
      }
      cCommandFiles.push_back(file->path);
      if (!files.empty()) files.back()->close();
      files.push_back(std::move(file));
    }
    OpenCommandFile& file = *files.back();
    std::string keyword;
    opening = 0;
    if (file.including) {
      opening = nextInclude(file, next, error);
      if (opening < 0) return 0;
    } else if (!(file.words >> keyword)) {
      const int advanced = file.advance();
      if (advanced < 0) {
        error = "Could not open '" + file.path + "'";
        return 0;
      }
      if (advanced == 0) files.pop_back();
    } else if (keyword == "INCLUDE") {
      file.including = 1;
      file.includedTokens = 0;
    } else if (!takeDirective(*this, linker, keyword, file, error)) {
      return 0;
    }
  }
  return 1;
}
