// Named trace switches: a process-wide table from a name ("debug" or a
// "Class::method" name) to an integer. Every switch reads 0 in a normal run.
#pragma once

#include <map>
#include <string>

extern std::map<std::string, int>* debugSwitches;

// Inserts the name with 0 when absent; returns a copy of the name.
std::string declareSwitch(const std::string& name);
// Sets the name's value (inserting it); returns a copy of the name.
std::string setSwitch(const std::string& name, int value);
// The name's value, inserting it with 0 when absent.
int switchValue(const std::string& name);

void initDebugSwitches();
void clearDebugSwitches();

// A guarded dump reads: if (traceOn("Coff::preWrite")) { ... }
// Declares the switch and reads it, as switchValue(declareSwitch(name))
// would, in one look-up: the linker asks once per relocation.
inline bool traceOn(const std::string& name) {
  return debugSwitches->try_emplace(name, 0).first->second != 0;
}
