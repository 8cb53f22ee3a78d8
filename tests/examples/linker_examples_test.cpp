// The generator of the bundled linker examples (examples/linker/<family>/):
// their sources, relocatable objects, library and command file are all
// made from the descriptions in tests/examples/<family>_example.cpp, and
// this test keeps the checked-in files byte for byte equal to what the
// descriptions make, so that the examples never drift from them.
//
// Run it with QOR_WRITE_EXAMPLES=1 to write the files afresh:
//   QOR_WRITE_EXAMPLES=1 build/test/tests/test_examples
//
// The other tests read the checked-in files back the way the linker and
// the converters will: every object and the library must parse and verify,
// every relocation must be one that the family's patcher applies, every
// line entry must name a line of code in a source beside it, and every
// command file must be accepted and fit its device. Once the linker is
// built, each example is linked and converted end to end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>

#include "archive.h"
#include "banners.h"
#include "linker.h"
#include "linker_examples.h"
#include "parser.h"
#include "process_runner.h"
#include "program_text.h"
#include "reloctypes.h"

namespace example {
namespace {

bool rewriting() { return std::getenv("QOR_WRITE_EXAMPLES") != nullptr; }

std::unique_ptr<Coff> readObject(const LinkerExample& example, const Source& source) {
  return Coff::make(exampleDirectory(example) + source.objectName());
}

TEST(LinkerExamples, CheckedInFilesAreWhatTheGeneratorMakes) {
  for (const LinkerExample& example : linkerExamples()) {
    const std::string directory = exampleDirectory(example);
    const auto files = exampleFiles(example);
    if (rewriting()) {
      std::filesystem::create_directories(directory);
      for (const auto& [name, bytes] : files) {
        ASSERT_TRUE(qortest::writeFileBytes(directory + name, bytes)) << directory + name;
      }
    }
    for (const auto& [name, bytes] : files) {
      ASSERT_FALSE(bytes.empty()) << example.family << "/" << name;
      EXPECT_TRUE(qortest::readFileBytes(directory + name) == bytes)
          << example.family << "/" << name << " differs from its description";
    }
    // A file left over from an earlier description would still be linked
    // or listed by hand; the folder holds exactly the generated files.
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
      EXPECT_EQ(files.count(entry.path().filename().string()), 1u) << entry.path();
    }
  }
}

// The kinds of relocation that each family's patcher applies; any other
// ends the link with "unsupported relocation type.".
const std::set<uint16_t>& patchedTypes(CoreFamily family) {
  static const std::set<uint16_t> vesk = {RELOCT_CALL,         RELOCT_GOTO,        RELOCT_HIGH,
                                          RELOCT_LOW,          RELOCT_BANKSEL,     RELOCT_PAGESEL,
                                          RELOCT_ALL,          RELOCT_IBANKSEL,    RELOCT_F,
                                          RELOCT_PAGESEL_WREG, RELOCT_PAGESEL_BITS};
  static const std::set<uint16_t> mirel = {
      RELOCT_CALL,    RELOCT_GOTO,    RELOCT_HIGH,        RELOCT_LOW,      RELOCT_P,
      RELOCT_BANKSEL, RELOCT_PAGESEL, RELOCT_ALL,         RELOCT_IBANKSEL, RELOCT_F,
      RELOCT_MOVLR,   RELOCT_MOVLB,   RELOCT_PAGESEL_WREG};
  static const std::set<uint16_t> zarn = {
      RELOCT_CALL, RELOCT_GOTO,     RELOCT_HIGH, RELOCT_LOW,  RELOCT_BANKSEL,     RELOCT_PAGESEL,
      RELOCT_ALL,  RELOCT_IBANKSEL, RELOCT_F,    RELOCT_TRIS, RELOCT_PAGESEL_BITS};
  static const std::set<uint16_t> ostra = {
      RELOCT_CALL,     RELOCT_GOTO,  RELOCT_HIGH,  RELOCT_LOW,     RELOCT_BANKSEL, RELOCT_ALL,
      RELOCT_IBANKSEL, RELOCT_F,     RELOCT_MOVLB, RELOCT_CALL2,   RELOCT_FF1,     RELOCT_FF2,
      RELOCT_LFSR1,    RELOCT_LFSR2, RELOCT_BRA,   RELOCT_CONDBRA, RELOCT_UPPER,   RELOCT_ACCESS};
  switch (family) {
    case CORE_VESK: return vesk;
    case CORE_MIREL: return mirel;
    case CORE_ZARN: return zarn;
    default: return ostra;
  }
}

// The kinds each example is meant to show: calls and jumps, register
// fields, and the bank and page selections where the family has them.
const std::set<uint16_t>& shownTypes(CoreFamily family) {
  static const std::set<uint16_t> vesk = {RELOCT_CALL,    RELOCT_GOTO,    RELOCT_HIGH,
                                          RELOCT_LOW,     RELOCT_F,       RELOCT_BANKSEL,
                                          RELOCT_PAGESEL, RELOCT_IBANKSEL};
  static const std::set<uint16_t> mirel = {RELOCT_CALL, RELOCT_GOTO,    RELOCT_HIGH,   RELOCT_LOW,
                                           RELOCT_F,    RELOCT_BANKSEL, RELOCT_PAGESEL};
  static const std::set<uint16_t> zarn = {RELOCT_CALL, RELOCT_GOTO, RELOCT_F, RELOCT_BANKSEL,
                                          RELOCT_PAGESEL};
  static const std::set<uint16_t> ostra = {
      RELOCT_CALL,  RELOCT_GOTO,  RELOCT_CALL2,  RELOCT_HIGH,    RELOCT_LOW,
      RELOCT_UPPER, RELOCT_F,     RELOCT_ACCESS, RELOCT_BANKSEL, RELOCT_FF1,
      RELOCT_FF2,   RELOCT_LFSR1, RELOCT_LFSR2,  RELOCT_BRA,     RELOCT_CONDBRA};
  switch (family) {
    case CORE_VESK: return vesk;
    case CORE_MIREL: return mirel;
    case CORE_ZARN: return zarn;
    default: return ostra;
  }
}

// How many bytes from the relocated word on a patch may write: bank and
// page selections that the linker rewrites as two instructions.
uint32_t patchedBytes(CoreFamily family, uint16_t type) {
  const bool twoWords = ((family == CORE_VESK || family == CORE_ZARN) && type == RELOCT_BANKSEL) ||
                        ((family == CORE_VESK || family == CORE_MIREL) && type == RELOCT_PAGESEL) ||
                        (family == CORE_ZARN && type == RELOCT_PAGESEL);
  return twoWords ? 4 : 2;
}

TEST(LinkerExamples, ObjectsAndMembersReadBackVerifiedForTheirDevice) {
  for (const LinkerExample& example : linkerExamples()) {
    for (const Source& source : example.objects) {
      const std::unique_ptr<Coff> object = readObject(example, source);
      ASSERT_NE(object, nullptr) << example.family << "/" << source.objectName();
      EXPECT_EQ(object->verify(), 1) << example.family << "/" << source.objectName();
      EXPECT_EQ(object->cOptHdr.proc_type, procCoffType(example.device));
      EXPECT_EQ(object->cOptHdr.rom_width_bits, procRomWidthBits(example.device));
      EXPECT_EQ(object->cFileHdr.f_flags, 0) << "a relocatable object for one device";
    }
    const std::unique_ptr<Archive> library =
        Archive::make(exampleDirectory(example) + kLibraryName);
    ASSERT_NE(library, nullptr) << example.family;
    for (const auto& member : library->cMembers) {
      EXPECT_EQ(member->verify(), 1) << example.family << ": " << member->cName;
      EXPECT_EQ(member->cOptHdr.proc_type, procCoffType(example.device));
    }
  }
}

TEST(LinkerExamples, LibraryIndexesTheRoutinesOfItsMembers) {
  for (const LinkerExample& example : linkerExamples()) {
    const std::unique_ptr<Archive> library =
        Archive::make(exampleDirectory(example) + kLibraryName);
    ASSERT_NE(library, nullptr) << example.family;
    std::vector<std::string> members;
    for (const auto& member : library->cMembers) members.push_back(member->cName);
    EXPECT_EQ(members, (std::vector<std::string>{"delay.o", "checksum.o"})) << example.family;
    ASSERT_EQ(library->hasSymbol("delay"), 1) << example.family;
    ASSERT_EQ(library->hasSymbol("checksum"), 1) << example.family;
    EXPECT_EQ(library->cSymbols.at("delay")->cName, kCalledMember);
    EXPECT_EQ(library->cSymbols.at("checksum")->cName, "checksum.o");
    // Only the defined externals are indexed: local labels stay out.
    for (const auto& [name, member] : library->cSymbols) {
      EXPECT_TRUE(name == "delay" || name == "checksum" || name == "sum")
          << example.family << ": " << name;
    }
    // The member is stamped 0 in its header and in its object, so that the
    // library's bytes do not depend on when it was made.
    const std::vector<uint8_t> bytes = qortest::readFileBytes(library->cName);
    ASSERT_GT(bytes.size(), 8u + 280u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[8 + 256]), 2),
              std::string("0\0", 2));
    EXPECT_EQ(library->cMembers.front()->cFileHdr.f_timdat, 0u);
  }
}

