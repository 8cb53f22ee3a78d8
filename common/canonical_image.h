// An object image in the form that this system's own writer gives it: the
// blocks in the writer's order without gaps, every pointer and count as
// Coff::layout sets it, a string table of exactly its strings and nothing
// after them, and each function's line pointer where the layout puts it.
//
// Such an image reads (Coff::make) without a message and writes back
// (Coff::layout, then Coff::write) to the very same bytes; its length is
// the object's Coff::size. A library member in this form can therefore be
// listed and copied from its bytes, without the object model being built
// and torn down again for each of thousands of members. Anything else,
// however harmless, is declined, and the caller parses the member as
// always.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

struct CanonicalImage {
  uint32_t size = 0;       // bytes of the image
  uint32_t timeStamp = 0;  // f_timdat
};

// `bytes` runs from the image's first byte to the end of what is there. For
// an image in the writer's form: fills `image`, appends the names of its
// defined externals (in symbol table order, as Archive::makeSymbols takes
// them; views into `bytes`) to `definedGlobals` and answers true. Otherwise
// answers false and leaves both as they were.
bool readCanonicalImage(std::span<const uint8_t> bytes, CanonicalImage& image,
                        std::vector<std::string_view>& definedGlobals);
