// The map file's section table: every output section with its type, start,
// memory and size, program sections before data sections.
#include <algorithm>

#include "map_file_parts.h"
#include "qassert.h"
#include "text_helpers.h"

namespace {

void writeSectionRow(std::ostream& out, const std::string& name, const std::string& type,
                     const std::string& address, const std::string& location,
                     const std::string& size) {
  out << rightColumn(name, 25) << ' ' << rightColumn(type, 10) << ' ' << rightColumn(address, 10)
      << ' ' << rightColumn(location, 10) << ' ' << rightColumn(size, 10) << '\n';
}

void writeSectionRows(std::ostream& out, const std::vector<SectionInfo>& sections) {
  for (const SectionInfo& section : sections) {
    writeSectionRow(out, section.cName, sectionTypeText(section.cType),
                    formatHex(section.cAddress, 3), locationText(section.cLocation),
                    formatHex(section.cSize, 3));
  }
}

}  // namespace

MapRows<SectionInfo> collectSections(const Coff& output) {
  MapRows<SectionInfo> sections;
  for (const auto& [number, name] : output.cScnNum) {
    const auto header = output.cScnHdr.find(name);
    // The output was verified before its map is written: every numbered
    // section has its header.
    QOR_ASSERT(header != output.cScnHdr.end());
    const SectionHeader& scn = header->second;
    sections.add(SectionInfo(name, scn.s_paddr, scn.s_size, locationOf(scn), Coff::sectionType(scn),
                             Coff::isAbsolute(scn), Coff::isShared(scn), Coff::isAccess(scn)));
  }
  // Sections of one start keep their section-number order.
  std::stable_sort(sections.program.begin(), sections.program.end(), SectionInfo::lessByAddress);
  std::stable_sort(sections.data.begin(), sections.data.end(), SectionInfo::lessByAddress);
  return sections;
}

void writeSectionTable(std::ostream& out, const MapRows<SectionInfo>& sections) {
  out << "\n                                 Section Info\n";
  writeSectionRow(out, "Section", "Type", "Address", "Location", "Size(Bytes)");
  const std::string rule = "---------";
  writeSectionRow(out, rule, rule, rule, rule, rule);
  writeSectionRows(out, sections.program);
  writeSectionRows(out, sections.data);
  out << "\n\n";
}
