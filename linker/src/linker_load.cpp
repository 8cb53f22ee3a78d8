// Where each input's part of a section lies, and the initialised-data
// table that the start-up code walks to copy data from program memory into
// data memory.
#include <cstdint>
#include <map>
#include <vector>

#include "allocation_rules.h"
#include "byte_order.h"
#include "output_support.h"
#include "qassert.h"

using namespace allocation;

namespace {

uint64_t locationsOf(uint64_t bytes, uint32_t bytesPerLocation) {
  return bytes / bytesPerLocation + (bytes % bytesPerLocation != 0 ? 1 : 0);
}

// Parts follow each other, each from a whole location: on a core with
// two-byte words, parts of an odd byte count take more room than the
// section's summed size allocated. Such a part is refused rather than
// written past the section's end.
class PartRoom {
 public:
  explicit PartRoom(const Linker& linker) : cLinker(linker) {}

  int fits(const Memory& memory, const std::string& section, uint32_t length) {
    const uint32_t perLocation = cLinker.widthInBytes(memory.isRam() ? Linker::ram : Linker::rom);
    const uint64_t room = locationsOf(valueOf(cLinker.cScnSize, section), perLocation);
    uint64_t& used = cUsed[section];
    used += locationsOf(length, perLocation);
    return length == 0 || used <= room;
  }

 private:
  const Linker& cLinker;
  std::map<std::string, uint64_t> cUsed;  // locations taken, per section
};

void appendValue(std::vector<uint8_t>& table, uint32_t value, bool longForm) {
  const size_t at = table.size();
  table.resize(at + (longForm ? 4 : 2));
  if (longForm) {
    writeLe32(table.data() + at, value);
  } else {
    writeLe16(table.data() + at, static_cast<uint16_t>(value));
  }
}

}  // namespace

int Linker::loadSections(std::string& error) {
  PartRoom room(*this);
  for (size_t position = 0; position < cCoff.size(); ++position) {
    const Coff& input = *cCoff[position];
    const std::string file = inputKey(position);
    for (const auto& entry : input.cScnNum) {
      const std::string& section = entry.second;
      const auto header = input.cScnHdr.find(section);
      QOR_ASSERT(header != input.cScnHdr.end());
      Memory& memory = memoryOfSection(cScnMem, section);
      const uint32_t length = header->second.s_size;
      if (valueOf(cScnAbs, section)) {
        memory.load(file, section, header->second.s_paddr, length);
        continue;
      }
      // Every part of an overlay section starts at the section's start.
      if (!valueOf(cScnOverlay, section) && !room.fits(memory, section, length)) {
        error = "section '" + section + "' in file '" + input.cName +
                "' does not fit in the space allocated for the section.";
        return 0;
      }
      memory.load(file, section, length);
    }
  }
  return 1;
}

int Linker::buildCinit(std::string& /*error*/) {
  const bool longForm = cinitEntrySize(cProcessor) == 12;
  std::vector<uint8_t> table(2);
  uint32_t count = 0;
  for (const auto& [section, type] : cScnType) {
    if (type != kIdata) continue;
    ++count;
    const std::string image = initSectionName(section);
    const Memory& data = memoryOfSection(cScnMem, section);
    appendValue(table, memoryOfSection(cScnMem, image).getAllocStart(image), longForm);
    appendValue(table, data.getAllocStart(section), longForm);
    appendValue(table, data.getAllocSize(section), longForm);
  }
  writeLe16(table.data(), static_cast<uint16_t>(count));
  cCinitData = Data(static_cast<uint32_t>(table.size()), table.data());
  return 1;
}
