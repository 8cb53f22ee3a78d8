// The members of a library by name, so that the names of a command line
// are found without a scan of all members for each of them.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "coff.h"

class MemberIndex {
 public:
  static constexpr size_t NONE = static_cast<size_t>(-1);

  explicit MemberIndex(const std::vector<std::unique_ptr<Coff>>& members);

  // The position of the first member stored under `name` that was not
  // taken yet; NONE when there is none.
  size_t first(const std::string& name) const;
  // That position, which later calls pass over: a library may hold several
  // members of one name, and each deletion takes the first that is left.
  size_t take(const std::string& name);
  // A member appended under `name` at `position`, behind all others.
  void add(const std::string& name, size_t position);

 private:
  struct Positions {
    std::vector<size_t> inFileOrder;
    size_t taken = 0;
  };
  std::unordered_map<std::string, Positions> cByName;
};
