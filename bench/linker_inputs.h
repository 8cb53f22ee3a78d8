// The linker's benchmark inputs: object files, two libraries and the
// command file of one link, written into a directory.
#pragma once

#include <cstdint>
#include <string>

// OBJECTS objects o000001.o ..., the libraries liba.lib and libb.lib of
// 2 x OBJECTS members each (the link imports half of each), and link.lkr,
// which names them all and a program memory they nearly fill. 0 on success.
int makeLinkerInputs(uint32_t objects, const std::string& dir);
// COUNT code pages and COUNT code sections, a quarter of them placed by
// SECTION lines (place.o, place.lkr). 0 on success.
int makePlacementInputs(uint32_t count, const std::string& dir);
