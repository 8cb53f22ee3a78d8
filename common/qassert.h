// Checks of internal invariants. A failed check prints the expression, the
// source file and the line, then aborts. Bad input never reaches one:
// readers of outside bytes report the user-level message instead.
#pragma once

[[noreturn]] void qorAssertFail(const char* expression, const char* file, int line);

#define QOR_ASSERT(expression) \
  ((expression) ? static_cast<void>(0) : qorAssertFail(#expression, __FILE__, __LINE__))
