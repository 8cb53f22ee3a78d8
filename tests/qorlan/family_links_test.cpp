// A successful link per core family, its output object and map compared
// whole with the expected files, read back, and converted by both converters.
#include <gtest/gtest.h>

#include <memory>

#include "family_inputs.h"

namespace qorlantest {
namespace {

class FamilyLinkTest : public QorlanRun, public ::testing::WithParamInterface<FamilyLink> {};

TEST_P(FamilyLinkTest, WritesTheExpectedObjectAndMap) {
  const FamilyLink& link = GetParam();
  link.prepare(cWork);
  const ProcessResult result = qorlan(link.arguments);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output, banner() + summary(0));
  expectExpectedFile(objectText(cWork.contents(link.output)), link.name + ".o.txt");
  expectExpectedFile(maskMapTime(cWork.contents(link.name + ".map")), link.name + ".map");
  cWork.readBack(link.output);
}

// The program-memory bytes of an object as the hex converter must write
// them: every code and romdata section at its byte address, an odd count on
// a word-addressed memory completed by one zero byte (a byte-addressed one
// gets none: the pad would land on the next section's address).
ByteImage programImage(const Coff& object) {
  ByteImage image;
  const uint32_t bytesPerAddress = (object.cOptHdr.rom_width_bits + 7) / 8;
  for (const auto& [name, header] : object.cScnHdr) {
    const uint8_t type = Coff::sectionType(header);
    if (type != SECTION_CODE && type != SECTION_ROMDATA) continue;
    const auto data = object.cRawData.find(name);
    if (data == object.cRawData.end()) continue;
    const uint32_t size = data->second.size();
    const uint32_t padded = bytesPerAddress == 2 ? size + size % 2 : size;
    for (uint32_t at = 0; at < padded; ++at)
      image[bytesPerAddress * header.s_paddr + at] = at < size ? data->second.data()[at] : 0;
  }
  return image;
}

TEST_P(FamilyLinkTest, ConvertersReadTheOutput) {
  const FamilyLink& link = GetParam();
  link.prepare(cWork);
  ASSERT_EQ(qorlan(link.arguments).exitCode, 0);
  const std::unique_ptr<Coff> output = cWork.readBack(link.output);
  ASSERT_NE(output, nullptr);

  const ProcessResult hex = qornip({link.output});
  EXPECT_EQ(hex.exitCode, 0) << hex.output;
  EXPECT_EQ(readIntelHex(cWork.contents(link.name + ".hex")), programImage(*output));

  const ProcessResult cod = qortav({link.output});
  EXPECT_EQ(cod.exitCode, 0) << cod.output;
  EXPECT_TRUE(cWork.exists(link.name + ".cod"));
  EXPECT_NE(cWork.contents(link.name + ".lst").find(link.listingRow), std::string::npos)
      << link.listingRow;
}

INSTANTIATE_TEST_SUITE_P(Families, FamilyLinkTest,
                         ::testing::Values(veskLink(), mirelLink(), zarnLink(), ostraLink()),
                         [](const ::testing::TestParamInfo<FamilyLink>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace qorlantest
