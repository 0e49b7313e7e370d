// Start-up check of what the program cannot work without: VISA, loaded by
// name, and the carrier and module drivers it is linked with.
#pragma once

#include <string>

// Exit code of a start that finds VISA or a linked driver unusable.
inline constexpr int kExitLibraries = 2;

// True when VISA binds and both linked drivers export every entry point of
// their contracts. Otherwise why holds one line naming the library and what is
// missing in it (or the loader's own message).
bool checkDrivers(std::string& why);
