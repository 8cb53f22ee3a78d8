// The checks that all inputs of a link fit together before anything is
// placed: one target processor, one type and one set of attributes per
// section name, and "SECTION" directives whose memories suit the sections.
#include <algorithm>
#include <set>
#include <string>

#include "linker.h"

namespace {

// The processor type word of an object: the low half of proc_type.
uint16_t processorWord(const Coff& object) {
  return static_cast<uint16_t>(object.cOptHdr.proc_type & 0xFFFF);
}

bool isFamilyGeneric(const Coff& object) { return (object.cFileHdr.f_flags & F_GENERIC) != 0; }

std::string unsupportedText(const Coff& object) {
  return "Unsupported processor type in file '" + object.cName + "'";
}

std::string mismatchText(const char* what, const std::string& section) {
  return std::string("section ") + what + " types for '" + section +
         "' do not match across input files.";
}

uint32_t roundUp(uint32_t size, uint32_t unit) {
  if (unit <= 1) return size;
  return (size + unit - 1) / unit * unit;
}

bool isProgramType(uint8_t type) { return type == SECTION_CODE || type == SECTION_ROMDATA; }

// The names the fill gives its sections: ".fill_" and a count from 1.
bool isFillName(const std::string& name) {
  const std::string prefix = ".fill_";
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
      name[prefix.size()] == '0')
    return false;
  return std::all_of(name.begin() + prefix.size(), name.end(),
                     [](char c) { return c >= '0' && c <= '9'; });
}

// Code and rom data live in program memory alone, idata and udata in data
// memory alone (an idata section's image is a section of its own).
struct AttributeRule {
  uint8_t type;
  bool refusesRam;  // else the ROM attribute is refused
  const char* contents;
};
constexpr AttributeRule ATTRIBUTE_RULES[] = {
    {SECTION_CODE, true, "code"},
    {SECTION_IDATA, false, "initialized data"},
    {SECTION_UDATA, false, "uninitialized data"},
    {SECTION_ROMDATA, true, "initialized rom data"},
};

}  // namespace

int Linker::checkProcessors(std::string& error) {
  // The first input decides unless some input names one device rather than
  // a whole family: then the first such input decides.
  for (size_t i = 0; i < cCoff.size(); ++i) {
    const Coff& object = *cCoff[i];
    const uint16_t word = processorWord(object);
    if (procIsCoffType(word) == 0) {
      error = unsupportedText(object);
      return 0;
    }
    const bool generic = isFamilyGeneric(object);
    if (i == 0 || !generic) {
      cProcessor = static_cast<ProcessorCode>(procFromCoffType(word) & 0xFF);
      cFamily = procFamily(cProcessor);
      cRomWidthBits = static_cast<uint16_t>(procRomWidthBits(cProcessor));
      cRamWidthBits = static_cast<uint16_t>(procRamWidthBits(cProcessor));
    }
    if (!generic) break;
  }
  for (const auto& object : cCoff) {
    const uint16_t word = processorWord(*object);
    if (procIsCoffType(word) == 0) {
      error = unsupportedText(*object);
      return 0;
    }
    const ProcessorCode code = static_cast<ProcessorCode>(procFromCoffType(word) & 0xFF);
    const bool agrees = isFamilyGeneric(*object) ? procFamily(code) == cFamily : code == cProcessor;
    if (!agrees) {
      error = "processor types do not agree across all input files.";
      return 0;
    }
  }
  for (Memory& page : cCodePage) page.setWidthBits(cRomWidthBits);
  for (auto* banks : {&cDataBanks, &cShareBanks, &cAccessBanks})
    for (Memory& bank : *banks) bank.setWidthBits(cRamWidthBits);
  return 1;
}

namespace {

// Merges the sections of all inputs by name into the Linker's section maps,
// one part at a time.
class SectionMerger {
 public:
  explicit SectionMerger(Linker& linker) : l(linker) {}

  int add(const Coff& object, const std::string& n, const SectionHeader& h, std::string& error) {
    // A memory tells its pieces from its free holes by the owner's name, so
    // a section without one would be placed and then seem never placed.
    if (n.empty()) {
      error = "a section in file '" + object.cName + "' has no name.";
      return 0;
    }
    if (l.cScnSize.count(n) == 0) return addFirst(object, n, h, error);
    return addFurther(n, h, error);
  }

