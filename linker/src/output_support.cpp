#include "output_support.h"

#include "qassert.h"

int appendString(StringTable& strTbl, const std::string& text) {
  int offset = 4;
  if (!strTbl.empty()) {
    const auto& [lastOffset, lastText] = *strTbl.rbegin();
    offset = lastOffset + static_cast<int>(lastText.size()) + 1;
  }
  strTbl[offset] = text;
  return offset;
}

Memory& memoryOfSection(const std::map<std::string, Memory*>& scnMem, const std::string& name,
                        const char* check) {
  const auto found = scnMem.find(name);
  if (found == scnMem.end() || found->second == nullptr) qorAssertFail(check, __FILE__, __LINE__);
  return *found->second;
}

const std::pair<const std::string, SectionHeader>* sectionByNumber(const Coff& file, int number) {
  const auto name = file.cScnNum.find(number);
  if (name == file.cScnNum.end()) return nullptr;
  const auto header = file.cScnHdr.find(name->second);
  return header == file.cScnHdr.end() ? nullptr : &*header;
}
