// The program's start-up, event loop and shutdown, and the small routines of
// the main window that other parts of the program call.
#pragma once

#include "p_ksil2/link_state.h"

struct StartOptions {
    // Starts the toolkit's backend: tk::qt::start for the program, the
    // headless one in tests. False when it cannot (tk::lastError says why).
    bool (*startToolkit)(int& argc, char** argv) = nullptr;
};

// Start-up: check of VISA and the linked drivers, run-time, panels, resource
// check, tab pages, library check, discovery, carrier choice, per-model set-up,
// link LED. Returns 0; -1 when the run-time cannot start, a panel or the menu
// bar cannot be loaded or the resource lacks a control the program addresses
// (or has it of another kind or shape); kExitLibraries when VISA or a linked driver cannot be
// used. One line on standard error says why.
int appStart(int& argc, char** argv, const StartOptions& options);
// Event loop: returns 0 when the operator confirms the exit question.
int appRunLoop();
// Closes the sessions and the multimeter and discards the panels.
void appShutdown();

// Per-model set-up of the main window at start-up, by moduleModel.
void applyModelSetup();
// The exit question for the model chosen at start-up.
const char* exitQuestion();

// Driver revision, program version and the switch-code library check on ABOUT.
void refreshAbout();