TEST(LinkerExamples, RelocationsAreOnesTheFamilyPatchesInsideTheirSection) {
  for (const LinkerExample& example : linkerExamples()) {
    const CoreFamily family = procFamily(example.device);
    std::set<uint16_t> used;
    for (const auto* sources : {&example.objects, &example.members}) {
      for (const Source& source : *sources) {
        const std::unique_ptr<Coff> object = source.object().coff();
        for (const auto& [section, entries] : object->cScnReloc) {
          const uint32_t size = object->cRawData[section].size();
          for (const reloc& entry : entries) {
            used.insert(entry.r_type);
            EXPECT_EQ(patchedTypes(family).count(entry.r_type), 1u)
                << source.fileName() << " " << section << " type " << entry.r_type;
            EXPECT_LE(entry.r_vaddr + patchedBytes(family, entry.r_type), size)
                << source.fileName() << " " << section << " at " << entry.r_vaddr;
          }
        }
      }
    }
    for (const uint16_t type : shownTypes(family)) {
      EXPECT_EQ(used.count(type), 1u) << example.family << " shows no relocation type " << type;
    }
  }
}

std::vector<std::string> sourceLines(const std::string& path) {
  std::istringstream text(qortest::readFile(path));
  std::vector<std::string> lines;
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  return lines;
}

