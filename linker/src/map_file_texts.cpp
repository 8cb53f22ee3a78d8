// The texts of the map file's codes and its column padding.
#include <initializer_list>

#include "map_file_parts.h"

namespace {

const char* codeText(uint8_t code, std::initializer_list<const char*> texts) {
  return code < texts.size() ? texts.begin()[code] : "";
}

}  // namespace

const char* sectionTypeText(uint8_t type) {
  return codeText(type, {"unknown", "code", "idata", "udata", "romdata"});
}

const char* locationText(uint8_t location) { return codeText(location, {"program", "data"}); }

const char* storageText(uint8_t storage) { return codeText(storage, {"extern", "static"}); }

const char* symbolKindText(uint8_t kind) { return codeText(kind, {"function", "variable"}); }

uint8_t locationOf(const SectionHeader& header) {
  const uint8_t type = Coff::sectionType(header);
  return type == SECTION_IDATA || type == SECTION_UDATA ? 1 : 0;
}

std::string rightColumn(const std::string& text, size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string leftColumn(const std::string& text, size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}
