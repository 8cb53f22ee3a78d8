// Coff::make: parsing an object image, converting the older layout (no
// optional header, 10-byte relocations, 6-byte line entries, inline file
// names) into the current one as it goes.
#include <algorithm>
#include <climits>
#include <cstring>

#include "coff.h"
#include "coff_image_reader.h"
#include "diagnostics.h"

namespace {

const char* const MAKE_CONTEXT = "Coff::make()";

// Sections that store no bytes in the file (udata, or a zero data pointer)
// are still given s_size zero bytes. A damaged header could ask for
// gigabytes that way, so the zero-filled bytes of one object are capped far
// above the memory of any device of the families.
constexpr uint64_t MAX_ZERO_FILLED_BYTES = uint64_t{1} << 24;

// udata bytes take no room in the written image, so the image's length
// (which is where a library's next member starts) does not bound them: a
// library of many small members could each ask for the cap above. No device
// has more than 4 KB of data memory; the udata of one object is capped at
// 16 times that.
constexpr uint64_t MAX_UDATA_BYTES = uint64_t{1} << 16;

class CoffParser {
 public:
  CoffParser(BoundedReader& source, uint64_t baseOffset, const std::string& name)
      : cReader(source, baseOffset), cCoff(std::make_unique<Coff>()) {
    cCoff->cName = name;
  }

  // The object, and the length of its image as stored when asked for.
  std::unique_ptr<Coff> parse(uint64_t* storedLength = nullptr) {
    if (!readFileHeader() || !readOptionalHeader() || !checkSymbolCount() || !readStringTable() ||
        !readSymbolTable() || !readSections() || !checkUdataBytes())
      return nullptr;
    if (storedLength) *storedLength = lengthAsStored();
    return std::move(cCoff);
  }

 private:
  // The image's blocks in the layout it is stored in, which for the older
  // layout has no optional header and shorter records; in the current
  // layout this is the object's Coff::size.
  uint64_t lengthAsStored() const {
    uint64_t length = sectionHeaderStart() + uint64_t{SectionHeader::SIZE} * header().f_nscns;
    for (const auto& [name, data] : cCoff->cRawData)
      if (!Coff::isUdata(cCoff->cScnHdr.at(name))) length += data.size();
    length += uint64_t{relocSize()} * cRelocsRead + uint64_t{linenoSize()} * cLinesRead;
    return length + uint64_t{SymbolEntry::SIZE} * header().f_nsyms + cStringBytesRead;
  }

  bool fail(const std::string& ending) {
    reportError(MAKE_CONTEXT, "Coff file '", cCoff->cName, ending);
    return false;
  }

  const FileHeader& header() const { return cCoff->cFileHdr; }
  uint64_t sectionHeaderStart() const { return FileHeader::SIZE + uint64_t{header().f_opthdr}; }
  uint32_t relocSize() const { return cOlderLayout ? reloc::OLD_SIZE : reloc::SIZE; }
  uint32_t linenoSize() const { return cOlderLayout ? GnuLineno::SIZE : coff_lineno::SIZE; }

  bool readFileHeader() {
    uint8_t bytes[FileHeader::SIZE];
    if (!cReader.read(0, FileHeader::SIZE, bytes)) return fail("' could not read file header.");
    cCoff->cFileHdr = FileHeader::decode(bytes);
    if (header().f_magic != COFF_MAGIC) return fail("' does not appear to be a valid COFF file.");
    return true;
  }

  // An older-layout file has no optional header; the object keeps a zeroed
  // one so that nothing downstream reads undefined values.
  bool readOptionalHeader() {
    if (header().f_opthdr != OptionalHeader::SIZE) {
      fail("' missing optional file header.");
      cOlderLayout = true;
      cCoff->cOptHdr = OptionalHeader{};
      return true;
    }
    uint8_t bytes[OptionalHeader::SIZE];
    if (!cReader.read(FileHeader::SIZE, OptionalHeader::SIZE, bytes))
      return fail("' could not read optional file header.");
    cCoff->cOptHdr = OptionalHeader::decode(bytes);
    return true;
  }

  // A symbol count that the rest of the file could not possibly hold fails
  // at once, before the string table is looked for behind it.
  bool checkSymbolCount() {
    const uint64_t length = uint64_t{header().f_nsyms} * SymbolEntry::SIZE;
    if (length > cReader.remaining()) return fail("' could not read symbol table.");
    return true;
  }

  // Where the string table starts. Behind the symbol table when there is
  // one; an object without symbols has f_symptr 0 from the writer, which
  // puts the table right after the last block it wrote.
  bool stringTableStart(uint64_t& start) {
    if (header().f_nsyms != 0) {
      start = header().f_symptr + uint64_t{header().f_nsyms} * SymbolEntry::SIZE;
      return true;
    }
    if (header().f_symptr != 0) {
      start = header().f_symptr;
      return true;
    }
    return endOfSectionBlocks(start);
  }

