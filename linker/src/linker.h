// The one Linker of a run: the settings of the command line and the command
// files, the inputs, the output object and the per-section tables that the
// link phases fill one after another.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "archive.h"
#include "coff.h"
#include "data.h"
#include "memtarg.h"
#include "mgproc.h"
#include "string_index.h"
#include "value_records.h"

namespace allocation {
class PlacementIndex;
}

class Linker {
 public:
  // Memory types: program memory and data memory.
  static constexpr uint8_t rom = 0;
  static constexpr uint8_t ram = 1;

  Linker();
  virtual ~Linker();
  Linker(const Linker&) = delete;
  Linker& operator=(const Linker&) = delete;

  // The command operations through which the parser hands over every
  // setting. Each checks the value against what is already held, stores it
  // and returns 1, or returns 0 with the reason in error and stores nothing.
  virtual int setMinHeapSize(uint32_t size, std::string& error);
  virtual int setMapFile(const std::string& name, std::string& error);
  virtual int setOutputFile(const std::string& name, std::string& error);
  virtual int addObjectFile(const std::string& name, std::string& error);
  virtual int addLibraryFile(const std::string& name, std::string& error);
  virtual int addCodePage(const Memory& memory, std::string& error);
  virtual int addDataBank(const Memory& memory, std::string& error);
  virtual int addShareBank(const Memory& memory, std::string& error);
  virtual int addAccessBank(const Memory& memory, std::string& error);
  virtual int addSection(const SectionDesc& section, std::string& error);
  virtual int setStack(const StackDesc& stack, std::string& error);
  virtual int addLibPath(const std::string& directory, std::string& error);
  virtual int setStrip(int strip, std::string& error);

  // Checks of a new memory against the held ones; 1 when it may be added.
  int checkCodePageOverlap(const Memory& memory, std::string& error) const;
  int checkDataOverlap(const Memory& memory, std::string& error) const;
  int checkDuplicateMemory(const Memory& memory, int skipShareBanks, std::string& error) const;

  // Program-memory addresses of the target: the sizes of all code pages.
  uint32_t programSize() const;
  // Bytes of one address of program memory (rom) or data memory (ram).
  uint32_t widthInBytes(uint8_t memType) const;
  // The developer's dump of everything held.
  void print(std::ostream& out) const;

  // The link driver: every phase below in its fixed order.
  int link(std::string& error);

  // The key of an input's per-file records (its parts' loads in the
  // memories, its symbol base): its position in cCoff with its name, so that
  // two inputs of one name (x.o and ./x.o, or two libraries' util.o) stay
  // apart.
  std::string inputKey(size_t position) const;
  // The type of a section of the link (cScnType), 0 for a name it lacks.
  uint8_t sectionTypeOf(const std::string& name) const;

  // Input objects and libraries.
  int findObjectFiles(std::string& error);
  int findLibraryFiles(std::string& error);
  int importLibraryMembers(std::string& error);

  // The files the link writes: none may be one of its inputs or the other
  // (checked once the inputs are found, before anything is written); the
  // output and the full map are written whole and replace their old files
  // together, only when the link reported no error.
  int checkOutputFiles(std::string& error) const;
  int writeOutputFiles();
  // The phases after allocation, up to the verified output object.
  int buildOutput(std::string& error);

  // Input consistency checks.
  int checkProcessors(std::string& error);
  int checkSectionTypes(std::string& error);
  int checkMemoryAttributes(std::string& error);

  // Section allocation.
  int mapSections(std::string& error);
  int allocateAbsAssigned(std::list<Memory>& memories, const std::string& memoryName,
                          const std::string& section, uint32_t start, uint32_t length, int overlay,
                          std::string& error);
  int allocateAbsUnassigned(std::list<Memory>& memories, const std::string& section, uint32_t start,
                            uint32_t length, int overlay, std::string& error);
  int allocateRelAssigned(std::list<Memory>& memories, const std::string& memoryName,
                          const std::string& section, uint32_t length, int overlay,
                          std::string& error);
  int allocateRelUnassigned(std::list<Memory>& memories, const std::string& section,
                            uint32_t length, int overlay, std::string& error);
  int allocateInitImage(const std::string& imageName, std::string& error);
  int stackHasMemory() const;
  int allocateStack(std::string& error);
  int cinitHasSection() const;
  uint32_t cinitSize() const;
  int allocateCinit(std::string& error);
  uint32_t toAddressUnits(uint32_t bytes) const;
  static std::string initSectionName(const std::string& name);
  static std::string baseSectionName(const std::string& name);

  // Section loading and the initialised-data table.
  int loadSections(std::string& error);
  int buildCinit(std::string& error);

  // Symbols, string tables and external resolution.
  int relocateSymbols(std::string& error);
  int relocateLineInfo(std::string& error);
  int mergeStringTbls(std::string& error);
  void replaceStringTbl(Coff& file, const StringTable& merged,
                        const std::map<std::string, int>& offsets);
  int buildExtSymDef(std::string& error);
  int resolveExternals(std::string& error);

