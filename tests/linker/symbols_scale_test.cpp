// A large link through the symbol phases: 1,000 inputs of 100 symbol table
// slots each, most names shared between inputs. Every name is found through
// an index, so the phases finish in a moment even under the sanitizers.
#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <string>

#include "symbols_fixture.h"

namespace {

using qortest::ObjectBuilder;
using symbols_test::SymbolLink;

constexpr int INPUTS = 1000;
constexpr int ROUTINES = 48;  // defined by each input, referenced by the one before it

std::string routine(int input, int k) {
  return "routine_" + std::to_string(input % INPUTS) + "_" + std::to_string(k);
}

// Slots: ".file" and its aux, 48 definitions, 48 references, one shared
// entry point (defined by the first input, referenced by all others) and one
// static label whose name every input uses.
ObjectBuilder scaleInput(int input) {
  ObjectBuilder builder("mod" + std::to_string(input) + ".o");
  builder.code(".text").bytes({0, 0}).line(0, 1, 0).udata(".bss", 2);
  builder.fileSymbol("mod" + std::to_string(input) + ".asm");
  for (int k = 0; k < ROUTINES; ++k) builder.global(routine(input, k), k, 1);
  for (int k = 0; k < ROUTINES; ++k) builder.externRef(routine(input + 1, k));
  if (input == 0)
    builder.global("shared_entry_point", 1, 1);
  else
    builder.externRef("shared_entry_point");
  builder.symbol("local_data_label", 1, 2, C_STAT);
  return builder;
}

TEST(SymbolsScale, HundredThousandSymbolsOverAThousandInputs) {
  SymbolLink link;
  for (int input = 0; input < INPUTS; ++input) link.add(scaleInput(input));
  link.place(".text", link.code(), 0);
  link.place(".bss", link.data(), 0);

  std::string error;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(link.linker.relocateSymbols(error), 1);
  ASSERT_EQ(link.linker.relocateLineInfo(error), 1);
  ASSERT_EQ(link.linker.mergeStringTbls(error), 1);
  ASSERT_EQ(link.linker.buildExtSymDef(error), 1) << error;
  ASSERT_EQ(link.linker.resolveExternals(error), 1) << error;
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  std::cout << "symbol phases over " << INPUTS * 100 << " symbol slots: " << elapsed.count()
            << " ms" << std::endl;

  // Routine names, the file names and the two shared names, each once.
  EXPECT_EQ(link.linker.cOutput.cStrTbl.size(), size_t{INPUTS * ROUTINES + INPUTS + 2});
  // 1 + 48 + the own "_cinit".
  EXPECT_EQ(link.linker.cExtSymDef.size(), size_t{INPUTS * ROUTINES + 2});
  struct Case {
    int input;
    std::string name;
    uint32_t value;  // each input's one-word ".text" part lies at its position
  };
  const Case cases[] = {
      {6, routine(6, 3), 9},
      {5, routine(6, 3), 9},
      {999, routine(0, 47), 47},
      {999, "shared_entry_point", 1},
      {700, "local_data_label", 1 + 2 * 700},
  };
  for (const Case& c : cases)
    EXPECT_EQ(link.symbol(static_cast<size_t>(c.input), c.name).n_value, c.value) << c.name;
  EXPECT_EQ(link.input(321).cScnLineno.at(".text").front().l_paddr, 321u);
}

}  // namespace
