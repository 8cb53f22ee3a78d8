// The Linker's life: made once before the command line is read, it owns the
// input objects and libraries until the run ends.
#include "linker.h"

Linker::Linker() {
  // The output starts as a laid-out empty object, so that its file header
  // holds the magic, zero counts and a time stamp before any phase runs.
  cOutput.preWrite();
}

Linker::~Linker() = default;

std::string Linker::inputKey(size_t position) const {
  return std::to_string(position) + ":" + cCoff.at(position)->cName;
}

uint8_t Linker::sectionTypeOf(const std::string& name) const {
  const auto type = cScnType.find(name);
  return type == cScnType.end() ? 0 : type->second;
}
