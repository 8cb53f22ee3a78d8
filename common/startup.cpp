#include "startup.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>

#include "banners.h"
#include "diagnostics.h"
#include "temporary_file.h"
#include "temporary_registry.h"

namespace {
// Exhausted memory ends the run at once, whatever quiet mode says. Nothing
// here may allocate.
void outOfMemory() {
  discardAllTemporaries();
  std::cout.flush();
  std::fputs("out of memory\n", stdout);
  std::fflush(stdout);
  std::_Exit(1);
}
}  // namespace

bool isQuietSwitch(const char* argument) {
  return std::strcmp(argument, "-q") == 0 || std::strcmp(argument, "/q") == 0 ||
         std::strcmp(argument, "-Q") == 0 || std::strcmp(argument, "/Q") == 0;
}

void startProgram(int argc, char** argv, const char* banner) {
  // Messages share standard output's buffer so that they come out in order
  // with the rest of the output.
  std::cerr.rdbuf(std::cout.rdbuf());
  std::set_new_handler(outOfMemory);
#ifdef SIGXFSZ
  // A write past the file size limit then fails as a write, which the
  // writer reports, and its temporary is removed: the signal's default
  // would end the program on the spot and leave the temporary behind.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  removeTemporariesOnTerminationSignals();
  // The program's own name counts too.
  for (int i = 0; i < argc; ++i)
    if (isQuietSwitch(argv[i])) setQuiet(1);
  if (!isQuiet()) {
    std::cout << banner << std::endl;
    std::cout << noticeBanner() << std::endl;
    std::cout << std::endl;
  }
}
