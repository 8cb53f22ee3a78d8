// A library as the list, delete and replace commands need it. A member
// whose image is in the writer's own form (canonical_image.h), as every
// member the librarian wrote is, is kept as those bytes, its name, size,
// time stamp and defined externals: listed from them and copied as they
// are. Any other member, and every object read from a file, is kept as a
// parsed Coff and written as Archive::write writes it. Reading, the symbol
// index, its messages and the written bytes are those of Archive: only
// the object model of thousands of unchanged members is not built and torn
// down again.
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
  std::optional<uint64_t> addMember(BoundedReader& source, const std::string& name,
                                    uint64_t start);
  bool headerUnchanged(const Member& member) const;
  bool putMember(ByteSink& sink, Member& member, bool recordByRecord);

  std::unique_ptr<BoundedReader> cSource;  // the library's bytes
  std::vector<std::string_view> cGlobals;  // views into those bytes
  std::vector<size_t> cGlobalHashes;       // FirstDefinitions::hashOf each
  FirstDefinitions cDefinitions;           // the symbol index check's table
};
