// The writer's own form of an image: what the writer makes is taken, and
// whatever is taken reads without a message and writes back to the very
// same bytes, with the size, time stamp and defined externals the parsed
// object has. Checked on images of several shapes and on many damaged
// copies of them, of which those still taken must keep every promise.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "archive.h"
#include "byte_order.h"
#include "canonical_image.h"
#include "coff_test_support.h"
#include "object_builder.h"

using cofftest::MessageCapture;
using cofftest::readImage;
using cofftest::writtenImage;
using qortest::ObjectBuilder;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes fullObject() {
  ObjectBuilder builder("full.o");
  builder.timeStamp(1700000123).processor(0x1234, 16, 8);
  builder.code("long_code_section")
      .bytes({1, 2, 3, 4, 5, 6, 7, 8})
      .reloc(0, 4, 1, 1)
      .reloc(4, 6, -2, 4)
      .line(0, 10, 0, 4)
      .line(0, 11, 4)
      .line(0, 12, 6, 4);
  builder.idata(".idata").bytes({9, 8, 7});
  builder.udata(".udata", 16);
  builder.code(".empty");
  builder.fileSymbol("full_source.asm")
      .symbol("long_code_section", 0, 1, C_SECTION)
      .aux(AuxScn{8, 2, 3})
      .symbol("main_entry", 0, 1, C_EXT, DT_FCN << 4)
      .aux(AuxFcn{0, 8, 0, 7})
      .global("short", 4, 1)
      .global("data_item", 0, 2)
      .externRef("elsewhere_name")
      .symbol("label", 2, 1, C_LABEL);
  return builder.image();
}

std::vector<Bytes> baseImages() {
  return {
      fullObject(), ObjectBuilder("empty.o").image(),
      ObjectBuilder("symbols.o").global("absolute_name", 5, N_ABS).global("x", 1, N_ABS).image(),
      ObjectBuilder("bss.o").udata(".bss", 100).global("bss_item", 0, 1).image()};
}

struct Taken {
  bool taken = false;
  CanonicalImage image;
  std::vector<std::string> globals;
};

Taken take(const Bytes& available) {
  Taken result;
  std::vector<std::string_view> views = {"already there"};
  result.taken = readCanonicalImage(available, result.image, views);
  EXPECT_EQ(views.front(), "already there");
  for (size_t k = 1; k < views.size(); ++k) result.globals.emplace_back(views[k]);
  if (!result.taken) {
    EXPECT_EQ(views.size(), 1u);  // nothing left behind
  }
  return result;
}

// What the reader and the writer make of a taken image, against what the
// test said of it.
void expectKeptPromises(const Bytes& available, const Taken& taken, const std::string& what) {
  ASSERT_LE(taken.image.size, available.size()) << what;
  const Bytes image(available.begin(), available.begin() + taken.image.size);
  MessageCapture messages;
  std::unique_ptr<Coff> coff = readImage(available);
  ASSERT_NE(coff, nullptr) << what << messages.text();
  EXPECT_EQ(messages.text(), "") << what;
  EXPECT_EQ(coff->size(), taken.image.size) << what;
  EXPECT_EQ(coff->cFileHdr.f_timdat, taken.image.timeStamp) << what;
  std::vector<std::string> globals;
  forEachDefinedGlobal(*coff, [&](const std::string& name) { globals.push_back(name); });
  EXPECT_EQ(globals, taken.globals) << what;
  coff->layout();
  EXPECT_EQ(writtenImage(*coff), image) << what;
}

TEST(CanonicalImage, WhatTheWriterMakesIsTakenWithItsFacts) {
  for (const Bytes& image : baseImages()) {
    Bytes available = image;
    available.insert(available.end(), {'n', 'e', 'x', 't'});  // a library goes on
    const Taken taken = take(available);
    ASSERT_TRUE(taken.taken) << image.size();
    EXPECT_EQ(taken.image.size, image.size());
    expectKeptPromises(available, taken, "base " + std::to_string(image.size()));
  }
  const Taken full = take(fullObject());
  EXPECT_EQ(full.image.timeStamp, 1700000123u);
  EXPECT_EQ(full.globals, (std::vector<std::string>{"main_entry", "short", "data_item"}));
}

// Forms the reader or the writer would change, each declined.
TEST(CanonicalImage, OtherFormsAreDeclined) {
  const Bytes base = fullObject();
  const std::unique_ptr<Coff> coff = readImage(base);
  ASSERT_NE(coff, nullptr);
  const uint32_t symbols = coff->cFileHdr.f_symptr;
  const uint32_t strings = symbols + SymbolEntry::SIZE * coff->cFileHdr.f_nsyms;
  const size_t udataHeader = 36 + 2 * SectionHeader::SIZE;
  const size_t emptyHeader = 36 + 3 * SectionHeader::SIZE;
  const auto addTo = [](Bytes& bytes, size_t offset, uint32_t amount) {
    writeLe32(&bytes[offset], readLe32(&bytes[offset]) + amount);
  };
  const struct {
    const char* name;
    std::function<void(Bytes&)> change;
  } changes[] = {
      {"older layout", [](Bytes& b) { b[16] = 0; }},
      {"udata bytes stored", [&](Bytes& b) { addTo(b, udataHeader + 20, 1); }},
      {"empty section with relocations", [&](Bytes& b) { b[emptyHeader + 32] = 1; }},
      {"symbol pointer elsewhere", [&](Bytes& b) { addTo(b, 8, 18); }},
      {"string table longer than its strings",
       [&](Bytes& b) {
         addTo(b, strings, 1);
         b.push_back(0);
       }},
      {"truncated before its strings", [&](Bytes& b) { b.resize(strings + 2); }},
      // Symbol 4 is main_entry, a function whose aux entry follows it.
      {"function line pointer the layout would change",
       [&](Bytes& b) { addTo(b, symbols + 5 * SymbolEntry::SIZE + 8, 16); }},
      {"defined name inside another string",
       [&](Bytes& b) { addTo(b, symbols + 4 * SymbolEntry::SIZE + 4, 1); }},
  };
  for (const auto& change : changes) {
    Bytes changed = base;
    change.change(changed);
    EXPECT_FALSE(take(changed).taken) << change.name;
  }
  // Two sections of one name: the reader keeps one header.
  const Bytes twice = ObjectBuilder().code("same").bytes({1}).code("other").bytes({2}).image();
  Bytes renamed = twice;
  std::copy_n(renamed.begin() + 36, 8, renamed.begin() + 36 + SectionHeader::SIZE);
  EXPECT_TRUE(take(twice).taken);
  EXPECT_FALSE(take(renamed).taken);
}

// Damaged copies: every one that is still taken keeps every promise.
TEST(CanonicalImage, DamagedCopiesTakenKeepTheirPromises) {
  std::mt19937 random(20240611);
  int takenCount = 0;
  for (const Bytes& base : baseImages()) {
    for (int round = 0; round < 1500; ++round) {
      Bytes damaged = base;
      const int changes = 1 + round % 3;
      for (int k = 0; k < changes; ++k)
        damaged[random() % damaged.size()] = static_cast<uint8_t>(random() % 4 == 0 ? 0 : random());
      if (round % 50 == 0) damaged.resize(random() % damaged.size());
      const Taken taken = take(damaged);
      if (!taken.taken) continue;
      ++takenCount;
      expectKeptPromises(damaged, taken, "round " + std::to_string(round));
      if (testing::Test::HasFailure()) return;
    }
  }
  // Damage to code, data or a value keeps the form: the check is not empty.
  EXPECT_GT(takenCount, 100);
}

}  // namespace
