#include "command_switch.h"

#include "file_info.h"

bool isCommandSwitch(const std::string& argument) {
  if (argument.empty()) return false;
  if (argument[0] == '-') return true;
  if (argument[0] != '/') return false;
  bool holdsFurtherSlash = argument.find('/', 1) != std::string::npos;
  return !holdsFurtherSlash && !FileInfo(argument).fileExists();
}

void lowerSwitchLetter(std::string& argument) {
  if (argument.size() >= 2 && argument[1] >= 'A' && argument[1] <= 'Z') {
    argument[1] = static_cast<char>(argument[1] - 'A' + 'a');
  }
}

char switchLetter(const std::string& argument) {
  if (argument.size() != 2 || !isCommandSwitch(argument)) return 0;
  std::string lowered = argument;
  lowerSwitchLetter(lowered);
  return lowered[1];
}
