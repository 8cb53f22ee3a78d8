// A memory's table in the partial map: one line per section placed in it,
// by address.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <vector>

#include "memtarg.h"
#include "value_records.h"

namespace {

// Four digits up to 0xffff, as many as needed above, so that no address of
// a large memory is cut to its low half.
std::string mapHex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04" PRIx32, value);
  return text;
}

void writeRow(std::ostream& out, const std::string& memory, const std::string& start,
              const std::string& end, const std::string& section, const std::string& address,
              const std::string& size) {
  static const char* const kRow = "%10s %10s %10s %20s %10s %10s\n";
  const char* columns[] = {memory.c_str(),  start.c_str(),   end.c_str(),
                           section.c_str(), address.c_str(), size.c_str()};
  // Names can be of any length: measure first, then format.
  const int length = std::snprintf(nullptr, 0, kRow, columns[0], columns[1], columns[2], columns[3],
                                   columns[4], columns[5]);
  if (length < 0) return;
  std::vector<char> line(static_cast<size_t>(length) + 1);
  std::snprintf(line.data(), line.size(), kRow, columns[0], columns[1], columns[2], columns[3],
                columns[4], columns[5]);
  out.write(line.data(), length);
}

}  // namespace

void Memory::printMap(std::ostream& out, int withHeader) const {
  if (withHeader) {
    writeRow(out, "Memory", "Start", "End", "Section", "Address", "Size(Bytes)");
    const std::string rule = "---------";
    writeRow(out, rule, rule, rule, rule, rule, rule);
  }
  const std::string startText = mapHex(start);
  const std::string endText = mapHex(end);
  if (allocatedRanges.empty()) writeRow(out, name, startText, endText, "", "", "");
  std::vector<ScnAddr> pieces;
  pieces.reserve(allocatedRanges.size());
  for (const auto& [secName, piece] : allocatedRanges) {
    pieces.emplace_back(secName, piece.getStart());
  }
  std::stable_sort(pieces.begin(), pieces.end());
  bool first = true;
  for (const ScnAddr& piece : pieces) {
    const std::string size = mapHex(allocatedRanges.at(piece.name).sizeInBytes());
    if (first) {
      writeRow(out, name, startText, endText, piece.name, mapHex(piece.address), size);
    } else {
      writeRow(out, "", "", "", piece.name, mapHex(piece.address), size);
    }
    first = false;
  }
  out << '\n';
  out.flush();
}
