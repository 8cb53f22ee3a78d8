// Changes made to the objects of a whole-link input as objects rather than
// as bytes: a field of a section header, a symbol, a relocation or a line
// entry, a section's length or name, the processor. A byte flip mostly
// breaks the object's reading; these keep it readable, so that the link
// phases after the reading meet the odd values.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "archive.h"
#include "coff.h"
#include "fuzz_support.h"
#include "mgproc.h"

namespace qorfuzz {

class ObjectMutator {
 public:
  explicit ObjectMutator(unsigned seed) : cRandom(seed) {}

  // Changes one thing in the object; false when there was nothing to change.
  bool mutate(Coff& object) {
    switch (below(8)) {
      case 0: return changeSection(object);
      case 1: return resizeSection(object);
      case 2: return changeRelocation(object);
      case 3: return addRelocation(object);
      case 4: return changeSymbol(object);
      case 5: return changeLine(object);
      case 6: return renameSection(object);
      default: return changeProcessor(object);
    }
  }

  // The bytes of the object as written, or nothing when writing fails.
  static std::string imageOf(Coff& object) {
    object.layout();
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), std::fclose);
    if (!file || object.write(file.get(), 0) != 1) return "";
    const long length = std::ftell(file.get());
    std::string image(static_cast<size_t>(length > 0 ? length : 0), '\0');
    std::rewind(file.get());
    if (std::fread(image.data(), 1, image.size(), file.get()) != image.size()) return "";
    return image;
  }

  uint32_t below(uint32_t limit) { return limit == 0 ? 0 : cRandom() % limit; }

 private:
  // Values that sit on the edges of what the phases compute with.
  uint32_t value() {
    static const uint32_t edges[] = {
        0,     1,     2,     0x7F,   0x80,    0xFF,       0x100,      0x1FF,      0x200,
        0x3FF, 0x7FF, 0x800, 0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFE, 0xFFFFFFFF};
    if (below(2) == 0) return edges[below(std::size(edges))];
    return below(3) == 0 ? static_cast<uint32_t>(cRandom()) : below(0x1000);
  }

  template <typename Map>
  typename Map::iterator pick(Map& map) {
    auto it = map.begin();
    std::advance(it, below(static_cast<uint32_t>(map.size())));
    return it;
  }

  bool changeSection(Coff& object) {
    if (object.cScnHdr.empty()) return false;
    SectionHeader& header = pick(object.cScnHdr)->second;
    static const uint32_t flags[] = {STYP_CODE, STYP_IDATA,  STYP_UDATA,   STYP_ROMDATA,
                                     STYP_ABS,  STYP_SHARED, STYP_OVERLAY, STYP_ACCESS};
    if (below(2) == 0) {
      header.s_flags ^= flags[below(std::size(flags))];
    } else {
      header.s_paddr = value();
    }
    return true;
  }

  bool resizeSection(Coff& object) {
    if (object.cScnHdr.empty()) return false;
    const std::string& name = pick(object.cScnHdr)->first;
    const uint32_t length = below(2) == 0 ? below(8) : below(0x1000);
    Data resized(length);
    const Data& old = object.cRawData[name];
    for (uint32_t i = 0; i < length && i < old.size(); ++i) resized.data()[i] = old.data()[i];
    if (length == 0) {
      object.cRawData.erase(name);
    } else {
      object.cRawData[name] = resized;
    }
    return true;
  }

  bool changeRelocation(Coff& object) {
    if (object.cScnReloc.empty()) return false;
    std::list<reloc>& entries = pick(object.cScnReloc)->second;
    if (entries.empty()) return false;
    auto entry = entries.begin();
    std::advance(entry, below(static_cast<uint32_t>(entries.size())));
    switch (below(4)) {
      case 0: entry->r_type = static_cast<uint16_t>(below(3) == 0 ? value() : 1 + below(24)); break;
      case 1: entry->r_vaddr = value(); break;
      case 2: entry->r_symndx = below(static_cast<uint32_t>(object.cSymTbl.size()) + 2); break;
      default: entry->r_offset = static_cast<int16_t>(value()); break;
    }
    return true;
  }

  bool addRelocation(Coff& object) {
    if (object.cRawData.empty() || object.cSymTbl.empty()) return false;
    const auto section = pick(object.cRawData);
    reloc entry{};
    entry.r_vaddr = below(section->second.size() + 4);
    entry.r_symndx = below(static_cast<uint32_t>(object.cSymTbl.size()));
    entry.r_offset = static_cast<int16_t>(below(2) == 0 ? 0 : value());
    entry.r_type = static_cast<uint16_t>(1 + below(24));
    object.cScnReloc[section->first].push_back(entry);
    return true;
  }

  bool changeSymbol(Coff& object) {
    if (object.cSymTbl.empty()) return false;
    const size_t index = below(static_cast<uint32_t>(object.cSymTbl.size()));
    if (object.cAuxType[index] != AUX_NONE) return false;
    SymbolEntry& symbol = object.cSymTbl[index];
    static const uint8_t classes[] = {C_EXT, C_STAT, C_LABEL, 100, 101, C_FILE, 0, 255};
    switch (below(5)) {
      case 0: symbol.n_value = value(); break;
      case 1:
        symbol.n_scnum = static_cast<int16_t>(
            static_cast<int>(below(static_cast<uint32_t>(object.cScnNum.size()) + 4)) - 2);
        break;
      case 2: symbol.n_sclass = classes[below(std::size(classes))]; break;
      case 3: symbol.n_type = static_cast<uint16_t>(value()); break;
      default: {
        // Another symbol's name: two definitions, or a reference met.
        const SymbolEntry& other =
            object.cSymTbl[below(static_cast<uint32_t>(object.cSymTbl.size()))];
        symbol._n_name = other._n_name;
        break;
      }
    }
    return true;
  }

  bool changeLine(Coff& object) {
    if (object.cScnLineno.empty()) return false;
    std::list<coff_lineno>& lines = pick(object.cScnLineno)->second;
    if (lines.empty()) return false;
    auto line = lines.begin();
    std::advance(line, below(static_cast<uint32_t>(lines.size())));
    switch (below(3)) {
      case 0: line->l_srcndx = below(static_cast<uint32_t>(object.cSymTbl.size()) + 2); break;
      case 1: line->l_fcnndx = below(static_cast<uint32_t>(object.cSymTbl.size()) + 2); break;
      default: line->l_paddr = value(); break;
    }
    return true;
  }

  // To a name the other inputs or the linker itself use, so that parts meet.
  bool renameSection(Coff& object) {
    static const char* const names[] = {
        "text",   "idat",   "udat",   "romd",   "ovl",     "STARTUP",           "RESET", "BANK1",
        "CONFIG", ".cinit", ".stack", "idat_i", "libcode", "initialised_table", "x"};
    if (object.cScnNum.empty()) return false;
    const auto number = pick(object.cScnNum);
    const std::string from = number->second;
    const std::string to = names[below(std::size(names))];
    if (object.cScnHdr.count(to) || !object.cScnHdr.count(from)) return false;
    SectionHeader header = object.cScnHdr[from];
    if (to.size() > 8) {
      int offset = 4;
      if (!object.cStrTbl.empty())
        offset = object.cStrTbl.rbegin()->first +
                 static_cast<int>(object.cStrTbl.rbegin()->second.size()) + 1;
      object.cStrTbl[offset] = to;
    }
    Coff::setName(header, object.cStrTbl, to);
    object.cScnHdr.erase(from);
    object.cScnHdr[to] = header;
    for (auto& [n, name] : object.cScnNum)
      if (name == from) name = to;
    moveEntry(object.cRawData, from, to);
    moveEntry(object.cScnReloc, from, to);
    moveEntry(object.cScnLineno, from, to);
    return true;
  }

  template <typename Map>
  static void moveEntry(Map& map, const std::string& from, const std::string& to) {
    auto found = map.find(from);
    if (found == map.end()) return;
    auto value = std::move(found->second);
    map.erase(found);
    map[to] = std::move(value);
  }

  bool changeProcessor(Coff& object) {
    if (below(3) == 0) {
      object.cFileHdr.f_flags ^= F_GENERIC;
    } else {
      const auto code = static_cast<ProcessorCode>(PROC_FIRST + below(PROC_LAST));
      object.cOptHdr.proc_type = below(8) == 0 ? value() : procCoffType(code);
    }
    return true;
  }

  std::minstd_rand cRandom;
};

// One object or one library member of a link input changed; false when
// the file does not read (the caller then changes its bytes instead).
inline bool mutateFile(std::string& bytes, bool isLibrary, ObjectMutator& mutator) {
  const std::string path = scratchPath(isLibrary ? "mutated.lib" : "mutated.o");
  if (!writeBytes(path, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())) return false;
  bool changed = false;
  runUntilFatal([&] {
    if (!isLibrary) {
      std::unique_ptr<Coff> object = Coff::make(path);
      if (!object || !mutator.mutate(*object)) return;
      bytes = ObjectMutator::imageOf(*object);
      changed = !bytes.empty();
      return;
    }
    std::unique_ptr<Archive> library = Archive::make(path);
    if (!library || library->cMembers.empty()) return;
    Coff& member =
        *library->cMembers[mutator.below(static_cast<uint32_t>(library->cMembers.size()))];
    if (!mutator.mutate(member)) return;
    member.layout();
    library->cName = path;
    if (library->write() != 1) return;
    const std::vector<uint8_t> written = readBytes(path);
    bytes.assign(written.begin(), written.end());
    changed = true;
  });
  return changed;
}

}  // namespace qorfuzz
