#include "qassert.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "temporary_file.h"

void qorAssertFail(const char* expression, const char* file, int line) {
  std::cout.flush();
  std::fprintf(stderr, "Assertion failed: %s, file %s, line %d\n", expression, file, line);
  std::fflush(stderr);
  // abort skips the exit handlers that remove unfinished outputs.
  discardAllTemporaries();
  std::abort();
}