// The mnemonic of an assembly line: the first word, or the second when the
// line starts with a label; "tblrd*" reads as TBLRD.
std::string mnemonicOf(const std::string& line) {
  std::istringstream words(line);
  std::string word;
  words >> word;
  if (!line.empty() && line[0] != ' ') words >> word;
  if (!word.empty() && word.back() == '*') word.pop_back();
  return word;
}

bool isInstruction(const std::string& line, CoreFamily family) {
  const std::string mnemonic = mnemonicOf(line);
  OpcodeId id = 0;
  return mnemonic == "pagesel" || mnemonic == "banksel" || mnemonic == "bankisel" ||
         instLookupMnemonic(mnemonic.c_str(), &id, family) == 1;
}

// What the listing needs: every line entry names the object's ".file"
// symbol, whose source lies beside the object, and a line of that source
// that holds an instruction.
TEST(LinkerExamples, LineEntriesNameInstructionLinesOfSourcesBesideTheObject) {
  for (const LinkerExample& example : linkerExamples()) {
    const CoreFamily family = procFamily(example.device);
    for (const auto* sources : {&example.objects, &example.members}) {
      for (const Source& source : *sources) {
        const std::unique_ptr<Coff> object = source.object().coff();
        ASSERT_GE(object->cSymTbl.size(), 2u);
        ASSERT_EQ(object->cSymTbl[0].n_sclass, C_FILE);
        const std::string fileName =
            Coff::getName(AuxFile::from(object->cSymTbl[1]), object->cStrTbl);
        EXPECT_EQ(fileName, source.fileName());
        const std::vector<std::string> lines = sourceLines(exampleDirectory(example) + fileName);
        ASSERT_FALSE(lines.empty()) << example.family << "/" << fileName;
        size_t entries = 0;
        for (const auto& [section, lineEntries] : object->cScnLineno) {
          for (const coff_lineno& entry : lineEntries) {
            ++entries;
            EXPECT_EQ(entry.l_srcndx, 0u);
            ASSERT_GE(entry.l_lnno, 1);
            ASSERT_LE(entry.l_lnno, lines.size()) << fileName;
            EXPECT_TRUE(isInstruction(lines[entry.l_lnno - 1], family))
                << fileName << ":" << entry.l_lnno << ": " << lines[entry.l_lnno - 1];
          }
        }
        // One entry per program word: the listing shows every address.
        size_t words = 0;
        for (const auto& [section, header] : object->cScnHdr) {
          if (Coff::isCode(header)) words += object->cRawData[section].size() / 2;
        }
        EXPECT_EQ(entries, words) << example.family << "/" << fileName;
      }
    }
  }
}

