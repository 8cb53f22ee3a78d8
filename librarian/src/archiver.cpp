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
#include "library_image.h"
#include "member_index.h"
#include "safe_member_name.h"
#include "same_file.h"

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

void reportNotAMember(const char* context, const std::string& name, const std::string& library) {
  reportError(context, "'", name, "' is not a member of library '", library, "'.");
}

// Drops the marked members in one pass, keeping the order of the others.
void removeMembers(LibraryImage& library, const std::vector<bool>& marked) {
  size_t kept = 0;
  for (size_t position = 0; position < library.cMembers.size(); ++position) {
    if (marked[position]) continue;
    // A member moved onto itself would lose its name.
    if (kept != position) library.cMembers[kept] = std::move(library.cMembers[position]);
    ++kept;
  }
  library.cMembers.resize(kept);
}

// The members of the names given on the command line.
MemberIndex indexOfWanted(const LibraryImage& library, const std::vector<std::string>& wanted) {
  MemberIndex index(wanted);
  for (size_t position = 0; position < library.cMembers.size(); ++position)
    index.add(library.cMembers[position].name, position);
  return index;
}

// A name longer than a member header holds would be stored cut: /d and /x
// could no longer find the member by the name as typed, and /r would add a
// second copy instead of replacing it. Each such name is reported.
bool namesFitHeaders(const char* context, const std::vector<std::string>& names) {
  bool fit = true;
  for (const std::string& name : names) {
    if (name.size() <= MemberHeader::MAX_NAME) continue;
    reportError(context, "Member name '", name, "' is longer than the ", MemberHeader::MAX_NAME,
                " characters a library can hold.");
    fit = false;
  }
  return fit;
}

// The library is written over whatever file its name stands for: when that
// is one of the members to be read, the member would be lost. Each such
// member is reported.
bool libraryIsNoMember(const char* context, const std::string& library,
                       const std::vector<std::string>& members) {
  bool distinct = true;
  for (const std::string& name : members) {
    if (!isSameFile(library, name)) continue;
    reportError(context, outputOverInputText(library, name));
    distinct = false;
  }
  return distinct;
}

// The member's time stamp as ctime text without its line end. The zone is
// read once: ctime reads it again for every call, a look at the zone file
// for each member of the library.
std::string timeStampText(uint32_t stamp) {
  static const bool zoneRead = (tzset(), true);
  (void)zoneRead;
  std::time_t time = static_cast<std::time_t>(stamp);
  std::tm local;
  char buffer[64];
  if (localtime_r(&time, &local) == nullptr || asctime_r(&local, buffer) == nullptr)
    return std::string();
  std::string result = buffer;
  if (!result.empty() && result.back() == '\n') result.pop_back();
  return result;
}

// Writes one member to the file of its stored name, announcing it unless
// quiet. A name that would reach outside the current directory, or that
// names the library itself (the user's only copy of every member), is
// refused (answers -1) so that the caller can go on with the other members;
// 0 is a failed write.
int extractMember(Coff& member, const std::string& library) {
  if (!isSafeMemberName(member.cName)) {
    reportError("Archiver::cmdExtract", "'", member.cName,
                "' is not a safe member name to extract.");
    return -1;
  }
  if (isSameFile(member.cName, library)) {
    reportError("Archiver::cmdExtract", outputOverInputText(member.cName, library));
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
  if (!namesFitHeaders("Archiver::cmdCreate", cMembers) ||
      !libraryIsNoMember("Archiver::cmdCreate", cArchive, cMembers))
    return 0;
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

// List, delete and replace keep the unchanged members as their bytes: a
// library of thousands of members then costs little more than its copy.
int Archiver::cmdList() {
  LibraryImage library;
  if (!library.read(cArchive)) return 0;
  if (isQuiet()) return 1;
  for (const LibraryImage::Member& member : library.cMembers) {
    std::string quotedName = "'" + member.name + "'";
    std::string date = timeStampText(member.timeStamp());
    std::printf("Member: %-25s  Size: %-6d Date: %s \n", quotedName.c_str(),
                static_cast<int>(member.size()), date.c_str());
  }
  return 1;
}

int Archiver::cmdDelete() {
  LibraryImage library;
  if (!library.read(cArchive)) return 0;
  MemberIndex index = indexOfWanted(library, cMembers);
  std::vector<bool> deleted(library.cMembers.size(), false);
  int allFound = 1;
  for (const std::string& name : cMembers) {
    const size_t position = index.take(name);
    if (position == MemberIndex::NONE) {
      reportNotAMember("Archiver::cmdDelete", name, cArchive);
      allFound = 0;
      continue;
    }
    deleted[position] = true;
  }
  if (!allFound) return 0;
  removeMembers(library, deleted);
  if (!library.makeSymbols()) return 0;
  return library.write();
}

int Archiver::cmdReplace() {
  if (!namesFitHeaders("Archiver::cmdReplace", cMembers) ||
      !libraryIsNoMember("Archiver::cmdReplace", cArchive, cMembers))
    return 0;
  LibraryImage library;
  if (!library.read(cArchive)) return 0;
  // A replacement is read under the name it is looked up by, so the index
  // stays true as members are replaced and appended.
  MemberIndex index = indexOfWanted(library, cMembers);
  for (const std::string& name : cMembers) {
    LibraryImage::Member replacement;
    replacement.name = name;
    replacement.object = Coff::make(name);
    if (!replacement.object) return 0;
    const size_t position = index.first(name);
    if (position == MemberIndex::NONE) {
      index.add(name, library.cMembers.size());
      library.cMembers.push_back(std::move(replacement));
    } else {
      library.cMembers[position] = std::move(replacement);
    }
  }
  if (!library.makeSymbols()) return 0;
  return library.write();
}

int Archiver::cmdExtract() {
  std::unique_ptr<Archive> archive = Archive::make(cArchive);
  if (!archive) return 0;
  int result = 1;
  if (cMembers.empty()) {
    for (const std::unique_ptr<Coff>& member : archive->cMembers) {
      int extracted = extractMember(*member, cArchive);
      if (extracted == 0) return 0;
      if (extracted < 0) result = 0;
    }
    return result;
  }
  // Every name must be a member before anything is written.
  const MemberIndex index(archive->cMembers);
  for (const std::string& name : cMembers) {
    if (index.first(name) == MemberIndex::NONE) {
      reportNotAMember("Archiver::cmdExtract", name, cArchive);
      result = 0;
    }
  }
  if (!result) return 0;
  for (const std::string& name : cMembers) {
    int extracted = extractMember(*archive->cMembers[index.first(name)], cArchive);
    if (extracted == 0) return 0;
    if (extracted < 0) result = 0;
  }
  return result;
}
