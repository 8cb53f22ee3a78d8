#include "member_index.h"

MemberIndex::MemberIndex(const std::vector<std::unique_ptr<Coff>>& members) {
  for (size_t position = 0; position < members.size(); ++position) {
    add(members[position]->cName, position);
  }
}

size_t MemberIndex::first(const std::string& name) const {
  const auto found = cByName.find(name);
  if (found == cByName.end() || found->second.taken == found->second.inFileOrder.size()) {
    return NONE;
  }
  return found->second.inFileOrder[found->second.taken];
}

size_t MemberIndex::take(const std::string& name) {
  const size_t position = first(name);
  if (position != NONE) cByName[name].taken += 1;
  return position;
}

void MemberIndex::add(const std::string& name, size_t position) {
  cByName[name].inFileOrder.push_back(position);
}
