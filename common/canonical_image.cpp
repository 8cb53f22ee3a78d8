// The test of an image for the writer's own form. Each condition stands
// for one way in which reading and writing again would change a byte or
// say something: the older layout (a message, and another header),
// repeated section names (the reader keeps one header), data of an empty
// section (never read), data of a udata section (never written), pointers
// that are not the layout's, strings behind an empty one (never read), a
// name missing from the table (a fatal error), a function line pointer that
// the layout would change, and the reader's limits on zero-filled bytes.
#include "canonical_image.h"

#include <climits>
#include <cstring>

#include "byte_order.h"
#include "coff.h"

namespace {

// Sections whose names are compared pair by pair; objects have a handful.
constexpr uint32_t kMaxSections = 32;
// The reader's limit on the udata bytes of one object.
constexpr uint64_t kMaxUdataBytes = uint64_t{1} << 16;
// Line entries looked at for the function line pointers of one image.
constexpr uint64_t kMaxFunctionLineWork = uint64_t{1} << 16;

constexpr uint64_t kHeadersStart = FileHeader::SIZE + OptionalHeader::SIZE;

class CanonicalScan {
 public:
  explicit CanonicalScan(std::span<const uint8_t> bytes) : cBytes(bytes) {}

  bool run(CanonicalImage& image, std::vector<std::string_view>& definedGlobals) {
    if (!readHeaders() || !checkSectionBlocks() || !checkStringTable() || !checkSectionNames() ||
        !checkSymbols(definedGlobals))
      return false;
    image.size = static_cast<uint32_t>(cEnd);
    image.timeStamp = cFile.f_timdat;
    return true;
  }

 private:
  bool has(uint64_t offset, uint64_t length) const {
    return offset <= cBytes.size() && length <= cBytes.size() - offset;
  }
  const uint8_t* at(uint64_t offset) const { return cBytes.data() + offset; }
  SymbolEntry symbol(uint64_t index) const {
    return SymbolEntry::decode(at(cSymbolStart + SymbolEntry::SIZE * index));
  }

  bool readHeaders() {
    if (!has(0, kHeadersStart)) return false;
    cFile = FileHeader::decode(at(0));
    if (cFile.f_magic != COFF_MAGIC || cFile.f_opthdr != OptionalHeader::SIZE) return false;
    cCount = cFile.f_nscns;
    if (cCount > kMaxSections || !has(kHeadersStart, uint64_t{SectionHeader::SIZE} * cCount))
      return false;
    for (uint32_t j = 0; j < cCount; ++j)
      cSections[j] = SectionHeader::decode(at(kHeadersStart + uint64_t{SectionHeader::SIZE} * j));
    return true;
  }

  // Raw data, relocations and line entries of every section, one block
  // after the other in section order, where the layout puts them.
  bool checkSectionBlocks() {
    uint64_t raw = 0, relocs = 0, lines = 0, udata = 0;
    for (uint32_t j = 0; j < cCount; ++j) {
      const SectionHeader& s = cSections[j];
      if (s.s_size == 0) {
        // Nothing of an empty section is read, so nothing may be there.
        if (s.s_scnptr != 0 || s.s_nreloc != 0 || s.s_nlnno != 0 || s.s_relptr != 0 ||
            s.s_lnnoptr != 0)
          return false;
        continue;
      }
      (Coff::isUdata(s) ? udata : raw) += s.s_size;
      relocs += s.s_nreloc;
      lines += s.s_nlnno;
    }
    if (udata > kMaxUdataBytes) return false;
    uint64_t rawPointer = kHeadersStart + uint64_t{SectionHeader::SIZE} * cCount;
    uint64_t relocPointer = rawPointer + raw;
    uint64_t linePointer = relocPointer + reloc::SIZE * relocs;
    cSymbolStart = linePointer + coff_lineno::SIZE * lines;
    for (uint32_t j = 0; j < cCount; ++j) {
      const SectionHeader& s = cSections[j];
      if (s.s_size == 0) continue;
      // A udata section's bytes are never written, so none may be stored.
      const uint64_t data = Coff::isUdata(s) ? 0 : rawPointer;
      if (s.s_scnptr != data || !pointsAt(s.s_relptr, s.s_nreloc, relocPointer) ||
          !pointsAt(s.s_lnnoptr, s.s_nlnno, linePointer))
        return false;
      if (!Coff::isUdata(s)) rawPointer += s.s_size;
      relocPointer += uint64_t{reloc::SIZE} * s.s_nreloc;
      linePointer += uint64_t{coff_lineno::SIZE} * s.s_nlnno;
    }
    const uint64_t symbols = cFile.f_nsyms;
    if (cFile.f_symptr != (symbols == 0 ? 0 : cSymbolStart)) return false;
    cStringStart = cSymbolStart + SymbolEntry::SIZE * symbols;
    return has(0, cStringStart);
  }

  static bool pointsAt(uint32_t pointer, uint16_t count, uint64_t expected) {
    return pointer == (count == 0 ? 0 : expected);
  }

