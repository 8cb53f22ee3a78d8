// The bundled example of the hex converter: an absolute object made with the
// object builder, checked in together with the INHX32 file it converts to.
// Set QOR_WRITE_EXAMPLES=1 to write both files again from this description.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "mgproc.h"
#include "object_builder.h"
#include "process_runner.h"
#include "srecord_check.h"

namespace {

const std::string kExampleDir = std::string(QOR_SOURCE_DIR) + "/examples/hexconv/";

ProcessorCode firstOfFamily(CoreFamily family) {
  for (ProcessorCode code = PROC_FIRST; code <= PROC_LAST; ++code)
    if (procFamily(code) == family) return code;
  return PROC_FIRST;
}

// A small program for a device with 14-bit program words: a reset vector, an
// interrupt routine, the main code, a lookup table of odd length in romdata,
// and data memory that the converter leaves out.
std::vector<uint8_t> exampleObject() {
  const ProcessorCode device = firstOfFamily(CORE_VESK);
  return qortest::ObjectBuilder("blink.o")
      .processor(procCoffType(device), procRomWidthBits(device), procRamWidthBits(device))
      .fileFlags(F_EXEC)
      .code(".reset")
      .at(0x0000)
      .absolute()
      .bytes({0x0A, 0x28, 0x00, 0x00})
      .code(".isr")
      .at(0x0004)
      .absolute()
      .bytes({0x09, 0x00})
      .code(".main")
      .at(0x000A)
      .bytes({0x83, 0x16, 0x86, 0x01, 0x83, 0x12, 0x86, 0x09, 0x0E, 0x28})
      .romdata(".pattern")
      .at(0x0800)
      .bytes({0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40})
      .udata(".state", 2)
      .at(0x20)
      .global("main_entry", 0x000A, 3)
      .timeStamp(0)
      .image();
}

TEST(HexconvExample, BundledObjectIsTheDescribedOne) {
  const std::vector<uint8_t> built = exampleObject();
  if (std::getenv("QOR_WRITE_EXAMPLES") != nullptr) {
    ASSERT_TRUE(qortest::writeFileBytes(kExampleDir + "blink.o", built));
  }
  EXPECT_EQ(qortest::readFileBytes(kExampleDir + "blink.o"), built);
}

TEST(HexconvExample, BundledObjectConvertsToTheBundledHexFile) {
  qortest::ScratchDir dir;
  qortest::ProcessResult result =
      qortest::runProgram(QORNIP_PATH, {"/q", kExampleDir + "blink.o"}, dir.path());
  ASSERT_EQ(result.exitCode, 0) << result.output;
  const std::string produced = qortest::readFile(dir.file("blink.hex"));
  if (std::getenv("QOR_WRITE_EXAMPLES") != nullptr)
    qortest::writeFile(kExampleDir + "blink.hex", produced);
  EXPECT_EQ(produced, qortest::readFile(kExampleDir + "blink.hex"));
  hexcheck::ByteMap image;
  hexcheck::addBytes(image, 0x0000, {0x0A, 0x28, 0x00, 0x00});
  hexcheck::addBytes(image, 0x0008, {0x09, 0x00});
  hexcheck::addBytes(image, 0x0014, {0x83, 0x16, 0x86, 0x01, 0x83, 0x12, 0x86, 0x09, 0x0E, 0x28});
  hexcheck::addBytes(image, 0x1000, {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x00});
  EXPECT_TRUE(hexcheck::srecordAgrees(dir.file("blink.hex"), image));
}

}  // namespace
