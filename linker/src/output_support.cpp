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

Memory& memoryOfSection(const std::map<std::string, Memory*>& scnMem,
                              const std::string& name) {
  const auto found = scnMem.find(name);
  QOR_ASSERT(found != scnMem.end() && found->second != nullptr);
  return *found->second;
}
