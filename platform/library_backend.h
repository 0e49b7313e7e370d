// What Library needs from the system's loader; library_posix.cpp and
// library_win.cpp implement it. Internal to the platform layer.
#pragma once

#include <string>

namespace platform::detail {

// Loads a library file (a path, or a bare name the loader searches for);
// nullptr on failure, with loaderMessage() saying why.
void* loadLibraryFile(const std::string& file);
// The loader's own text for the last failure of this thread, one line.
std::string loaderMessage();
void unloadLibrary(void* handle);
void* librarySymbol(void* handle, const char* name);
// Leaves the library loaded for the rest of the process, whatever unloads it later.
void pinLibrary(void* handle, const std::string& file);
// Folder of the platform layer's own library, with a trailing separator; empty if unknown.
std::string ownFolder();
// Whether a file of that path exists.
bool libraryFileExists(const std::string& path);
// The platform's separator of folders in a path.
char folderSeparator();

} // namespace platform::detail
