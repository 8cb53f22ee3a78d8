// The start-up that every program shares.
#pragma once

// True for exactly "-q", "/q", "-Q" or "/Q".
bool isQuietSwitch(const char* argument);

// Points the error stream at standard output's buffer, installs the
// out-of-memory handler, ignores the file size limit's signal (a write past
// the limit fails as a write), has interrupt, terminate, hang-up, quit and
// a broken pipe remove the temporaries before they end the program, sets
// quiet mode when any argument (the program name included) is a quiet
// switch, and unless quiet prints the banner, the notice line and an empty
// line. Every main calls this first.
void startProgram(int argc, char** argv, const char* banner);