  bool endOfSectionBlocks(uint64_t& end) {
    end = sectionHeaderStart() + uint64_t{header().f_nscns} * SectionHeader::SIZE;
    for (uint32_t j = 0; j < header().f_nscns; ++j) {
      SectionHeader section;
      if (!readSectionHeader(j, section)) return false;
      if (section.s_scnptr != 0 && section.s_size != 0)
        end = std::max(end, uint64_t{section.s_scnptr} + section.s_size);
      if (section.s_nreloc != 0)
        end = std::max(end, uint64_t{section.s_relptr} + uint64_t{section.s_nreloc} * relocSize());
      if (section.s_nlnno != 0)
        end = std::max(end, uint64_t{section.s_lnnoptr} + uint64_t{section.s_nlnno} * linenoSize());
    }
    return true;
  }

  bool readStringTable() {
    uint64_t start = 0;
    if (!stringTableStart(start)) return false;
    uint8_t lengthWord[4];
    if (!cReader.read(start, 4, lengthWord)) {
      // Without symbols the writer may have had nothing to put there.
      if (header().f_nsyms == 0 && !cReader.fits(start, 1)) return true;
      return fail("' could not read string table length.");
    }
    const uint32_t length = readLe32(lengthWord);
    if (length < 4) return fail("' could not read string table.");
    if (length == 4) return true;  // the writer's form of a table with no strings
    std::vector<uint8_t> text;
    if (!cReader.read(start + 4, length - 4, text)) return fail("' could not read string table.");
    storeStrings(text);
    cStringBytesRead = static_cast<uint32_t>(cNextFreeOffset);
    return true;
  }

  // Strings back to back; an empty string or a string without its NUL ends
  // the table.
  void storeStrings(const std::vector<uint8_t>& text) {
    size_t position = 0;
    while (position < text.size()) {
      const auto begin = text.begin() + static_cast<std::ptrdiff_t>(position);
      const auto nul = std::find(begin, text.end(), 0);
      if (nul == text.end() || nul == begin || position + 4 > INT_MAX) break;
      const int offset = static_cast<int>(position + 4);
      cCoff->cStrTbl[offset] = std::string(begin, nul);
      position = static_cast<size_t>(nul - text.begin()) + 1;
      cNextFreeOffset = static_cast<int>(position + 4);
    }
  }

  bool readSymbolTable() {
    const uint32_t count = header().f_nsyms;
    if (count == 0) return true;
    std::vector<uint8_t> bytes;
    if (!cReader.read(header().f_symptr, uint64_t{count} * SymbolEntry::SIZE, bytes))
      return fail("' could not read symbol table.");
    Coff& coff = *cCoff;
    coff.cSymTbl.reserve(count);
    coff.cAuxType.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
      const SymbolEntry entry = SymbolEntry::decode(&bytes[size_t{i} * SymbolEntry::SIZE]);
      coff.cSymTbl.push_back(entry);
      coff.cAuxType.push_back(AUX_NONE);
      const int kind = Coff::auxKind(entry);
      if (kind == AUX_NONE || i + 1 >= count) continue;
      ++i;
      SymbolEntry aux = SymbolEntry::decode(&bytes[size_t{i} * SymbolEntry::SIZE]);
      if (cOlderLayout && kind == AUX_FILE) moveFileNameToStringTable(aux);
      coff.cSymTbl.push_back(aux);
      coff.cAuxType.push_back(kind);
    }
    return true;
  }

  // The older layout keeps a ".file" name inline in its aux entry; the
  // current one refers to the string table.
  void moveFileNameToStringTable(SymbolEntry& aux) {
    uint8_t raw[SymbolEntry::SIZE];
    aux.encode(raw);
    const uint8_t* nul = std::find(raw, raw + SymbolEntry::SIZE, 0);
    const std::string name(static_cast<const uint8_t*>(raw), nul);
    AuxFile file = AuxFile::from(aux);
    file.x_incline = 0;
    // A string table on disk cannot hold an empty string (it would end the
    // table), so an empty name is not stored: the entry names no string.
    file.x_offset = name.empty() ? 0 : static_cast<uint32_t>(cNextFreeOffset);
    file.storeInto(aux);
    if (name.empty()) return;
    cCoff->cStrTbl[cNextFreeOffset] = name;
    cNextFreeOffset += static_cast<int>(name.size()) + 1;
  }

  bool readSectionHeader(uint32_t j, SectionHeader& section) {
    uint8_t bytes[SectionHeader::SIZE];
    if (!cReader.read(sectionHeaderStart() + uint64_t{j} * SectionHeader::SIZE, SectionHeader::SIZE,
                      bytes))
      return fail("' could not read section header.");
    section = SectionHeader::decode(bytes);
    return true;
  }

  // Sections are known by name: a second header of a name would merge into
  // the first and one section would be lost, so such an object is refused.
  bool readSections() {
    for (uint32_t j = 0; j < header().f_nscns; ++j) {
      SectionHeader section;
      if (!readSectionHeader(j, section)) return false;
      const std::string name = Coff::getName(section, cCoff->cStrTbl);
      if (!cCoff->cScnHdr.emplace(name, section).second)
        return fail("' has more than one section named '" + name + "'.");
      cCoff->cScnNum[static_cast<int>(j + 1)] = name;
      if (section.s_size == 0) continue;
      if (!readRawData(section, name) || !readLineNumbers(section, name) ||
          !readRelocations(section, name))
        return false;
    }
    return true;
  }

