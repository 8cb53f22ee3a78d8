// The roads on which a link must leave every file of the user's as it was:
// an output name at the length limit, stale temporaries, a file size limit,
// outputs that name an input or each other, errors that did not stop their
// phase, and a map that cannot be written. Every case compares the whole
// folder before and after the run: each old file byte for byte, and no new
// file (no temporary left behind) but those the case names.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "archive.h"
#include "captured_output.h"
#include "folder_snapshot.h"
#include "qorlan_fixture.h"
#include "reloctypes.h"

namespace qorlantest {
namespace {

namespace fs = std::filesystem;

constexpr uint8_t kVesk = 52;

const char* const kTarget =
    "CODEPAGE NAME=page0 START=0x0 END=0x1FFF\n"
    "DATABANK NAME=gpr0 START=0x20 END=0x7F\n";

const std::string kOldOutput = "the output of an earlier link\n";
const std::string kOldMap = "the map of an earlier link\n";
const std::string kLongName = std::string(250, 'n') + ".o";  // 252 characters
// The work folder named by 4,087 characters: "out.o" fits the limit of a
// path there, a temporary's name does not.
const std::string kDeepOutput = qortest::folderPathOfLength(".", 4087) + "/out.o";

// main.o calls helper; `codeBytes` of code and `symbols` globals make the
// output and its map as large as a case needs.
ObjectBuilder caller(size_t codeBytes = 4, int symbols = 0) {
  ObjectBuilder main = objectFor(kVesk, "main.o");
  std::vector<uint8_t> code(codeBytes, 0x00);
  code[1] = 0x20;
  main.code(".text").bytes(code).reloc(0, 1, 0, RELOCT_CALL);
  main.global("entry", 0, 1).externRef("helper");
  for (int k = 0; k < symbols; ++k)
    main.global("a_rather_long_global_label_number_" + std::to_string(k), 0, 1);
  return main;
}

ObjectBuilder helper(const std::string& fileName = "util.o") {
  ObjectBuilder util = objectFor(kVesk, fileName);
  util.code("utilcode").bytes({0x08, 0x00}).global("helper", 0, 1);
  return util;
}

void putInputs(const Workspace& work, const ObjectBuilder& main) {
  work.putText("link.lkr", kTarget);
  work.put(main, "main.o");
  work.put(helper(), "util.o");
  work.putText("out.o", kOldOutput);
}

void putPlainLink(const Workspace& work) { putInputs(work, caller()); }
// An output of some 8 KB, far past the size limit of the cases.
void putLargeLink(const Workspace& work) { putInputs(work, caller(8000)); }

// A link of 20,000 globals with a map: the output's temporary stands while
// the map's 40,000 rows are composed. Names of up to eight characters are
// held in the symbols themselves, which keeps the object quick to make.
void putManyGlobals(const Workspace& work) {
  ObjectBuilder main = caller();
  for (int k = 0; k < 20000; ++k) main.global("g" + std::to_string(k), 0, 1);
  putInputs(work, main);
}

// A library whose two members define the same symbol: reading it reports
// the duplicate, and the link goes on.
void putTwinLibrary(const Workspace& work) {
  work.putText("link.lkr", kTarget);
  work.put(caller(), "main.o");
  work.putText("out.o", kOldOutput);
  Archive library;
  library.cName = work.file("twins.lib");
  library.cMembers.push_back(helper("a.o").coff());
  library.cMembers.push_back(helper("b.o").coff());
  qortest::CapturedOutput quiet;  // the index check's report
  library.makeSymbols();
  ASSERT_EQ(library.write(), 1);
}

const std::vector<std::string> kPlain = {"link.lkr", "main.o", "util.o", "-o", "out.o"};

std::vector<std::string> plainWith(std::vector<std::string> more) {
  std::vector<std::string> arguments = kPlain;
  arguments.insert(arguments.end(), more.begin(), more.end());
  return arguments;
}

struct SafetyRoad {
  std::string name;
  void (*prepare)(const Workspace& work);
  std::vector<std::string> arguments;
  std::vector<std::string> messages;   // the errors of the run, in order
  uint64_t sizeLimit = 0;              // bytes any file may grow to; 0: none
  std::set<std::string> written = {};  // files the run may make or change
  int exitCode = 1;                    // 255 for a fatal error
};

std::ostream& operator<<(std::ostream& out, const SafetyRoad& road) { return out << road.name; }

const std::vector<SafetyRoad>& safetyRoads() {
  static const std::vector<SafetyRoad> roads = {
      {"LongOutputNameUnderASizeLimit",
       [](const Workspace& work) {
         putLargeLink(work);
         work.putText(kLongName, kOldOutput);
       },
       {"link.lkr", "main.o", "util.o", "-o", kLongName},
       {"Coff file '" + kLongName + "' could not write symbol."},
       4096},
      {"StaleTemporariesUnderASizeLimit",
       [](const Workspace& work) {
         putLargeLink(work);
         work.putText("out.o.tmp", "stale");
         for (int k = 1; k < 100; ++k) work.putText("out.o.tmp" + std::to_string(k), "stale");
         for (const char* name : {".qor000000", ".qoraaaaaa", ".qorzzzzzz"})
           work.putText(name, "stale");
       },
       kPlain,
       {"Coff file 'out.o' could not write symbol."},
       4096},
      {"LongMapNameUnderASizeLimit",
       [](const Workspace& work) {
         putInputs(work, caller(4, 40));
         work.putText(kLongName, kOldMap);
       },
       plainWith({"-m", kLongName}),
       {"Could not open map file '" + kLongName + "' for writing."},
       4096},
      {"OutputFolderTooLongForATemporary",
       putPlainLink,
       {"link.lkr", "main.o", "util.o", "-o", kDeepOutput},
       {"Could not open Coff file '" + kDeepOutput + "' for writing."}},
      {"MapOverAnObject",
       putPlainLink,
       plainWith({"-m", "main.o"}),
       {"the map file 'main.o' is the same file as './main.o'."}},
      {"MapOverTheCommandFile",
       putPlainLink,
       plainWith({"-m", "link.lkr"}),
       {"the map file 'link.lkr' is the same file as './link.lkr'."}},
      {"OutputOverTheCommandFile",
       putPlainLink,
       {"link.lkr", "main.o", "util.o", "-o", "link.lkr"},
       {"the output file 'link.lkr' is the same file as the input './link.lkr'."}},
      {"MapOverTheOutput",
       putPlainLink,
       plainWith({"-m", "./out.o"}),
       {"the map file './out.o' is the same file as 'out.o'."}},
      {"MapAndOutputOfOneNewName",
       putPlainLink,
       {"link.lkr", "main.o", "util.o", "-o", "same", "-m", "sub/../same"},
       {"the map file 'sub/../same' is the same file as 'same'."}},
      {"OutputOverALibrary",
       [](const Workspace& work) {
         putPlainLink(work);
         work.putLibrary("util.lib", {helper()});
       },
       {"-l", ".", "link.lkr", "main.o", "util.lib", "-o", "util.lib"},
       {"the output file 'util.lib' is the same file as the input './util.lib'."}},
      {"OutputThroughALinkToAnObject",
       [](const Workspace& work) {
         putPlainLink(work);
         fs::create_symlink("main.o", work.file("link.o"));
       },
       {"link.lkr", "main.o", "util.o", "-o", "link.o"},
       {"the output file 'link.o' is the same file as the input './main.o'."}},
      {"ErrorsThatDidNotStopTheLink",
       putTwinLibrary,
       {"-l", ".", "link.lkr", "main.o", "twins.lib", "-o", "out.o", "-m", "out.map"},
       {"Symbol 'helper' has multiple external definitions."},
       0,
       {"out.map"}},
      {"FatalErrorAfterAllocation",
       [](const Workspace& work) {
         putPlainLink(work);
         ObjectBuilder util = helper();
         AuxFile file;
         file.x_offset = 999;
         util.symbol(".file", 0, N_DEBUG, C_FILE).aux(file);
         work.put(util, "util.o");
       },
       plainWith({"-m", "out.map"}),
       {"Unable to find aux_file name in string table."},
       0,
       {"out.map"},
       255},
      {"MapIntoAFolder",
       [](const Workspace& work) {
         putPlainLink(work);
         fs::create_directory(work.file("sub"));
       },
       plainWith({"-m", "sub"}),
       {"Could not open map file 'sub' for writing."}},
  };
  return roads;
}

class FileSafetyTest : public QorlanRun, public ::testing::WithParamInterface<SafetyRoad> {};

TEST_P(FileSafetyTest, LeavesEveryOldFileWhole) {
  const SafetyRoad& road = GetParam();
  road.prepare(cWork);
  const std::map<std::string, std::string> before = qortest::folderSnapshot(cWork.path());
  const ProcessResult result =
      qortest::runProgramWithFileLimit(QORLAN_PATH, road.arguments, cWork.path(), road.sizeLimit);
  EXPECT_FALSE(result.signalled);
  EXPECT_EQ(result.exitCode, road.exitCode);
  std::string messages;
  for (const std::string& message : road.messages) messages += error(message);
  EXPECT_EQ(result.output, banner() + messages + summary(road.messages.size()));
  std::map<std::string, std::string> after = qortest::folderSnapshot(cWork.path());
  std::map<std::string, std::string> expected = before;
  for (const std::string& name : road.written) {
    // All the run may write is the partial map, whole.
    EXPECT_NE(after[name].find("This is only a partial map file"), std::string::npos) << name;
    EXPECT_NE(after[name].find("ACCESSBANKS:"), std::string::npos) << name;
    after.erase(name);
    expected.erase(name);
  }
  EXPECT_EQ(after, expected);
}

INSTANTIATE_TEST_SUITE_P(Roads, FileSafetyTest, ::testing::ValuesIn(safetyRoads()),
                         [](const ::testing::TestParamInfo<SafetyRoad>& info) {
                           return info.param.name;
                         });

// A folder that takes no new file, holding an output and a map that may be
// written: the one case in which they are written in place, as a plain open
// would write them. Under a size limit that the new map passes (the old one
// is longer still) neither changes; without it both do. Only a user without
// the superuser's rights sees the folder refuse.
TEST_F(QorlanRun, OutputInAReadOnlyFolderIsWrittenInPlace) {
  if (geteuid() == 0) GTEST_SKIP() << "the superuser may write any folder";
  putInputs(cWork, caller(4, 200));
  fs::create_directory(cWork.file("ro"));
  cWork.putText("ro/out.o", kOldOutput);
  const std::string oldMap(60000, 'm');
  cWork.putText("ro/out.map", oldMap);
  fs::permissions(cWork.file("ro"), fs::perms::owner_read | fs::perms::owner_exec);
  const std::vector<std::string> arguments = {"link.lkr", "main.o", "util.o",    "-o",
                                              "ro/out.o", "-m",     "ro/out.map"};
  const ProcessResult limited =
      qortest::runProgramWithFileLimit(QORLAN_PATH, arguments, cWork.path(), 16384);
  EXPECT_EQ(limited.exitCode, 1);
  EXPECT_EQ(limited.output,
            banner() + error("Could not open map file 'ro/out.map' for writing.") + summary(1));
  EXPECT_EQ(cWork.contents("ro/out.o"), kOldOutput);
  EXPECT_EQ(cWork.contents("ro/out.map"), oldMap);
  const ProcessResult result = qorlan(arguments);
  fs::permissions(cWork.file("ro"), fs::perms::owner_all);
  EXPECT_EQ(result.exitCode, 0) << result.output;
  cWork.readBack("ro/out.o");
  EXPECT_NE(cWork.contents("ro/out.map").find("Symbols - Sorted by Address"), std::string::npos);
  EXPECT_LT(cWork.contents("ro/out.map").size(), oldMap.size());
  EXPECT_EQ(std::distance(fs::directory_iterator(cWork.file("ro")), fs::directory_iterator()), 2);
}

// A map into a pipe, a device or the program's own output is written there
// once, whole, after what the program printed, and no other file appears.
TEST_F(QorlanRun, MapIntoAStreamIsOneFullMap) {
  putPlainLink(cWork);
  const auto isOneFullMap = [](const std::string& text) {
    const std::string last = "Symbols - Sorted by Address";
    return text.find("Linker Map File") != std::string::npos &&
           text.find(last) == text.rfind(last) && text.find(last) != std::string::npos &&
           text.find("partial map") == std::string::npos;
  };
  const auto expectOnly = [&](const std::set<std::string>& names) {
    std::set<std::string> found;
    for (const auto& entry : fs::directory_iterator(cWork.path()))
      found.insert(entry.path().filename().string());
    EXPECT_EQ(found, names);
  };
  const std::set<std::string> inputs = {"link.lkr", "main.o", "util.o", "out.o"};
  // Standard output a file.
  const ProcessResult intoFile = qorlan(plainWith({"-m", "/dev/stdout"}));
  EXPECT_EQ(intoFile.exitCode, 0);
  EXPECT_EQ(intoFile.output.rfind(banner(), 0), 0u);
  EXPECT_TRUE(isOneFullMap(intoFile.output)) << intoFile.output;
  EXPECT_EQ(intoFile.output.substr(intoFile.output.size() - summary(0).size()), summary(0));
  expectOnly(inputs);
  // Standard output a pipe.
  const std::string command = "cd '" + cWork.path() + "' && " + QORLAN_PATH +
                              " link.lkr main.o util.o -o out.o -m /dev/stdout";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string piped;
  char chunk[4096];
  for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) piped.append(chunk, got);
  EXPECT_EQ(::pclose(pipe), 0);
  EXPECT_TRUE(isOneFullMap(piped)) << piped;
  expectOnly(inputs);
  // A named pipe, whose reader is there first: it gets one map (small
  // enough to wait in the pipe until read), and the pipe stays.
  ASSERT_EQ(::mkfifo(cWork.file("out.map").c_str(), 0600), 0);
  const int reader = ::open(cWork.file("out.map").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_EQ(qorlan(plainWith({"-m", "out.map"})).exitCode, 0);
  std::string received;
  for (ssize_t got; (got = ::read(reader, chunk, sizeof chunk)) > 0;)
    received.append(chunk, static_cast<size_t>(got));
  ::close(reader);
  EXPECT_TRUE(isOneFullMap(received)) << received;
  EXPECT_TRUE(fs::is_fifo(cWork.file("out.map")));
  // A device.
  EXPECT_EQ(qorlan(plainWith({"-m", "/dev/null"})).exitCode, 0);
}

// A signal that ends the program while the outputs are written: the link
// removes its temporaries and ends as the signal would, and the old output
// and the old map stay together (or, had the commit begun, both new ones
// are there). The link is stopped for every look into the folder, so that
// the signal is sent while a temporary is surely there.
TEST(QorlanSignal, EndsAsTheSignalWithNoTemporaryLeft) {
  const auto holdsTemporary = [](const Workspace& work) {
    for (const auto& entry : fs::directory_iterator(work.path()))
      if (entry.path().filename().string().rfind(".qor", 0) == 0) return true;
    return false;
  };
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) {
    Workspace work;
    putManyGlobals(work);
    work.putText("out.map", kOldMap);
    qortest::RunningProgram link(QORLAN_PATH, plainWith({"-m", "out.map"}), work.path());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    bool seen = false;
    while (!seen && std::chrono::steady_clock::now() < deadline && link.stop()) {
      seen = holdsTemporary(work);
      if (seen) link.send(signal);
      link.resume();
      if (!seen) std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    ASSERT_TRUE(seen) << "the link ended before its temporary was seen: make the output larger";
    const ProcessResult result = link.wait();
    EXPECT_TRUE(result.signalled) << signal;
    EXPECT_EQ(result.exitCode, 128 + signal);
    EXPECT_FALSE(holdsTemporary(work)) << signal;
    const bool old = work.contents("out.o") == kOldOutput;
    EXPECT_EQ(work.contents("out.map") == kOldMap, old) << signal;
    if (!old) work.readBack("out.o");
  }
}

}  // namespace
}  // namespace qorlantest
