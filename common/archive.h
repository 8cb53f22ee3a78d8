// A library file in memory: its members as Coff objects in file order and an
// index from every externally defined symbol to the member that defines it.
//
// File layout: the 8-byte magic "!<arch>\n", then per member a 280-byte
// MemberHeader followed by the member's object image exactly as Coff::write
// emits it. There is no index member and no padding; the index is rebuilt in
// memory whenever a library is read or changed.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "coff.h"

constexpr char ARCHIVE_MAGIC[] = "!<arch>\n";
constexpr uint32_t ARCHIVE_MAGIC_LENGTH = 8;

// The fixed 280-byte header in front of every member image.
struct MemberHeader {
  static constexpr uint32_t NAME_LENGTH = 256;
  static constexpr uint32_t DATE_LENGTH = 12;
  static constexpr uint32_t SIZE_LENGTH = 10;
  static constexpr uint32_t SIZE = NAME_LENGTH + DATE_LENGTH + SIZE_LENGTH + 2;
  // A name is cut to this many characters so that its closing '/' fits.
  static constexpr uint32_t MAX_NAME = NAME_LENGTH - 1;
  // The size field keeps its last byte NUL: nine decimal digits at most.
  static constexpr uint32_t MAX_SIZE = 999999999;

  char ar_name[NAME_LENGTH];  // name, '/', blanks; no terminating NUL
  char ar_date[DATE_LENGTH];  // decimal time stamp, NUL padded
  char ar_size[SIZE_LENGTH];  // decimal image length, NUL padded
  char ar_fmag[2];            // '`' and newline

  void setName(const std::string& name);
  void setDate(uint32_t date);
  void setSize(uint32_t size);
  void setMagic();
  // The header the writer puts in front of a member: every field set.
  static MemberHeader asWritten(const std::string& name, uint32_t date, uint32_t size);

  // The text up to the first NUL, cut before the last '/' when it holds one
  // (the '/' that the writer puts behind the name), so that a name that
  // itself contains '/' survives a round trip.
  std::string getName() const;
  // Decimal field values; 0 when nothing converts.
  uint32_t getDate() const;
  uint32_t getSize() const;
  // True when the size field holds a decimal number (blanks around it and
  // NUL bytes behind it allowed) that does not record an image of
  // `length` bytes. A field that holds no such number is not read.
  bool sizeDisagreesWith(uint64_t length) const;
};
// Only character fields: the struct is the 280 bytes in file order.
static_assert(sizeof(MemberHeader) == MemberHeader::SIZE);

class BoundedReader;
class ByteSink;

// Reading a library file, for Archive::make and for readers that keep the
// members in another form. The open reports as Archive::make does.
std::unique_ptr<BoundedReader> openLibraryFile(const std::string& path);
// Gets a member's name and where its image starts in the reader; answers
// the image's length as stored (in the current layout its object's
// Coff::size), or none when the member cannot be parsed (the reasons
// reported).
using MemberParser = std::function<std::optional<uint64_t>(
    BoundedReader& reader, const std::string& name, uint64_t start)>;
// Checks the magic, then hands each member to `parse` in file order; every
// fault reported with Archive::make's messages. False after a fault. The
// members read end exactly where the file does: a member image that
// reaches past the end, bytes left behind the last member, and a member
// whose header records another length are each a missing member.
bool readLibraryMembers(BoundedReader& reader, const std::string& path, const MemberParser& parse);
// The report of a library whose members do not account for its bytes.
void reportMissingMember(const std::string& path);

// Writing a library file: through a temporary that replaces `path` only
// when every byte was written; when its folder takes no temporary, the
// write is refused as a failed open (only a device or a pipe is written
// where it stands). `putMembers` puts every member's header
// (putMemberHeader) and image into the sink in order, and answers false at
// the first record the sink refuses. After a failed write it runs again
// with `recordByRecord` set, into a sink that refuses the record the file
// refused; each image must then go record by record as Coff::write puts
// it, so that the failure is reported as that record's. A writer whose
// members come from the library file itself answers false (with its own
// report) when it cannot read them, and the old library stays; such a
// writer also gives `beforeWritingInPlace`, run when the library is a device
// or a pipe written where it stands (ReplacementFile::open).
using MemberWriter = std::function<bool(ByteSink& sink, bool recordByRecord)>;
int writeLibraryFile(const std::string& path, const MemberWriter& putMembers,
                     const std::function<bool()>& beforeWritingInPlace = nullptr);
// The header of one member; false, with the message given, when the sink
// refuses it or when `size` is more than its size field can record.
bool putMemberHeader(ByteSink& sink, const std::string& library, const std::string& member,
                     uint32_t date, uint32_t size);

// Each name of a member's defined externals, in symbol table order, as the
// symbol index takes them (a missing name is the fatal error of getName).
void forEachDefinedGlobal(const Coff& member, const std::function<void(const std::string&)>& take);
// The symbol index's report of a name that a second member defines, and
// its trace: each name with the name of the member that defines it.
void reportMultipleDefinitions(const std::string& symbol);
void traceSymbolIndex(const std::map<std::string, std::string>& memberOfSymbol);

class Archive {
 public:
  Archive() = default;
  Archive(const Archive& other);
  Archive& operator=(const Archive& other);
  ~Archive() = default;

  // Reads a library file; none (with an error reported) when it cannot be
  // opened, is not a library, or a member cannot be parsed.
  static std::unique_ptr<Archive> make(const std::string& path);

  // Writes cName from cMembers; 1 on success, 0 (with an error reported)
  // otherwise. The library is written to a temporary file next to it and
  // renamed over cName only when every byte was written, so a failed write
  // leaves an existing library as it was; a library whose folder takes no
  // temporary is refused, not written in place.
  int write();

  // Rebuilds cSymbols; 0 when some symbol is defined by more than one member
  // (the first member in file order keeps it).
  int makeSymbols();
  int hasSymbol(const std::string& symbol) const;
  // A deep copy of the member that defines the symbol, owned by the caller;
  // none when the symbol is not in the index.
  std::unique_ptr<Coff> getMember(const std::string& symbol) const;

  void dump(std::ostream& out) const;

  std::string cName;                            // the library file's path
  std::vector<std::unique_ptr<Coff>> cMembers;  // in file order
  // External name -> the member that defines it; points into cMembers.
  std::map<std::string, Coff*> cSymbols;

 private:
  void copyMembersFrom(const Archive& other);
};
