// Trace dumps of the memory model; no normal run prints them.
#include "memtarg.h"
#include "text_helpers.h"

namespace {

const char* typeName(uint8_t type) { return type == 0 ? "rom" : "ram"; }

}  // namespace

void Range::dump(std::ostream& out) const {
  // A trace may come before the processor check has set the width; the
  // byte size is then unknown, and the dump must not abort the run.
  const std::string size = cWidthBits ? formatHex(sizeInBytes(), 4) : "<NaN>";
  out << "Range:   allocName=" << allocName << " start=" << formatHex(cStart, 4)
      << " size=" << size;
  if (cSize > 0) out << " end=" << formatHex(getEnd(), 4);
  out << " pc=" << formatHex(pc, 4) << " type=" << typeName(type) << " isOverlay=" << isOverlay
      << '\n';
  for (const std::string& file : loadedFiles) {
    const uint32_t partStart = loadStart.at(file);
    const uint32_t partSize = loadSize.at(file);
    out << std::string(20, ' ') << "Loaded Section: file=" << file
        << " start=" << formatHex(partStart, 4) << " size=" << formatHex(partSize, 4);
    if (cSize > 0 && partSize > 0) out << " end=" << formatHex(partStart + locs(partSize) - 1, 4);
    out << '\n';
  }
}

void Memory::dump(std::ostream& out) const {
  out << "Memory: name=" << name << " start=" << formatHex(start, 4) << " end=" << formatHex(end, 4)
      << " type=" << typeName(type) << " protected=" << cProtected << " hasFill=" << cHasFill
      << " fill=" << fill << '\n';
  out << std::string(10, ' ') << "---Allocated Ranges--- \n";
  for (const auto& [secName, piece] : allocatedRanges) piece.dump(out);
  out << std::string(10, ' ') << "---Unallocated Ranges--- \n";
  forEachFreeHole([&out](const Range& hole) { hole.dump(out); });
}
