// A code or a processor type word that names no device is a caller's bug:
// the operations stop the program instead of answering.
#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "mgproc.h"

namespace {

// The failed expression is "0" and the report names this module's source.
const char* const ASSERTION_REPORT = "Assertion failed: 0, file [^,]*mgproc\\.cpp, line [0-9]+";

using CodeOperation = std::pair<const char*, std::function<void(ProcessorCode)>>;

std::vector<CodeOperation> operationsTakingACode() {
  return {
      {"procFamily", [](ProcessorCode c) { procFamily(c); }},
      {"procName", [](ProcessorCode c) { procName(c); }},
      {"procCoffType", [](ProcessorCode c) { procCoffType(c); }},
      {"procBankOf", [](ProcessorCode c) { procBankOf(c, 0x1234); }},
      {"procBankOffset", [](ProcessorCode c) { procBankOffset(c, 0x1234); }},
      {"procIsGeneralRegister", [](ProcessorCode c) { procIsGeneralRegister(c, 0x1234); }},
      {"procRomWidthBits", [](ProcessorCode c) { procRomWidthBits(c); }},
      {"procRamWidthBits", [](ProcessorCode c) { procRamWidthBits(c); }},
      {"procPageCount", [](ProcessorCode c) { procPageCount(c); }},
      {"procProgramSize", [](ProcessorCode c) { procProgramSize(c); }},
      {"procPageSize", [](ProcessorCode c) { procPageSize(c); }},
      {"procBankCount", [](ProcessorCode c) { procBankCount(c); }},
      {"procDataSize", [](ProcessorCode c) { procDataSize(c); }},
      {"procBankSize", [](ProcessorCode c) { procBankSize(c); }},
      {"procMaxProgramAddress", [](ProcessorCode c) { procMaxProgramAddress(c); }},
      {"procMaxDataAddress", [](ProcessorCode c) { procMaxDataAddress(c); }},
  };
}

TEST(MgprocDeathTest, CodesOfNoDeviceAbortEveryOperationTakingACode) {
  for (const CodeOperation& operation : operationsTakingACode()) {
    for (ProcessorCode code : {ProcessorCode{0}, ProcessorCode{134}, ProcessorCode{255}}) {
      EXPECT_DEATH(operation.second(code), ASSERTION_REPORT)
          << operation.first << " of code " << int(code);
    }
  }
}

TEST(MgprocDeathTest, WordOfNoDeviceAbortsItsConversion) {
  EXPECT_DEATH(procFromCoffType(0x0000), ASSERTION_REPORT);
  EXPECT_DEATH(procFromCoffType(0xC000), ASSERTION_REPORT);
  EXPECT_DEATH(procFromCoffType(0xFFFF), ASSERTION_REPORT);
}

}  // namespace
