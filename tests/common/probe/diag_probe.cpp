// Test driver: each argument is one step, "kind:text".
//   w:TEXT  warning    e:TEXT  error    f:TEXT  fatal error
//   o:TEXT  a line on standard output   c:TEXT  a line on the error stream
//   x:CODE  exitWithSummary(CODE)       m:      run out of memory
// Quiet switches anywhere silence the program as in every tool.
#include <cstdlib>
#include <iostream>
#include <new>
#include <string>

#include "banners.h"
#include "diagnostics.h"
#include "startup.h"

int main(int argc, char** argv) {
  startProgram(argc, argv, hexBanner());
  for (int i = 1; i < argc; ++i) {
    std::string step = argv[i];
    if (step.size() < 2 || step[1] != ':') continue;
    std::string text = step.substr(2);
    switch (step[0]) {
      case 'w': reportMessage(SEVERITY_WARNING, "main()", text, 0); break;
      case 'e': reportMessage(SEVERITY_ERROR, "main()", text, 0); break;
      case 'f': reportMessage(SEVERITY_ERROR, "main()", text, 1); break;
      case 'o': std::cout << text << "\n"; break;
      case 'c': std::cerr << text << "\n"; break;
      case 'x': exitWithSummary(std::atoi(text.c_str()));
      case 'm': {
        // The sanitizers replace the allocator, so an exhausted allocation is
        // simulated by calling the handler that start-up installed.
        std::new_handler handler = std::get_new_handler();
        if (handler != nullptr) handler();
        return 99;
      }
    }
  }
  exitWithSummary(0);
}
