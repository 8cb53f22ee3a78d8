// Writes the seeds of the whole-link fuzz target into the folder named on
// the command line: for each core family, objects and a library made by the
// test object builder that link under the family's fixed command file
// (link_inputs.h), alone and together, and a few that a link refuses; and,
// given the examples folder (examples/linker), each family's bundled
// example objects and library. The fuzzer starts from these, so that its
// first mutations already reach allocation, relocation, the output and the
// map.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "archive.h"
#include "coff.h"
#include "link_inputs.h"
#include "mgproc.h"
#include "object_builder.h"
#include "reloctypes.h"

namespace {

using qortest::ObjectBuilder;

// The section numbers and symbol indexes of the first object, which its
// relocations name.
enum Section : int16_t { STARTUP = 1, TEXT, IDATA, UDATA, ROMDATA, OVERLAY, SPECIAL, LONG_NAMED };
// ".file" and "main" have an auxiliary entry each.
enum Symbol : uint32_t {
  FILE_SYM = 0,
  MAIN = 2,
  VAR = 4,
  TABLE,
  HELPER,
  LIBFN,
  CINIT,
  COUNT,
  STACK
};

struct Family {
  ProcessorCode processor;
  CoreFamily core;
  const char* startup;  // the section the command file places at the reset vector
  bool hasStack;
  std::vector<std::pair<uint16_t, uint32_t>> relocs;  // type, symbol; one per 4 bytes
};

std::vector<Family> families() {
  std::vector<Family> result;
  for (const qorfuzz::LinkFamily& link : qorfuzz::kLinkFamilies) {
    Family family{link.processor, procFamily(link.processor), "STARTUP", false, {}};
    switch (family.core) {
      case CORE_ZARN:
        family.startup = "RESET";
        family.relocs = {{RELOCT_CALL, HELPER}, {RELOCT_GOTO, MAIN},  {RELOCT_PAGESEL, HELPER},
                         {RELOCT_BANKSEL, VAR}, {RELOCT_F, VAR},      {RELOCT_LOW, TABLE},
                         {RELOCT_HIGH, TABLE},  {RELOCT_CALL, LIBFN}, {RELOCT_TRIS, VAR}};
        break;
      case CORE_VESK:
        family.hasStack = true;
        family.relocs = {
            {RELOCT_CALL, HELPER}, {RELOCT_GOTO, MAIN},          {RELOCT_PAGESEL, HELPER},
            {RELOCT_BANKSEL, VAR}, {RELOCT_IBANKSEL, VAR},       {RELOCT_F, VAR},
            {RELOCT_LOW, TABLE},   {RELOCT_HIGH, TABLE},         {RELOCT_CALL, LIBFN},
            {RELOCT_ALL, STACK},   {RELOCT_PAGESEL_BITS, LIBFN}, {RELOCT_PAGESEL_WREG, MAIN},
            {RELOCT_LOW, CINIT}};
        break;
      case CORE_MIREL:
        family.hasStack = true;
        family.relocs = {{RELOCT_CALL, HELPER}, {RELOCT_GOTO, MAIN},  {RELOCT_PAGESEL, HELPER},
                         {RELOCT_BANKSEL, VAR}, {RELOCT_MOVLB, VAR},  {RELOCT_MOVLR, VAR},
                         {RELOCT_F, VAR},       {RELOCT_P, VAR},      {RELOCT_LOW, TABLE},
                         {RELOCT_HIGH, TABLE},  {RELOCT_CALL, LIBFN}, {RELOCT_ALL, STACK},
                         {RELOCT_LOW, CINIT}};
        break;
      default:
        family.hasStack = true;
        family.relocs = {{RELOCT_CALL, HELPER},   {RELOCT_GOTO, MAIN},   {RELOCT_CALL2, HELPER},
                         {RELOCT_BANKSEL, VAR},   {RELOCT_MOVLB, VAR},   {RELOCT_F, VAR},
                         {RELOCT_ACCESS, VAR},    {RELOCT_FF1, VAR},     {RELOCT_FF2, VAR},
                         {RELOCT_LFSR1, VAR},     {RELOCT_LFSR2, VAR},   {RELOCT_LOW, TABLE},
                         {RELOCT_HIGH, TABLE},    {RELOCT_UPPER, TABLE}, {RELOCT_BRA, MAIN},
                         {RELOCT_CONDBRA, MAIN},  {RELOCT_CALL, LIBFN},  {RELOCT_ALL, STACK},
                         {RELOCT_IBANKSEL, CINIT}};
        break;
    }
    result.push_back(family);
  }
  return result;
}

std::string bytesOf(const ObjectBuilder& builder) {
  const std::vector<uint8_t> image = builder.image();
  return std::string(image.begin(), image.end());
}

ObjectBuilder objectFor(const Family& family, const std::string& name) {
  ObjectBuilder builder(name);
  builder.processor(procCoffType(family.processor), procRomWidthBits(family.processor),
                    procRamWidthBits(family.processor));
  return builder;
}

// The first object: every kind of section, relocations of each type the
// family patches, line numbers, and references to the second object, the
// library and the linker's own symbols.
std::string firstObject(const Family& family) {
  ObjectBuilder builder = objectFor(family, "a.o");
  // A Zarn device starts at its last word, which holds one instruction.
  if (family.core == CORE_ZARN) {
    builder.code(family.startup).bytes({0x00, 0x0A});
  } else {
    builder.code(family.startup).bytes({0x00, 0x28, 0x00, 0x00}).absolute().at(0);
  }
  builder.reloc(0, MAIN, 0, RELOCT_GOTO);
  std::vector<uint8_t> text(family.relocs.size() * 4, 0);
  builder.code("text").bytes(text);
  for (size_t i = 0; i < family.relocs.size(); ++i) {
    const auto [type, symbol] = family.relocs[i];
    builder.reloc(static_cast<uint32_t>(i * 4), symbol, 0, type);
  }
  builder.line(FILE_SYM, 10, 0).line(FILE_SYM, 11, 2, MAIN).line(FILE_SYM, 12, 4);
  builder.idata("idat").bytes({0x01, 0x02, 0x03});
  builder.udata("udat", 4);
  builder.romdata("romd").bytes({0x10, 0x20, 0x30, 0x40});
  builder.udata("ovl", 3).overlay();
  if (family.core == CORE_OSTRA) {
    builder.udata("acc", 2).access();
  } else {
    builder.udata("shrd", 2).shared();
  }
  builder.idata("initialised_table").bytes({0x05, 0x06});
  builder.fileSymbol("a.asm");
  builder.symbol("main", 0, TEXT, C_EXT, DT_FCN << 4).aux(AuxFcn{});
  builder.global("var", 1, UDATA);
  builder.symbol("table", 2, ROMDATA, C_STAT);
  builder.externRef("helper").externRef("libfn").externRef("_cinit");
  builder.global("count_of_things", 0, IDATA);
  builder.externRef(family.hasStack ? "_stack" : "helper");
  return bytesOf(builder);
}

// An object that links on its own.
std::string aloneObject(const Family& family) {
  ObjectBuilder builder = objectFor(family, "a.o");
  builder.code("text").bytes({0x00, 0x28, 0x00, 0x00}).reloc(0, 2, 0, RELOCT_GOTO);
  builder.line(0, 3, 0);
  builder.idata("idat").bytes({0x07});
  builder.udata("udat", 2);
  builder.fileSymbol("alone.asm").global("start", 0, 1).global("flag", 0, 3);
  return bytesOf(builder);
}

// The second object: more of the first one's code section, its own part of
// the overlay section, the helper the first one calls.
std::string secondObject(const Family& family) {
  ObjectBuilder builder = objectFor(family, "b.o");
  builder.code("text").bytes({0x00, 0x20, 0x00, 0x00, 0x08, 0x00}).reloc(0, 3, 0, RELOCT_CALL);
  builder.udata("ovl", 5).overlay();
  builder.udata("bdat", 0x10);
  builder.fileSymbol("b.asm");
  builder.global("helper", 2, 1);
  builder.externRef("libfn");
  return bytesOf(builder);
}

// A library of three members: one the first object needs, one that member
// needs in turn, and one no one needs.
std::string library(const Family& family) {
  Archive archive;
  ObjectBuilder first = objectFor(family, "lib1.o");
  first.code("libcode").bytes({0x00, 0x20, 0x00, 0x00}).reloc(0, 1, 0, RELOCT_CALL);
  first.global("libfn", 0, 1).externRef("libfn2");
  ObjectBuilder second = objectFor(family, "lib2.o");
  second.code("libcode").bytes({0x08, 0x00}).global("libfn2", 0, 1);
  ObjectBuilder unused = objectFor(family, "unused.o");
  unused.udata("libdat", 8).global("unused", 0, 1);
  archive.cMembers.push_back(first.coff());
  archive.cMembers.push_back(second.coff());
  archive.cMembers.push_back(unused.coff());
  archive.makeSymbols();
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("seed_link-" + std::to_string(family.processor));
  archive.cName = path.string();
  if (archive.write() != 1) return "";
  const std::vector<uint8_t> bytes = qortest::readFileBytes(archive.cName);
  std::filesystem::remove(path);
  return std::string(bytes.begin(), bytes.end());
}

// Inputs that a link refuses at different phases.
std::vector<std::string> refusedSeconds(const Family& family) {
  std::vector<std::string> seconds;
  ObjectBuilder twice = objectFor(family, "b.o");
  twice.code("text").bytes({0, 0}).global("main", 0, 1);
  seconds.push_back(bytesOf(twice));
  ObjectBuilder clash = objectFor(family, "b.o");
  clash.code("ovl").bytes({0, 0}).overlay().absolute().at(8);
  seconds.push_back(bytesOf(clash));
  ObjectBuilder huge = objectFor(family, "b.o");
  huge.udata("udat", 0x8000);
  seconds.push_back(bytesOf(huge));
  ObjectBuilder unresolved = objectFor(family, "b.o");
  unresolved.code("text").bytes({0, 0}).reloc(0, 0, 0, RELOCT_GOTO).externRef("nowhere");
  seconds.push_back(bytesOf(unresolved));
  return seconds;
}

void writeSeed(const std::filesystem::path& folder, const std::string& name,
               const std::string& bytes) {
  const std::filesystem::path path = folder / name;
  std::FILE* file = std::fopen(path.string().c_str(), "wb");
  if (file == nullptr) return;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

}  // namespace

// The bundled example of each family: main.o, io.o and util.lib.
void writeExampleSeeds(const std::filesystem::path& folder, const std::filesystem::path& examples) {
  for (uint8_t index = 0; index < std::size(qorfuzz::kLinkFamilies); ++index) {
    std::string family = qorfuzz::kLinkFamilies[index].commandFileName;
    family.resize(family.find('.'));
    const std::filesystem::path from = examples / family;
    const auto read = [&](const char* name) {
      const std::vector<uint8_t> bytes = qortest::readFileBytes((from / name).string());
      return std::string(bytes.begin(), bytes.end());
    };
    const std::string main = read("main.o");
    const std::string io = read("io.o");
    const std::string library = read("util.lib");
    if (main.empty() || io.empty() || library.empty()) continue;
    const std::string name = "example-" + family + "-";
    writeSeed(folder, name + "all", qorfuzz::joinLinkInput(index, {main, io, library}));
    writeSeed(folder, name + "main-and-library",
              qorfuzz::joinLinkInput(index, {main, "", library}));
  }
}

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: seed_link <folder> [<examples/linker folder>]\n");
    return 1;
  }
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);
  const std::vector<Family> all = families();
  for (uint8_t index = 0; index < all.size(); ++index) {
    const Family& family = all[index];
    const std::string name = "seed-" + std::string(procName(family.processor)) + "-";
    const std::string first = firstObject(family);
    const std::string second = secondObject(family);
    const std::string lib = library(family);
    writeSeed(folder, name + "all", qorfuzz::joinLinkInput(index, {first, second, lib}));
    writeSeed(folder, name + "all-stripped",
              qorfuzz::joinLinkInput(index | qorfuzz::kStripBit, {first, second, lib}));
    writeSeed(folder, name + "one", qorfuzz::joinLinkInput(index, {aloneObject(family)}));
    writeSeed(folder, name + "library", qorfuzz::joinLinkInput(index, {second, "", lib}));
    int refused = 0;
    for (const std::string& other : refusedSeconds(family))
      writeSeed(folder, name + "refused-" + std::to_string(++refused),
                qorfuzz::joinLinkInput(index, {first, other, lib}));
  }
  if (argc == 3) writeExampleSeeds(folder, argv[2]);
  return 0;
}