  // The length word, then non-empty strings each with its NUL, filling the
  // table exactly: the reader keeps them all and the writer's length word
  // is the same.
  bool checkStringTable() {
    if (!has(cStringStart, 4)) return false;
    cStringLength = readLe32(at(cStringStart));
    if (cStringLength < 4 || cStringLength > INT_MAX || !has(cStringStart, cStringLength))
      return false;
    cEnd = cStringStart + cStringLength;
    if (cEnd > UINT32_MAX) return false;
    bool atStringStart = true;
    for (uint64_t offset = 4; offset < cStringLength; ++offset) {
      const bool nul = *at(cStringStart + offset) == 0;
      if (nul && atStringStart) return false;  // an empty string ends the table
      atStringStart = nul;
    }
    return atStringStart;  // the last string has its NUL
  }

  // The name in the 8-byte field at `field`, inline or from the string
  // table, viewed in the image; false when the table has no string at the
  // offset.
  bool nameAt(uint64_t field, std::string_view& name) const {
    const auto* bytes = at(field);
    NameField decoded;
    std::memcpy(decoded.bytes, bytes, sizeof decoded.bytes);
    if (!decoded.inStringTable()) {
      name = std::string_view(reinterpret_cast<const char*>(bytes), decoded.inlineLength());
      return true;
    }
    const uint32_t offset = decoded.offset();
    if (offset < 4 || offset >= cStringLength) return false;
    // Strings stand back to back, so each but the first follows a NUL.
    if (offset != 4 && *at(cStringStart + offset - 1) != 0) return false;
    // The table's last byte is a NUL, so the string ends inside it.
    name = std::string_view(reinterpret_cast<const char*>(at(cStringStart + offset)));
    return true;
  }

  // The reader keeps one header per name: every name must be another.
  bool checkSectionNames() {
    std::string_view names[kMaxSections];
    for (uint32_t j = 0; j < cCount; ++j) {
      if (!nameAt(kHeadersStart + uint64_t{SectionHeader::SIZE} * j, names[j])) return false;
      for (uint32_t k = 0; k < j; ++k)
        if (names[k] == names[j]) return false;
    }
    return true;
  }

  // One walk of the symbol table for two walkers that tell aux slots each
  // their own way. The reader's (by the aux kind) decides the defined
  // externals. The layout's (by the aux count as well) points each
  // function's aux entry at the last line entry of its section that names
  // it; the image must hold that pointer already.
  bool checkSymbols(std::vector<std::string_view>& definedGlobals) const {
    const uint64_t count = cFile.f_nsyms;
    uint64_t readerNext = 0, layoutNext = 0, work = 0;
    for (uint64_t i = 0; i < count; ++i) {
      if (i != readerNext && i != layoutNext) continue;
      const SymbolEntry entry = symbol(i);
      const int kind = Coff::auxKind(entry);
      if (i == readerNext) {
        readerNext = i + (kind != AUX_NONE ? 2 : 1);
        if (Coff::isDefinedGlobal(entry)) {
          std::string_view name;
          if (!nameAt(cSymbolStart + SymbolEntry::SIZE * i, name)) return false;
          definedGlobals.push_back(name);
        }
      }
      if (i == layoutNext) {
        const bool function = kind == AUX_FCN;
        if (function && i + 1 < count && !functionLineHeld(entry, i, work)) return false;
        layoutNext = i + (function || entry.n_numaux == 1 ? 2 : 1);
      }
    }
    return true;
  }

  bool functionLineHeld(const SymbolEntry& function, uint64_t index, uint64_t& work) const {
    if (function.n_scnum < 1 || static_cast<uint32_t>(function.n_scnum) > cCount) return true;
    const SectionHeader& section = cSections[function.n_scnum - 1];
    work += section.s_nlnno;
    if (work > kMaxFunctionLineWork) return false;
    bool found = false;
    uint32_t pointer = 0;
    for (uint32_t k = 0; k < section.s_nlnno; ++k) {
      const coff_lineno line =
          coff_lineno::decode(at(uint64_t{section.s_lnnoptr} + coff_lineno::SIZE * k));
      if (Coff::hasFcnIndex(line) && line.l_fcnndx == index) {
        found = true;
        pointer = section.s_lnnoptr + coff_lineno::SIZE * k;
      }
    }
    return !found || AuxFcn::from(symbol(index + 1)).x_lnnoptr == pointer;
  }

  std::span<const uint8_t> cBytes;
  FileHeader cFile;
  uint32_t cCount = 0;
  SectionHeader cSections[kMaxSections];
  uint64_t cSymbolStart = 0;
  uint64_t cStringStart = 0;
  uint64_t cStringLength = 0;
  uint64_t cEnd = 0;
};

}  // namespace

bool readCanonicalImage(std::span<const uint8_t> bytes, CanonicalImage& image,
                        std::vector<std::string_view>& definedGlobals) {
  CanonicalImage result;
  const size_t before = definedGlobals.size();
  if (!CanonicalScan(bytes).run(result, definedGlobals)) {
    definedGlobals.resize(before);
    return false;
  }
  image = result;
  return true;
}
