// Arbitrary bytes offered as an image in the writer's own form: whatever is
// taken must keep every promise the librarian relies on when it copies such
// a member instead of parsing it. It reads without a message (and without a
// fatal one), its object's size and time stamp are the ones told, its
// defined externals are those the symbol index takes, and laid out and
// written it gives back exactly its bytes.
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "archive.h"
#include "canonical_image.h"
#include "coff.h"
#include "diagnostics.h"
#include "fuzz_support.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::vector<uint8_t> writtenImage(Coff& object) {
  FilePtr file(std::tmpfile());
  if (!file || object.write(file.get(), 0) != 1) qorfuzz::fail("a taken image was not written");
  std::vector<uint8_t> image(static_cast<size_t>(std::ftell(file.get())));
  std::rewind(file.get());
  if (std::fread(image.data(), 1, image.size(), file.get()) != image.size())
    qorfuzz::fail("a written image was not read back");
  return image;
}

void checkPromises(const uint8_t* data, size_t size, const CanonicalImage& image,
                   const std::vector<std::string_view>& globals) {
  FilePtr file(std::tmpfile());
  if (!file || (size != 0 && std::fwrite(data, 1, size, file.get()) != size))
    qorfuzz::fail("no temporary file");
  std::unique_ptr<Coff> object = Coff::make(file.get(), 0, "taken.o");
  if (!object || errorCount() != 0 || warningCount() != 0)
    qorfuzz::fail("a taken image did not read without a message");
  if (object->size() != image.size || object->cFileHdr.f_timdat != image.timeStamp)
    qorfuzz::fail("a taken image's size or time stamp differs from its object's");
  std::vector<std::string> names;
  forEachDefinedGlobal(*object, [&](const std::string& name) { names.push_back(name); });
  if (names != std::vector<std::string>(globals.begin(), globals.end()))
    qorfuzz::fail("a taken image's defined externals differ from its object's");
  object->layout();
  if (writtenImage(*object) != std::vector<uint8_t>(data, data + image.size))
    qorfuzz::fail("a taken image does not write back to its bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qorfuzz::startInput();
  CanonicalImage image;
  std::vector<std::string_view> globals;
  if (!readCanonicalImage(std::span<const uint8_t>(data, size), image, globals)) return 0;
  if (!qorfuzz::runUntilFatal([&] { checkPromises(data, size, image, globals); }))
    qorfuzz::fail("a taken image met a fatal error");
  return 0;
}
