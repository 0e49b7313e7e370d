// The protocol files, by integer handle: positive while open. Only a regular
// file, or a new one, is opened; every write reaches the file at once, so
// nothing shown on the panels is lost if the program ends abruptly.
#pragma once

#include <string>
#include <string_view>

// Opens (creating it if needed) the file at path for appending; returns the
// handle, or -1 when it cannot be opened or is not a regular file.
int protocolOpen(const std::string& path);
// Writes the bytes at the end of the file. When an earlier write left a line
// unfinished (a full disk cut it), a line feed goes first, so that these bytes
// start a line of their own. Returns 0, or the system's error number when not
// all of them reached the file. Unknown handles are ignored (0).
int protocolWrite(int handle, std::string_view bytes);
void protocolClose(int handle);
// Absolute path the handle was opened with; empty for an unknown handle.
std::string protocolPath(int handle);