 private:
  int addFirst(const Coff& object, const std::string& n, const SectionHeader& h,
               std::string& error) {
    l.cScnSize[n] = h.s_size;
    const uint8_t type = Coff::sectionType(h);
    if (type == SECTION_UNKNOWN) {
      error = "unknown section type for '" + n + "' in file '" + object.cName + "'.";
      return 0;
    }
    l.cScnType[n] = type;
    l.cScnAbs[n] = Coff::isAbsolute(h);
    l.cScnShare[n] = Coff::isShared(h);
    l.cScnAccess[n] = Coff::isAccess(h);
    if (Coff::isAbsolute(h) != 0) {
      l.cScnAbsStart[n] = h.s_paddr;
      l.cScnAbsSize[n] = h.s_size;
    }
    l.cScnOverlay[n] = Coff::isOverlay(h);
    return 1;
  }

  int addFurther(const std::string& n, const SectionHeader& h, std::string& error) {
    if (Coff::isOverlay(h) != l.cScnOverlay[n]) {
      error = mismatchText("overlay", n);
      return 0;
    }
    if (l.cScnOverlay[n] != 0) {
      if (addOverlayPart(n, h, error) == 0) return 0;
    } else {
      addNormalPart(n, h);
    }
    if (Coff::sectionType(h) != l.cScnType[n]) {
      error = std::string("section types for '") + n + "' do not match across input files.";
      return 0;
    }
    if (Coff::isShared(h) != l.cScnShare[n]) {
      error = mismatchText("share", n);
      return 0;
    }
    if (Coff::isAccess(h) != l.cScnAccess[n]) {
      error = mismatchText("access", n);
      return 0;
    }
    if (l.cScnOverlay[n] == 0 && (Coff::isAbsolute(h) != 0 || l.cScnAbs[n] != 0)) {
      error = "section '" + n +
              "' type is non-overlay and absolute but occurs in more than one input file.";
      return 0;
    }
    return 1;
  }

  // Overlaid parts share one place: the section is as large as its largest
  // part.
  int addOverlayPart(const std::string& n, const SectionHeader& h, std::string& error) {
    if (l.cScnSize[n] < h.s_size) l.cScnSize[n] = h.s_size;
    if (Coff::isAbsolute(h) != l.cScnAbs[n]) {
      error = mismatchText("absolute", n);
      return 0;
    }
    if (l.cScnAbs[n] == 0) return 1;
    if (h.s_paddr != l.cScnAbsStart[n]) {
      error = "starting addresses for absolute overlay section '" + n +
              "' do not match across all input files.";
      return 0;
    }
    l.cScnAbsSize[n] = l.cScnSize[n];
    return 1;
  }

  // Parts follow one another. Each part of a program-memory section starts
  // on a program location, so on locations of several bytes the parts
  // before it are counted in whole locations.
  void addNormalPart(const std::string& n, const SectionHeader& h) {
    uint32_t size = l.cScnSize[n];
    if (isProgramType(l.cScnType[n])) size = roundUp(size, l.widthInBytes(Linker::rom));
    l.cScnSize[n] = size + h.s_size;
  }

  Linker& l;
};

}  // namespace

int Linker::checkSectionTypes(std::string& error) {
  SectionMerger merger(*this);
  for (const auto& object : cCoff)
    for (const auto& [name, header] : object->cScnHdr)
      if (merger.add(*object, name, header, error) == 0) return 0;
  // The linker makes the initialised-data table, the stack and one image of
  // every idata section; an input section of such a name would be merged
  // with them. Known only once every input's sections are in. With FILL= on
  // a code page it also makes the fill sections, which would overwrite an
  // input section of their name.
  std::set<std::string> images;
  for (const auto& [name, type] : cScnType)
    if (type == SECTION_IDATA) images.insert(Linker::initSectionName(name));
  const bool fills = std::any_of(cCodePage.begin(), cCodePage.end(),
                                 [](const Memory& page) { return page.hasFill() != 0; });
  for (const auto& object : cCoff) {
    for (const auto& entry : object->cScnHdr) {
      const std::string& name = entry.first;
      if (name != cCinitScnName && name != cStackScnName && images.count(name) == 0 &&
          !(fills && isFillName(name)))
        continue;
      error = "section '" + name + "' in file '" + object->cName +
              "' has a name reserved by the linker.";
      return 0;
    }
  }
  return 1;
}

int Linker::checkMemoryAttributes(std::string& error) {
  for (const SectionDesc& desc : cSectionDesc) {
    const uint8_t type = sectionTypeOf(desc.getName());
    for (const AttributeRule& rule : ATTRIBUTE_RULES) {
      if (rule.type != type) continue;
      const std::string memory = rule.refusesRam ? desc.getRunMemory() : desc.getLoadMemory();
      if (memory.empty()) break;
      error = "section '" + desc.getName() + "' contains " + rule.contents +
              " and can not have a '" + (rule.refusesRam ? "RAM" : "ROM") +
              "' memory attribute specified in the linker command file.";
      return 0;
    }
  }
  return 1;
}