std::set<std::string> sectionNames(const LinkerExample& example) {
  std::set<std::string> names;
  for (const auto* sources : {&example.objects, &example.members}) {
    for (const Source& source : *sources) {
      if (sources == &example.members && source.objectName() != kCalledMember) continue;
      const std::unique_ptr<Coff> object = source.object().coff();
      for (const auto& [name, header] : object->cScnHdr) names.insert(name);
    }
  }
  return names;
}

// Each command file is accepted as it stands and describes memory that
// the device has; a SECTION for a section that no input holds would be
// passed over without a word, so each names one of the linked sections.
TEST(LinkerExamples, CommandFilesAreAcceptedAndFitTheDevice) {
  for (const LinkerExample& example : linkerExamples()) {
    Parser parser;
    Linker linker;
    std::string error;
    ASSERT_EQ(
        parser.readCommandFile(exampleDirectory(example) + commandFileName(example), linker, error),
        1)
        << error;
    EXPECT_EQ(linker.cLibPath, (std::list<std::string>{"."}));
    ASSERT_FALSE(linker.cCodePage.empty());
    bool filled = false;
    for (const Memory& page : linker.cCodePage) {
      EXPECT_LT(page.getEnd(), procProgramSize(example.device)) << page.getName();
      filled = filled || page.hasFill();
    }
    EXPECT_TRUE(filled) << example.family << ": no code page is filled";
    for (const auto* banks : {&linker.cDataBanks, &linker.cShareBanks, &linker.cAccessBanks}) {
      for (const Memory& bank : *banks) {
        EXPECT_LE(bank.getEnd(), procMaxDataAddress(example.device)) << bank.getName();
        EXPECT_EQ(procBankOf(example.device, bank.getStart()),
                  procBankOf(example.device, bank.getEnd()))
            << bank.getName() << " spans two banks";
      }
    }
    const std::set<std::string> sections = sectionNames(example);
    for (const SectionDesc& section : linker.cSectionDesc) {
      EXPECT_EQ(sections.count(section.getName()), 1u) << section.getName();
    }
    EXPECT_EQ(linker.cHasStack, 1u);
    EXPECT_EQ(linker.cShareBanks.size() + linker.cAccessBanks.size() > 0, example.family != "mirel")
        << example.family;
  }
}

