#include "archiver.h"

#include <cstdio>
#include <ctime>
#include <iostream>
#include <memory>
#include <string>
#include <utility>

#include "archive.h"
#include "coff.h"
#include "debug_switches.h"
#include "diagnostics.h"
#include "safe_member_name.h"

namespace {

const char* commandName(uint8_t command) {
  switch (command) {
    case CMD_CREATE: return "cmdCreate";
    case CMD_LIST: return "cmdList";
    case CMD_DELETE: return "cmdDelete";
    case CMD_REPLACE: return "cmdReplace";
    case CMD_EXTRACT: return "cmdExtract";
    default: return "undefined";
  }
}

// The first member stored under the name, or the end of the member list.
auto findMember(Archive& archive, const std::string& name) {
  auto it = archive.cMembers.begin();
  while (it != archive.cMembers.end() && (*it)->cName != name) ++it;
  return it;
}

void reportNotAMember(const char* context, const std::string& name, const std::string& library) {
  reportError(context, "'", name, "' is not a member of library '", library, "'.");
}

// The member's time stamp as ctime text without its line end.
std::string timeStampText(uint32_t stamp) {
  std::time_t time = static_cast<std::time_t>(stamp);
  const char* text = std::ctime(&time);
  if (text == nullptr) return std::string();
  std::string result = text;
  if (!result.empty() && result.back() == '\n') result.pop_back();
  return result;
}

// Writes one member to the file of its stored name, announcing it unless
// quiet. A name that would reach outside the current directory is refused
// (answers -1) so that the caller can go on with the other members;
// 0 is a failed write.
int extractMember(Coff& member) {
  if (!isSafeMemberName(member.cName)) {
    reportError("Archiver::cmdExtract", "'", member.cName, "' is not a safe member name to extract.");
    return -1;
  }
  if (!isQuiet()) std::printf("Extracting member '%s'.\n", member.cName.c_str());
  // The pointers are laid out afresh (the time stamp is kept), so that the
  // extracted file describes itself even when the member's image had its
  // blocks in another order.
  member.layout();
  return member.write();
}

}  // namespace

int Archiver::setCommand(uint8_t command, const std::string& library,
                         const std::vector<std::string>& members) {
  if (cHasCmd == 1) return 0;
  cCmd = command;
  cArchive = library;
  cMembers = members;
  cHasCmd = 1;
  return 1;
}

int Archiver::execute() {
  if (!cHasCmd) return 0;
  switch (cCmd) {
    case CMD_CREATE: return cmdCreate();
    case CMD_LIST: return cmdList();
    case CMD_DELETE: return cmdDelete();
    case CMD_REPLACE: return cmdReplace();
    case CMD_EXTRACT: return cmdExtract();
    default: return 0;
  }
}

void Archiver::print(std::ostream& out) const {
  out << "Archiver:\n";
  out << "  cCmd=" << commandName(cCmd) << "\n";
  out << "  cArchive=" << cArchive << "\n";
  out << "  cMembers=\n";
  for (const std::string& member : cMembers) out << "    " << member << "\n";
  out << "  cHasCmd=" << cHasCmd << "\n";
}

int Archiver::cmdCreate() {
  Archive archive;
  archive.cName = cArchive;
  for (const std::string& name : cMembers) {
    std::unique_ptr<Coff> member = Coff::make(name);
    if (!member) return 0;
    archive.cMembers.push_back(std::move(member));
  }
  if (traceOn("Archiver::cmdCreate")) archive.dump(std::cout);
  if (!archive.makeSymbols()) return 0;
  return archive.write();
}

int Archiver::cmdList() {
  std::unique_ptr<Archive> archive = Archive::make(cArchive);
  if (!archive) return 0;
  if (isQuiet()) return 1;
  for (const std::unique_ptr<Coff>& member : archive->cMembers) {
    std::string quotedName = "'" + member->cName + "'";
    std::string date = timeStampText(member->cFileHdr.f_timdat);
    std::printf("Member: %-25s  Size: %-6d Date: %s \n", quotedName.c_str(),
                static_cast<int>(member->size()), date.c_str());
  }
  return 1;
}

int Archiver::cmdDelete() {
  std::unique_ptr<Archive> archive = Archive::make(cArchive);
  if (!archive) return 0;
  int allFound = 1;
  for (const std::string& name : cMembers) {
    auto it = findMember(*archive, name);
    if (it == archive->cMembers.end()) {
      reportNotAMember("Archiver::cmdDelete", name, cArchive);
      allFound = 0;
      continue;
    }
    archive->cMembers.erase(it);
  }
  if (!allFound || !archive->makeSymbols()) return 0;
  return archive->write();
}

int Archiver::cmdReplace() {
  std::unique_ptr<Archive> archive = Archive::make(cArchive);
  if (!archive) return 0;
  for (const std::string& name : cMembers) {
    std::unique_ptr<Coff> replacement = Coff::make(name);
    if (!replacement) return 0;
    auto it = findMember(*archive, name);
    if (it == archive->cMembers.end()) {
      archive->cMembers.push_back(std::move(replacement));
    } else {
      *it = std::move(replacement);
    }
  }
  if (!archive->makeSymbols()) return 0;
  return archive->write();
}

int Archiver::cmdExtract() {
  std::unique_ptr<Archive> archive = Archive::make(cArchive);
  if (!archive) return 0;
  int result = 1;
  if (cMembers.empty()) {
    for (const std::unique_ptr<Coff>& member : archive->cMembers) {
      int extracted = extractMember(*member);
      if (extracted == 0) return 0;
      if (extracted < 0) result = 0;
    }
    return result;
  }
  // Every name must be a member before anything is written.
  for (const std::string& name : cMembers) {
    if (findMember(*archive, name) == archive->cMembers.end()) {
      reportNotAMember("Archiver::cmdExtract", name, cArchive);
      result = 0;
    }
  }
  if (!result) return 0;
  for (const std::string& name : cMembers) {
    int extracted = extractMember(**findMember(*archive, name));
    if (extracted == 0) return 0;
    if (extracted < 0) result = 0;
  }
  return result;
}
