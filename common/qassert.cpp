#include "qassert.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

void qorAssertFail(const char* expression, const char* file, int line) {
  std::cout.flush();
  std::fprintf(stderr, "Assertion failed: %s, file %s, line %d\n", expression, file, line);
  std::fflush(stderr);
  std::abort();
}
