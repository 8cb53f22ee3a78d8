// Small value records of the linker: the SECTION and STACK directives of a
// command file, and the rows that the memory tables and the map file sort
// and print. They are copied freely and own only their strings; their dumps
// serve the trace output alone.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

// One SECTION directive: the section and the memories that it names.
class SectionDesc {
 public:
  SectionDesc() = default;
  SectionDesc(const std::string& name, const std::string& loadMemory, const std::string& runMemory);

  std::string getName() const { return cName; }
  std::string getLoadMemory() const { return cLoadMemory; }
  std::string getRunMemory() const { return cRunMemory; }

  // A section may be described only once, whatever memories a second
  // directive names: identity is the name alone.
  bool operator==(const SectionDesc& other) const { return cName == other.cName; }
  bool operator<(const SectionDesc& other) const { return cName < other.cName; }

  void dump(std::ostream& out) const;

 private:
  std::string cName;        // NAME=
  std::string cLoadMemory;  // ROM=, the code page; empty when not given
  std::string cRunMemory;   // RAM=, the data bank; empty when not given
};

// The STACK directive.
class StackDesc {
 public:
  StackDesc() = default;
  StackDesc(uint32_t size, const std::string& runMemory);

  uint32_t getSize() const { return cSize; }
  std::string getRunMemory() const { return cRunMemory; }

  bool operator==(const StackDesc& other) const { return cSize == other.cSize; }
  bool operator<(const StackDesc& other) const { return cSize < other.cSize; }

  void dump(std::ostream& out) const;

 private:
  uint32_t cSize = 0;      // SIZE=, bytes
  std::string cRunMemory;  // RAM=; empty when not given
};

// A section's name and start, ordered by the start for the memory tables.
struct ScnAddr {
  ScnAddr() = default;
  ScnAddr(const std::string& sectionName, uint32_t startAddress)
      : name(sectionName), address(startAddress) {}

  bool operator<(const ScnAddr& other) const { return address < other.address; }

  std::string name;
  uint32_t address = 0;
};

// One row of the map file's section table.
class SectionInfo {
 public:
  SectionInfo() = default;
  SectionInfo(const std::string& name, uint32_t address, uint32_t size, uint8_t location,
              uint8_t type, uint32_t isAbsolute, uint32_t isShared, uint32_t isAccess);

  // The table lists sections by start address.
  bool operator<(const SectionInfo& other) const { return cAddress < other.cAddress; }
  static bool lessByAddress(const SectionInfo& a, const SectionInfo& b) { return a < b; }

  void dump(std::ostream& out) const;

  std::string cName;
  uint32_t cAddress = 0;
  uint32_t cSize = 0;     // bytes
  uint8_t cLocation = 0;  // 0 program memory, 1 data memory
  uint8_t cType = 0;      // 0 unknown, 1 code, 2 idata, 3 udata, 4 romdata
  uint32_t cAbs = 0;
  uint32_t cShared = 0;
  uint32_t cAccess = 0;
};

// One row of the map file's symbol tables, which are sorted once by name
// and once by address.
class SymbolInfo {
 public:
  SymbolInfo() = default;
  SymbolInfo(const std::string& name, uint32_t address, uint8_t location, uint8_t storageClass,
             uint8_t kind, const std::string& file);

  // Byte order of the names, not the locale's.
  static bool lessByName(const SymbolInfo& a, const SymbolInfo& b) { return a.cName < b.cName; }
  static bool lessByAddress(const SymbolInfo& a, const SymbolInfo& b) {
    return a.cAddress < b.cAddress;
  }

  void dump(std::ostream& out) const;

  std::string cName;
  uint32_t cAddress = 0;
  uint8_t cLocation = 0;      // 0 program memory, 1 data memory
  uint8_t cStorageClass = 0;  // 0 external, 1 static
  uint8_t cKind = 0;          // 0 function, 1 variable
  std::string cFile;          // source file the symbol belongs to
};
