// The shared start-up, run in this process so that the program name itself
// can be a quiet switch (a child process always gets its path there).
#include "startup.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "banners.h"
#include "diagnostics.h"

namespace {

// Runs startProgram on `arguments` and returns what it printed; the
// streams and the allocation handler are put back afterwards.
std::string startWith(std::vector<std::string> arguments) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  std::ostringstream captured;
  std::streambuf* oldOut = std::cout.rdbuf(captured.rdbuf());
  std::streambuf* oldErr = std::cerr.rdbuf();
  std::new_handler oldHandler = std::get_new_handler();
  resetDiagnostics();
  startProgram(static_cast<int>(arguments.size()), argv.data(), linkerBanner());
  std::set_new_handler(oldHandler);
  std::cerr.rdbuf(oldErr);
  std::cout.rdbuf(oldOut);
  return captured.str();
}

}  // namespace

TEST(Startup, EveryArgumentIsScannedForQuietProgramNameIncluded) {
  EXPECT_EQ(startWith({"-q"}), "");
  EXPECT_EQ(isQuiet(), 1);
  EXPECT_EQ(startWith({"qorlan", "a.o", "/Q"}), "");
  EXPECT_EQ(isQuiet(), 1);
  resetDiagnostics();
}

TEST(Startup, BannerNoticeAndEmptyLineUnlessQuiet) {
  EXPECT_EQ(startWith({"qorlan", "-quiet", "q"}),
            std::string(linkerBanner()) + "\n" + noticeBanner() + "\n\n");
  EXPECT_EQ(isQuiet(), 0);
  resetDiagnostics();
}

// A signal ignored when the program starts (as one started in the
// background ignores the interrupt) stays ignored; the others are taken, to
// remove the temporaries before they end the program.
TEST(StartupDeathTest, SignalsIgnoredAtTheStartStayIgnored) {
  const auto handlerOf = [](int number) {
    struct sigaction now {};
    sigaction(number, nullptr, &now);
    return now.sa_handler;
  };
  EXPECT_EXIT(
      {
        std::signal(SIGINT, SIG_IGN);
        std::signal(SIGHUP, SIG_DFL);
        startWith({"qorlan", "-q"});
        std::exit(handlerOf(SIGINT) == SIG_IGN && handlerOf(SIGHUP) != SIG_DFL ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}
