// Whether a member's stored name may be used as the file name to extract
// it to. A library can come from anywhere; its names must not steer the
// extraction outside the current directory.
#pragma once

#include <string>

// False for an absolute name (a leading '/' or '\\', or a drive letter and
// a colon) and for a name with a ".." component (split at '/' and '\\').
bool isSafeMemberName(const std::string& name);
