// Start of the Qt Widgets backend, for the program.
#pragma once

namespace tk::qt {

// Starts the Qt run-time and installs the Qt backend on a fresh model.
// Returns false, with tk::lastError() saying why in one line, when no display
// can be reached; the process goes on and can report it.
bool start(int& argc, char** argv);

} // namespace tk::qt
