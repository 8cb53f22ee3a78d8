#include "value_records.h"

#include <initializer_list>

#include "text_helpers.h"

namespace {

// Names of small codes; a code outside the table shows as "error!".
const char* codeName(uint8_t code, std::initializer_list<const char*> names) {
  return code < names.size() ? names.begin()[code] : "error!";
}

const char* locationName(uint8_t location) { return codeName(location, {"progMem", "dataMem"}); }

}  // namespace

SectionDesc::SectionDesc(const std::string& name, const std::string& loadMemory,
                         const std::string& runMemory)
    : cName(name), cLoadMemory(loadMemory), cRunMemory(runMemory) {}

void SectionDesc::dump(std::ostream& out) const {
  out << "SectionDesc:  cName=" << cName << ", cLoadMemory=" << cLoadMemory
      << ", cRunMemory=" << cRunMemory << '\n';
}

StackDesc::StackDesc(uint32_t size, const std::string& runMemory)
    : cSize(size), cRunMemory(runMemory) {}

void StackDesc::dump(std::ostream& out) const {
  out << "StackDesc:  cSize=" << formatHex(cSize, 4) << ", cRunMemory=" << cRunMemory << '\n';
}

SectionInfo::SectionInfo(const std::string& name, uint32_t address, uint32_t size, uint8_t location,
                         uint8_t type, uint32_t isAbsolute, uint32_t isShared, uint32_t isAccess)
    : cName(name),
      cAddress(address),
      cSize(size),
      cLocation(location),
      cType(type),
      cAbs(isAbsolute),
      cShared(isShared),
      cAccess(isAccess) {}

void SectionInfo::dump(std::ostream& out) const {
  out << "SectionInfo:\n"
      << "cName=" << cName << '\n'
      << "cAddress=" << formatHex(cAddress, 4) << '\n'
      << "cSize=" << formatHex(cSize, 4) << '\n'
      << "cLocation=" << locationName(cLocation) << '\n'
      << "cType=" << codeName(cType, {"unknown", "code", "idata", "udata", "romdata"}) << '\n'
      << "cAbs=" << (cAbs ? "absolute" : "relocated") << '\n'
      << "cShared=" << (cShared ? "shared" : "not shared") << '\n'
      << "cAccess=" << (cAccess ? "access" : "not access") << '\n';
}

SymbolInfo::SymbolInfo(const std::string& name, uint32_t address, uint8_t location,
                       uint8_t storageClass, uint8_t kind, const std::string& file)
    : cName(name),
      cAddress(address),
      cLocation(location),
      cStorageClass(storageClass),
      cKind(kind),
      cFile(file) {}

void SymbolInfo::dump(std::ostream& out) const {
  out << "SymbolInfo: \n"
      << "cName=" << cName << '\n'
      << "cAddress=" << formatHex(cAddress, 4) << '\n'
      << "cLocation=" << locationName(cLocation) << '\n'
      << "cStorageClass=" << codeName(cStorageClass, {"ext", "stat"}) << '\n'
      << "cKind=" << codeName(cKind, {"function", "variable"}) << '\n'
      << "cFile=" << cFile << '\n';
}
