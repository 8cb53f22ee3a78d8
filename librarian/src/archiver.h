// The librarian's one command per run: which command, on which library,
// with which member names, and the five command bodies.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

// Command codes, as stored in Archiver::cCmd.
enum ArCommand : uint8_t {
  CMD_CREATE = 0,
  CMD_LIST = 1,
  CMD_DELETE = 2,
  CMD_REPLACE = 3,
  CMD_EXTRACT = 4,
};

class Archiver {
 public:
  Archiver() = default;
  virtual ~Archiver() = default;

  // Stores the command once; a second command is refused (answers 0).
  virtual int setCommand(uint8_t command, const std::string& library,
                         const std::vector<std::string>& members);
  // Runs the stored command; 0 when none was set or the command failed.
  int execute();
  void print(std::ostream& out) const;

  int cmdCreate();
  int cmdList();
  int cmdDelete();
  int cmdReplace();
  int cmdExtract();

  uint8_t cCmd = CMD_CREATE;
  std::string cArchive;
  std::vector<std::string> cMembers;
  int cHasCmd = 0;
};
