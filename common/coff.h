// One object file in memory: read from a file (or from inside a library),
// checked, changed by its owner, laid out and written again.
#pragma once

#include <cstdint>
#include <cstdio>
#include <list>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "coff_records.h"
#include "data.h"

class ByteSink;
class OutputSet;

// The string table: each string under the offset of its first character.
using StringTable = std::map<int, std::string>;

class BoundedReader;
class StringIndex;

class Coff {
 public:
  Coff() = default;
  Coff(const Coff& other) = default;
  Coff& operator=(const Coff& other) = default;
  ~Coff() = default;

  // Reading. Each reports one error and gives no object on failure.
  static std::unique_ptr<Coff> make(const std::string& fileName);
  // Parses the image that starts at baseOffset of an open binary file (a
  // library member); the file stays open.
  static std::unique_ptr<Coff> make(std::FILE* file, uint64_t baseOffset, const std::string& name);
  // The same from any source of outside bytes.
  static std::unique_ptr<Coff> make(BoundedReader& source, uint64_t baseOffset,
                                    const std::string& name);
  // The same, also measuring the image as it is stored (in the older
  // layout: without the optional header, with its shorter records), which
  // is where a library's next member starts.
  static std::unique_ptr<Coff> make(BoundedReader& source, uint64_t baseOffset,
                                    const std::string& name, uint64_t& storedLength);

  // Checks every cross-reference, reporting each fault; 1 when all hold.
  int verify() const;

  // Layout: computes every count and pointer for the writer's block order
  // and stamps the current time.
  void preWrite();
  // preWrite without touching f_timdat: a library member keeps its stamp
  // while its pointers are made to describe the image it is written as.
  void layout();
  // The length of the image `write` produces; changes nothing.
  uint32_t size() const;
  // Points the x_lnnoptr of every function's aux entry at its line entry.
  void fixupAuxFcns();

  // Writing: to cName, into an open binary file at baseOffset, or record by
  // record into a sink (each failed record reported as the file writes do).
  // Into `outputs`, cName is written whole to its temporary and replaced
  // only when the set is committed.
  int write();
  int write(OutputSet& outputs);
  int write(std::FILE* file, uint64_t baseOffset);
  int write(ByteSink& sink);

  // Names. A missing string table entry is a fatal error.
  static std::string getName(const SectionHeader& header, const StringTable& strTbl);
  static std::string getName(const SymbolEntry& symbol, const StringTable& strTbl);
  static std::string getName(const AuxFile& aux, const StringTable& strTbl);
  static void setName(SectionHeader& header, const StringTable& strTbl, const std::string& name);
  static void setName(SymbolEntry& symbol, const StringTable& strTbl, const std::string& name);
  // The same through an index of the table, for many names at a time.
  static void setIndexedName(SectionHeader& header, const StringIndex& names,
                             const std::string& name);
  static void setIndexedName(SymbolEntry& symbol, const StringIndex& names,
                             const std::string& name);
  static int nameInStringTable(const SectionHeader& header);
  static int nameInStringTable(const SymbolEntry& symbol);

  // Queries on symbols.
  static int isArray(const SymbolEntry& symbol);
  static int isFunction(const SymbolEntry& symbol);
  static int isTag(const SymbolEntry& symbol);
  static int isStructType(const SymbolEntry& symbol);
  static int isSectionSymbol(const SymbolEntry& symbol);
  static int isRelocatable(const SymbolEntry& symbol);
  static int isDefinedGlobal(const SymbolEntry& symbol);
  static int isExternRef(const SymbolEntry& symbol);
  static int auxKind(const SymbolEntry& symbol);

  // Queries on line entries and sections.
  static int hasFcnIndex(const coff_lineno& line);
  static int isCode(const SectionHeader& header);
  static int isIdata(const SectionHeader& header);
  static int isUdata(const SectionHeader& header);
  static int isRomdata(const SectionHeader& header);
  static uint8_t sectionType(const SectionHeader& header);
  static int isAbsolute(const SectionHeader& header);
  static int isShared(const SectionHeader& header);
  static int isOverlay(const SectionHeader& header);
  static int isAccess(const SectionHeader& header);
  static void setSectionFlags(SectionHeader& header, uint8_t type, int absolute, int shared,
                              int access);

  // Queries on the file header's f_flags.
  static int isRelocStripped(const FileHeader& header);   // 0x0001
  static int isExecutable(const FileHeader& header);      // 0x0002
  static int isLinenoStripped(const FileHeader& header);  // 0x0004
  static int isDebugStripped(const FileHeader& header);   // 0x0080

  // Diagnostic prints.
  void dump(std::ostream& out) const;
  static void dumpFileHeader(std::ostream& out, const FileHeader& header);
  static void dumpOptionalHeader(std::ostream& out, const OptionalHeader& header);
  static void dumpSectionHeader(std::ostream& out, const SectionHeader& header);
  static void dumpLineno(std::ostream& out, const coff_lineno& line);
  static void dumpGnuLineno(std::ostream& out, const GnuLineno& line);
  static void dumpReloc(std::ostream& out, const reloc& entry);
  // A symbol table slot printed by its kind (AUX_NONE: a primary entry).
  static void dumpSymbol(std::ostream& out, const SymbolEntry& entry, int kind = AUX_NONE);

  std::string cName;
  FileHeader cFileHdr;
  OptionalHeader cOptHdr;
  std::map<int, std::string> cScnNum;
  std::map<std::string, SectionHeader> cScnHdr;
  std::map<std::string, Data> cRawData;
  std::map<std::string, std::list<reloc>> cScnReloc;
  std::map<std::string, std::list<coff_lineno>> cScnLineno;
  std::vector<SymbolEntry> cSymTbl;
  std::vector<int> cAuxType;
  StringTable cStrTbl;
};
