// The example objects bundled for the librarian's run in
// examples/run-example.sh are made with the object builder. This test keeps
// the checked-in files equal to what the builder makes; run it with
// QOR_WRITE_EXAMPLES=1 to write them afresh.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "object_builder.h"

namespace {

using qortest::ObjectBuilder;

std::vector<std::pair<std::string, ObjectBuilder>> exampleObjects() {
  return {
      {"delay.o", ObjectBuilder("delay.o")
                      .timeStamp(1700000000)
                      .code("delay_code")
                      .bytes({0xff, 0x30, 0x8c, 0x00, 0x8c, 0x0b, 0x02, 0x28, 0x08, 0x00})
                      .fileSymbol("delay_loops.asm")
                      .symbol("delay_loop", 0, 1, C_EXT, DT_FCN << 4)
                      .aux(AuxFcn{})},
      {"blink.o", ObjectBuilder("blink.o")
                      .timeStamp(1700003600)
                      .code("blink_code")
                      .bytes({0x00, 0x20, 0x06, 0x14, 0x00, 0x20, 0x06, 0x10, 0x00, 0x28})
                      .reloc(0, 4, 0, 4)
                      .reloc(4, 4, 0, 4)
                      .udata("blink_state", 2)
                      .fileSymbol("blink_led.asm")
                      .symbol("blink_main", 0, 1, C_EXT, DT_FCN << 4)
                      .aux(AuxFcn{})
                      .externRef("delay_loop")},
  };
}

TEST(ExampleObjects, CheckedInFilesAreWhatTheBuilderMakes) {
  const std::string directory = std::string(QOR_SOURCE_DIR) + "/examples/librarian/";
  const bool rewrite = std::getenv("QOR_WRITE_EXAMPLES") != nullptr;
  for (const auto& [name, builder] : exampleObjects()) {
    if (rewrite) {
      ASSERT_TRUE(qortest::writeFileBytes(directory + name, builder.image())) << name;
    }
    EXPECT_EQ(qortest::readFileBytes(directory + name), builder.image()) << name;
  }
}

}  // namespace
