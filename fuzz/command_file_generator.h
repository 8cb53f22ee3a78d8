// Command files made from a seed for the whole-link fuzz target: random
// code pages and banks, fills up to the limits, SECTION and STACK lines.
// Three scales: a few small pages; up to 140 small filled pages (fill
// sections past the hundredth, whose names no longer fit a header); and
// filled pages of the largest size the reader takes over the whole address
// space, so that the fill alone would make an output past 4 GiB at any
// word width, which the link must refuse before it builds any of it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace qorfuzz {

// The reader takes a FILL for fewer than 2^24 locations a page.
constexpr uint32_t kLargestFilledPage = (uint32_t{1} << 24) - 1;

class CommandFileGenerator {
 public:
  enum Scale { Small, ManyPages, Overfilled };

  explicit CommandFileGenerator(uint32_t seed) : cRandom(seed) {}

  std::string make() {
    cScale = static_cast<Scale>(below(3));
    std::string text = "LIBPATH lib\n";
    codePages(text);
    dataMemories(text);
    sectionLines(text);
    if (below(2) == 0)
      text += "STACK SIZE=" + hex(below(8) == 0 ? value() : 1 + below(0x10)) +
              " RAM=" + anyOf(cBanks, "gpr0") + "\n";
    return text;
  }

  Scale scale() const { return cScale; }

 private:
  uint32_t below(uint32_t limit) { return limit == 0 ? 0 : cRandom() % limit; }
  uint32_t value() { return static_cast<uint32_t>(cRandom()); }

  static std::string hex(uint64_t value) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    do {
      text.insert(text.begin(), digits[value % 16]);
      value /= 16;
    } while (value != 0);
    return "0x" + text;
  }

  std::string anyOf(const std::vector<std::string>& names, const char* fallback) {
    if (names.empty() || below(16) == 0) return fallback;
    return names[below(static_cast<uint32_t>(names.size()))];
  }

  std::string fill() {
    switch (below(4)) {
      case 0: return " FILL=" + std::to_string(below(0x10000));
      case 1: return " FILL=0x" + std::string(below(2) == 0 ? "3FFF" : "12345678");
      default: return " FILL=" + hex(below(0x10000));
    }
  }

  // Pages one after another from a random start, so that they never overlap.
  void codePages(std::string& text) {
    uint32_t pages = 1 + below(8);
    uint64_t locations = 1 + below(0x800);
    if (cScale == ManyPages) pages = 90 + below(51);
    if (cScale == Overfilled) {
      // Up to the top of memory, which the last page reaches.
      locations = kLargestFilledPage;
      pages = 258;
    }
    // Most inputs have absolute code at 0: a target without it rarely links.
    uint64_t start = cScale == Overfilled || below(4) != 0 ? 0 : below(0x100);
    for (uint32_t i = 0; i < pages; ++i) {
      if (cScale != Overfilled && below(4) == 0) locations = 1 + below(0x800);
      if (start > UINT32_MAX) break;
      // The last page of a byte-wide overfill ends at the top of memory.
      const uint64_t end = std::min<uint64_t>(start + locations - 1, UINT32_MAX);
      const std::string name = "cp" + std::to_string(i);
      text += "CODEPAGE NAME=" + name + " START=" + hex(start) + " END=" + hex(end);
      if (cScale == Small && below(5) == 0) text += " PROTECTED";
      if (cScale != Small || below(2) == 0) text += fill();
      text += "\n";
      cPages.push_back(name);
      start = end + 1 + (cScale == Overfilled ? 0 : below(3) * 0x10);
    }
  }

  void dataMemories(std::string& text) {
    uint32_t start = 0x20 + below(0x20);
    const uint32_t banks = 1 + below(4);
    for (uint32_t i = 0; i < banks; ++i) {
      const uint32_t size = 1 + below(0x80);
      const std::string name = i == 0 ? "gpr0" : "gpr" + std::to_string(i);
      text += "DATABANK NAME=" + name + " START=" + hex(start) + " END=" + hex(start + size - 1) +
              (below(6) == 0 ? " PROTECTED\n" : "\n");
      cBanks.push_back(name);
      start += size + below(0x40);
    }
    // A share bank's pieces share one name and one size.
    if (below(4) != 0) {
      const uint32_t size = 1 + below(0x10);
      for (int piece = 0; piece < 2; ++piece) {
        text += "SHAREBANK NAME=shr START=" + hex(start) + " END=" + hex(start + size - 1) + "\n";
        start += size + 0x80;
      }
      cBanks.push_back("shr");
    }
    if (below(3) == 0) {
      const uint32_t size = 1 + below(0x60);
      text += "ACCESSBANK NAME=acc START=" + hex(start) + " END=" + hex(start + size - 1) + "\n";
      cBanks.push_back("acc");
    }
  }

  // The section names the seeds and the object mutator use.
  void sectionLines(std::string& text) {
    static const char* const code[] = {"text",    "main_code", "io_code", "romd",
                                       "STARTUP", "RESET",     "CONFIG",  ".cinit",
                                       "libcode", "idat_i",    "x"};
    static const char* const data[] = {"idat", "udat", "BANK1", "init_vars", "ovl", ".stack"};
    const uint32_t lines = below(6);
    std::set<std::string> named;  // a second line for a name is refused
    for (uint32_t i = 0; i < lines; ++i) {
      const bool rom = below(2) == 0;
      const std::string name = rom ? code[below(std::size(code))] : data[below(std::size(data))];
      if (!named.insert(name).second && below(8) != 0) continue;
      text += "SECTION NAME=" + name +
              (rom ? " ROM=" + anyOf(cPages, "cp0") : " RAM=" + anyOf(cBanks, "gpr0")) + "\n";
    }
  }

  std::minstd_rand cRandom;
  Scale cScale = Small;
  std::vector<std::string> cPages;
  std::vector<std::string> cBanks;
};

}  // namespace qorfuzz
