// The protocol files, by integer handle: positive while open. Each is opened
// for reading and appending in text mode; every write reaches the file at once,
// so nothing shown on the panels is lost if the program ends abruptly.
#pragma once

#include <string>
#include <string_view>

// Opens (creating it if needed) the file at path; returns the handle, or -1.
int protocolOpen(const std::string& path);
// Writes the bytes as they are and flushes them; unknown handles are ignored.
void protocolWrite(int handle, std::string_view bytes);
void protocolClose(int handle);
// Absolute path the handle was opened with; empty for an unknown handle.
std::string protocolPath(int handle);
