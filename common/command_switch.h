// Telling a switch from a file name on the command line.
#pragma once

#include <string>

// True when the argument is a switch: it begins with '-', or with '/' and
// is not a path. An argument beginning with '/' is a path when it holds a
// further '/' or names an existing file.
bool isCommandSwitch(const std::string& argument);

// Lowers the letter after the switch character (ASCII A-Z only), so that
// "/C" and "/c" are the same switch.
void lowerSwitchLetter(std::string& argument);

// The letter, lowered, of a two-character switch such as "/N" or "-n"; 0 for
// any other argument, so that a longer switch or a path reads as a file name.
char switchLetter(const std::string& argument);
