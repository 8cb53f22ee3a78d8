// A library as the list, delete and replace commands need it. A member
// whose image is in the writer's own form (canonical_image.h), as every
// member the librarian wrote is, is kept as its place in the library file,
// its name, size, time stamp and defined externals: listed from them and
// copied from the file as it is. Any other member, and every object read
// from a file, is kept as a parsed Coff and written as Archive::write
// writes it. Reading, the symbol index, its messages and the written bytes
// are those of Archive: only the object model of thousands of unchanged
// members is not built and torn down again, and their bytes are not held
// in memory between reading and writing.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bounded_reader.h"
#include "byte_sink.h"
#include "canonical_image.h"
#include "coff.h"
#include "first_definitions.h"

class LibraryImage {
 public:
  struct Member {
    std::string name;
    std::unique_ptr<Coff> object;  // none for a member kept as its bytes
    uint64_t start = 0;            // where its bytes lie in the library read
    CanonicalImage image;
    // The header in front of the bytes is the one the writer would write.
    bool headerAsWritten = false;
    size_t firstGlobal = 0;  // its defined externals in cGlobals
    size_t globalCount = 0;

    uint32_t size() const { return object ? object->size() : image.size; }
    uint32_t timeStamp() const { return object ? object->cFileHdr.f_timdat : image.timeStamp; }
  };

  // Archive::make: every member read, then the symbol index built (its
  // duplicates reported); false, with the reason reported, when the
  // library cannot be read.
  bool read(const std::string& path);
  // Archive::makeSymbols over the members as they now are.
  int makeSymbols();
  // Archive::write of the members to the library read.
  int write();

  std::string cName;
  std::vector<Member> cMembers;

 private:
  // A defined external name, in cNameText.
  struct GlobalName {
    size_t offset;
    size_t length;
    size_t hash;  // FirstDefinitions::hashOf
  };

  std::optional<uint64_t> addMember(BoundedReader& source, const std::string& name, uint64_t start);
  bool keepAsBytes(BoundedReader& source, Member& member);
  bool headerAsWritten(BoundedReader& source, const Member& member) const;
  bool putMember(ByteSink& sink, Member& member, bool recordByRecord);
  bool copyFromLibrary(ByteSink& sink, uint64_t start, uint64_t end);

  std::unique_ptr<BoundedReader> cSource;  // the library file, open
  std::string cNameText;                   // the names of cGlobals
  std::vector<GlobalName> cGlobals;
  std::vector<std::string_view> cScanNames;  // the scan's, before they are kept
  FirstDefinitions cDefinitions;             // the symbol index check's table
  std::vector<uint8_t> cCopyBuffer;
};
