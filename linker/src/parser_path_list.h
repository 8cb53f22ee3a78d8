// The ';'-separated directory lists of "-l", "-k", LIBPATH and LKRPATH.
#pragma once

#include <string>
#include <vector>

#include "parser.h"
#include "text_helpers.h"

// Hands each directory of the list to `take` in order. No directory at all,
// or an empty one, refuses the list with `message` (the directories before
// it are already taken); `take` refuses with its own text.
template <typename Take>
int takePathList(const std::string& list, const std::string& message, std::string& error,
                 Take take) {
  const std::vector<std::string> pieces = splitList(list, ';');
  if (pieces.empty()) {
    error = message;
    return 0;
  }
  for (const std::string& piece : pieces) {
    if (!Parser::isValidPath(piece)) {
      error = message;
      return 0;
    }
    if (!take(piece)) return 0;
  }
  return 1;
}
