// Reads arbitrary bytes as an object file: Coff::make and Coff::verify must
// end in a message or an object, never in a crash, a hang or a huge
// allocation. Every object read must also survive the writer: written, read
// back and written again, it gives the same bytes, as many as its size says;
// one that verified still verifies. Objects of megabytes of zero-filled
// sections skip the rewrite, which would only spend the time on zeros.
#include <cstdio>
#include <memory>

#include "coff.h"
#include "fuzz_support.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

FilePtr fileHolding(const uint8_t* data, size_t size) {
  FilePtr file(std::tmpfile());
  if (!file) qorfuzz::fail("no temporary file");
  if (size != 0 && std::fwrite(data, 1, size, file.get()) != size)
    qorfuzz::fail("temporary file not written");
  return file;
}

std::vector<uint8_t> imageOf(Coff& object) {
  FilePtr file(std::tmpfile());
  if (!file) qorfuzz::fail("no temporary file");
  if (object.write(file.get(), 0) != 1) qorfuzz::fail("writing an object failed");
  long length = std::ftell(file.get());
  if (length != static_cast<long>(object.size()))
    qorfuzz::fail("size() differs from the bytes written");
  std::vector<uint8_t> image(static_cast<size_t>(length));
  std::rewind(file.get());
  if (std::fread(image.data(), 1, image.size(), file.get()) != image.size())
    qorfuzz::fail("image not read");
  return image;
}

void checkRewriteIsStable(const Coff& object, bool verified) {
  Coff first(object);
  first.layout();
  std::vector<uint8_t> image = imageOf(first);
  FilePtr file = fileHolding(image.data(), image.size());
  std::unique_ptr<Coff> reread = Coff::make(file.get(), 0, first.cName);
  if (!reread) qorfuzz::fail("a written object does not read back");
  if (verified && reread->verify() != 1) qorfuzz::fail("a written object no longer verifies");
  reread->layout();
  if (imageOf(*reread) != image) qorfuzz::fail("writing the object again changes its bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qorfuzz::startInput();
  FilePtr file = fileHolding(data, size);
  qorfuzz::runUntilFatal([&] {
    std::unique_ptr<Coff> object = Coff::make(file.get(), 0, "fuzz.o");
    if (!object) return;
    const bool verified = object->verify() == 1;
    if (qorfuzz::sectionBytes(*object) <= qorfuzz::MAX_REWRITTEN_SECTION_BYTES)
      checkRewriteIsStable(*object, verified);
  });
  return 0;
}