// Copies the example into a scratch directory, where the linked output,
// its map, hex, COD and listing files are made.
void copyExample(const LinkerExample& example, const qortest::ScratchDir& dir) {
  for (const auto& entry : std::filesystem::directory_iterator(exampleDirectory(example))) {
    std::filesystem::copy_file(entry.path(), dir.file(entry.path().filename().string()));
  }
}

// The value of a defined external of the linked object.
uint32_t definedValue(const Coff& linked, const std::string& name) {
  for (size_t i = 0; i < linked.cSymTbl.size(); ++i) {
    const SymbolEntry& symbol = linked.cSymTbl[i];
    if (linked.cAuxType[i] == AUX_NONE && Coff::isDefinedGlobal(symbol) &&
        Coff::getName(symbol, linked.cStrTbl) == name) {
      return symbol.n_value;
    }
  }
  ADD_FAILURE() << name << " is not defined in the linked object";
  return 0;
}

// How the listing shows a call to `address`: the address field as the
// family's call word holds it (a byte address and the fast-return bit on
// Ostra).
std::string callText(CoreFamily family, uint32_t address) {
  const uint32_t field = family == CORE_VESK    ? address & 0x7FF
                         : family == CORE_MIREL ? address & 0x1FFF
                         : family == CORE_ZARN  ? address & 0xFF
                                                : address;
  std::ostringstream text;
  text << "CALL      0x" << std::hex << field << (family == CORE_OSTRA ? ",0x0 " : " ");
  return text.str();
}

TEST(LinkerExamples, EachLinksAndConvertsWithoutMessages) {
  for (const LinkerExample& example : linkerExamples()) {
    qortest::ScratchDir dir;
    copyExample(example, dir);
    const std::string output = example.family + ".o";
    const qortest::ProcessResult link =
        qortest::runProgram(QORLAN_PATH,
                            {commandFileName(example), "main.o", "io.o", kLibraryName, "-o", output,
                             "-m", example.family + ".map"},
                            dir.path());
    ASSERT_EQ(link.exitCode, 0) << example.family << "\n" << link.output;
    EXPECT_EQ(link.output, qortest::startupLines(linkerBanner()) + qortest::summary(0, 0));
    const std::unique_ptr<Coff> linked = Coff::make(dir.file(output));
    ASSERT_NE(linked, nullptr);
    EXPECT_EQ(linked->verify(), 1);
    EXPECT_EQ(linked->cScnHdr.count(".fill_1"), 1u) << example.family;

    const std::string map = qortest::readFile(dir.file(example.family + ".map"));
    EXPECT_NE(map.find(" delay "), std::string::npos) << "the called member is linked";
    EXPECT_EQ(map.find("checksum"), std::string::npos) << "the other member stays out";

    const qortest::ProcessResult hex = qortest::runProgram(QORNIP_PATH, {output}, dir.path());
    EXPECT_EQ(hex.exitCode, 0) << hex.output;
    EXPECT_TRUE(qortest::fileExists(dir.file(example.family + ".hex")));

    const qortest::ProcessResult cod = qortest::runProgram(QORTAV_PATH, {output}, dir.path());
    EXPECT_EQ(cod.exitCode, 0) << cod.output;
    EXPECT_EQ(cod.output, qortest::startupLines(codBanner()) + qortest::summary(0, 0));
    const std::string listing = qortest::readFile(dir.file(example.family + ".lst"));
    for (const char* source : {"main.asm", "io.asm", "delay.asm"}) {
      EXPECT_NE(listing.find(source), std::string::npos) << example.family << ": " << source;
    }
    EXPECT_EQ(listing.find("Illegal Opcode"), std::string::npos) << example.family;
    // The call in main reaches the routine that the library gave up.
    const std::string call = callText(procFamily(example.device), definedValue(*linked, "delay"));
    EXPECT_NE(listing.find(call), std::string::npos) << example.family << ": " << call;
  }
}

}  // namespace
}  // namespace example
