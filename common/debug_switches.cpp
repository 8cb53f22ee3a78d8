#include "debug_switches.h"

namespace {
// Built before main runs, so that no caller has to remember to set it up.
std::map<std::string, int> switchTable;
}  // namespace

std::map<std::string, int>* debugSwitches = &switchTable;

std::string declareSwitch(const std::string& name) {
  debugSwitches->emplace(name, 0);
  return name;
}

std::string setSwitch(const std::string& name, int value) {
  (*debugSwitches)[name] = value;
  return name;
}

int switchValue(const std::string& name) { return (*debugSwitches)[name]; }

void initDebugSwitches() { debugSwitches->clear(); }
void clearDebugSwitches() { debugSwitches->clear(); }
