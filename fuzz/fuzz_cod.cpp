// Reads arbitrary bytes as a COD file: Cod::make must end in a message or a
// Cod, never in a crash, a hang or a huge allocation. The dump must work on
// whatever it read, and the file written from it must read back as the
// same tables.
#include <memory>
#include <sstream>

#include "cod.h"
#include "fuzz_support.h"

namespace {

void checkRewrite(const Cod& cod) {
  Cod copy(cod);
  copy.preWrite();
  copy.cFileName = qorfuzz::scratchPath("written.cod");
  // A read file that the writer cannot lay out again (too many blocks) is
  // refused with a message; nothing is left to compare then.
  if (copy.write() != 1) return;
  std::unique_ptr<Cod> reread = Cod::make(copy.cFileName);
  if (!reread) qorfuzz::fail("a written COD file does not read back");
  if (!(*reread == copy)) qorfuzz::fail("a written COD file reads back different tables");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qorfuzz::startInput();
  static const std::string input = qorfuzz::scratchPath("input.cod");
  if (!qorfuzz::writeBytes(input, data, size)) qorfuzz::fail("input file not written");
  qorfuzz::runUntilFatal([&] {
    std::unique_ptr<Cod> cod = Cod::make(input);
    if (!cod) return;
    std::ostringstream sink;
    cod->dump(sink);
    checkRewrite(*cod);
  });
  return 0;
}