  // Relocation patching, one patcher per core family.
  int verifyRelocations(std::string& error);
  int patchSections(std::string& error);
  int doPatch(uint32_t loadStart, Data& data, const reloc& entry,
              const std::vector<SymbolEntry>& symTbl, const StringTable& strTbl,
              std::string& error);
  int doPatchOstra(uint32_t loadStart, Data& data, const reloc& entry,
                   const std::vector<SymbolEntry>& symTbl, const StringTable& strTbl,
                   std::string& error);
  int doPatchMirel(Data& data, const reloc& entry, const std::vector<SymbolEntry>& symTbl,
                   const StringTable& strTbl, std::string& error);
  int doPatchZarn(Data& data, const reloc& entry, const std::vector<SymbolEntry>& symTbl,
                  const StringTable& strTbl, std::string& error);
  int doPatchVesk(Data& data, const reloc& entry, const std::vector<SymbolEntry>& symTbl,
                  const StringTable& strTbl, std::string& error);
  static void patchBits(Data& d, uint32_t rawOffset, uint32_t value, uint16_t srcBegin,
                        uint16_t dstBegin, uint16_t width);
  static void setBit(Data& d, uint32_t bitPos, int flag);

  // The output object. Its counts and length are checked against the
  // object format before any of it is built.
  int checkOutputLimits(std::string& error);
  int buildOutputScnNum(std::string& error);
  int buildOutputSymbolTbl(std::string& error);
  int buildOutputRawData(std::string& error);
  int buildOutputLineInfo(std::string& error);
  int buildOutputStrTbl(std::string& error);
  int buildOutputScnHdrs(std::string& error);
  int buildOutputHeader(std::string& error);

  // Fill of unused program memory, and the partial map.
  void buildOutputHoles();
  static void fillHoleCallback(void* userData, const Memory& memory, uint32_t start, uint32_t end,
                               const std::string& fill);
  void buildOutputHole(const Memory& memory, uint32_t start, uint32_t end, const std::string& fill);
  // The partial map is made from the memories as allocation left them and
  // written only if the link then fails (made then, if it was not yet).
  void composeErrorMap();
  void writeErrorMapFile();

  uint32_t cHasMinHeapSize = 0;
  uint32_t cHasStack = 0;
  uint32_t cMinHeapSize = 32;
  StackDesc cStackDesc{0, ""};
  std::string cStackScnName = ".stack";
  std::string cMapFile;
  std::string cErrorMap;  // the partial map's text, once made
  std::string cOutputFile;
  std::list<std::string> cObjectFile;
  std::list<std::string> cLibraryFile;
  // The command files that were read: inputs too, never written over.
  std::list<std::string> cCommandFiles;
  // Lists, so that a Memory stays where it is: cScnMem points into them.
  std::list<Memory> cCodePage;
  std::list<Memory> cDataBanks;
  std::list<Memory> cShareBanks;
  std::list<Memory> cAccessBanks;
  std::list<SectionDesc> cSectionDesc;
  std::list<std::string> cLibPath;
  int cStrip = 0;
  std::vector<std::unique_ptr<Archive>> cArchives;
  std::vector<std::unique_ptr<Coff>> cCoff;
  Coff cOutput;
  uint16_t cRomWidthBits = 0;
  uint16_t cRamWidthBits = 0;
  ProcessorCode cProcessor = 0;
  CoreFamily cFamily = 0;
  std::map<std::string, uint32_t> cScnSize;
  std::map<std::string, uint8_t> cScnType;
  std::map<std::string, int> cScnAbs;
  std::map<std::string, int> cScnShare;
  std::map<std::string, int> cScnOverlay;
  std::map<std::string, int> cScnAccess;
  std::map<std::string, uint32_t> cScnAbsStart;
  std::map<std::string, uint32_t> cScnAbsSize;
  std::map<std::string, Memory*> cScnMem;
  // The defining entries; not owned.
  std::map<std::string, SymbolEntry*> cExtSymDef;
  std::map<std::string, int> cSymBase;
  std::string cCinitScnName = ".cinit";
  Data cCinitData;
  SymbolEntry cCinitSym;
  SymbolEntry cStackSym;
  SymbolEntry cStkSizeSym;
  uint32_t cFillCount = 0;
  // The lookups of the memory lists while mapSections runs; not owned.
  allocation::PlacementIndex* cPlacementIndex = nullptr;

 private:
  // Indexes over what the command operations stored, so that a command
  // file of many lines is not checked line against line. The command
  // operations are the only writers of the lists they index.
  enum class MemoryKind : uint8_t { CodePage, DataBank, ShareBank, AccessBank };
  struct HeldMemory {
    MemoryKind kind;
    uint32_t size;  // every share bank of one name has this size
  };
  using Spans = std::map<uint32_t, uint32_t>;  // start to end of disjoint memories

  static int spansOverlap(const Spans& spans, const Memory& memory);
  static void addSpan(Spans& spans, const Memory& memory);
  int holdsDataMemory(const std::string& name) const;
  int addDataMemory(std::list<Memory>& list, MemoryKind kind, const Memory& memory,
                    std::string& error);

  std::set<std::string> cObjectFileIndex;
  std::set<std::string> cLibraryFileIndex;
  std::map<std::string, HeldMemory> cMemoryIndex;
  Spans cCodeSpans;
  Spans cDataSpans;
  // The output's strings while buildOutputHoles names the fill sections.
  std::optional<StringIndex> cFillNameIndex;
  // SECTION names to their directives in cSectionDesc.
  std::map<std::string, const SectionDesc*> cSectionIndex;
};