  bool checkUdataBytes() {
    uint64_t total = 0;
    for (const auto& [name, section] : cCoff->cScnHdr) {
      const auto data = cCoff->cRawData.find(name);
      if (Coff::isUdata(section) && data != cCoff->cRawData.end()) total += data->second.size();
    }
    return total <= MAX_UDATA_BYTES || fail("' could not read raw data.");
  }

  bool readRawData(const SectionHeader& section, const std::string& name) {
    if (section.s_scnptr == 0) {
      cZeroFilledBytes += section.s_size;
      if (cZeroFilledBytes > MAX_ZERO_FILLED_BYTES) return fail("' could not read raw data.");
      cCoff->cRawData[name] = Data(section.s_size);
      return true;
    }
    std::vector<uint8_t> bytes;
    if (!claim(section.s_size) || !cReader.read(section.s_scnptr, section.s_size, bytes))
      return fail("' could not read raw data.");
    cCoff->cRawData[name] = Data(section.s_size, bytes.data());
    return true;
  }

  bool readLineNumbers(const SectionHeader& section, const std::string& name) {
    if (section.s_nlnno == 0) return true;
    const uint64_t length = uint64_t{section.s_nlnno} * linenoSize();
    std::vector<uint8_t> bytes;
    if (!claim(length) || !cReader.read(section.s_lnnoptr, length, bytes))
      return fail("' could not read line numbers.");
    auto& lines = cCoff->cScnLineno[name];
    uint32_t functionIndex = 0;
    for (uint32_t k = 0; k < section.s_nlnno; ++k) {
      const uint8_t* record = &bytes[size_t{k} * linenoSize()];
      if (!cOlderLayout) {
        lines.push_back(coff_lineno::decode(record));
        continue;
      }
      // Older layout: a zero line number starts a function and names it.
      const GnuLineno old = GnuLineno::decode(record);
      if (old.l_lnno == 0) {
        functionIndex = old.l_symndx();
        continue;
      }
      coff_lineno line;
      line.l_srcndx = 0;
      line.l_lnno = old.l_lnno;
      line.l_paddr = old.l_paddr;
      line.l_flags = LINENO_HASFCN;
      line.l_fcnndx = functionIndex;
      lines.push_back(line);
    }
    cLinesRead += section.s_nlnno;
    if (lines.empty()) cCoff->cScnLineno.erase(name);
    return true;
  }

  bool readRelocations(const SectionHeader& section, const std::string& name) {
    if (section.s_nreloc == 0) return true;
    const uint64_t length = uint64_t{section.s_nreloc} * relocSize();
    std::vector<uint8_t> bytes;
    if (!claim(length) || !cReader.read(section.s_relptr, length, bytes))
      return fail("' could not read relocation info.");
    auto& relocs = cCoff->cScnReloc[name];
    for (uint32_t k = 0; k < section.s_nreloc; ++k) {
      const uint8_t* record = &bytes[size_t{k} * relocSize()];
      relocs.push_back(cOlderLayout ? reloc::decodeOld(record) : reloc::decode(record));
    }
    cRelocsRead += section.s_nreloc;
    return true;
  }

  // The blocks of a well-formed file do not overlap, so all the section data
  // read together (raw data, relocation and line entries) fits in the file.
  // Headers that point many sections at one large block would otherwise
  // multiply the memory a small file can demand.
  bool claim(uint64_t length) {
    cSectionBytes += length;
    return cSectionBytes <= cReader.remaining();
  }

  CoffImageReader cReader;
  std::unique_ptr<Coff> cCoff;
  bool cOlderLayout = false;
  int cNextFreeOffset = 4;
  uint64_t cZeroFilledBytes = 0;
  uint64_t cSectionBytes = 0;  // section data read so far
  // What the stored image holds beyond its headers and raw data: records
  // as stored (the older layout's function starts among its line entries),
  // and the string table's strings before inline file names joined them.
  uint64_t cRelocsRead = 0;
  uint64_t cLinesRead = 0;
  uint32_t cStringBytesRead = 4;
};

}  // namespace

std::unique_ptr<Coff> Coff::make(BoundedReader& source, uint64_t baseOffset,
                                 const std::string& name) {
  return CoffParser(source, baseOffset, name).parse();
}

std::unique_ptr<Coff> Coff::make(BoundedReader& source, uint64_t baseOffset,
                                 const std::string& name, uint64_t& storedLength) {
  return CoffParser(source, baseOffset, name).parse(&storedLength);
}

std::unique_ptr<Coff> Coff::make(std::FILE* file, uint64_t baseOffset, const std::string& name) {
  BoundedReader source(file);
  return make(source, baseOffset, name);
}

std::unique_ptr<Coff> Coff::make(const std::string& fileName) {
  BoundedReader source(fileName);
  if (!source.isOpen()) {
    reportError(MAKE_CONTEXT, "Could not open Coff file '", fileName, "' for reading.");
    return nullptr;
  }
  return make(source, 0, fileName);
}
