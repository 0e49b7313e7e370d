// The program's state put back to its state before start-up, for tests and
// benchmarks that start the program again in the same process.
#pragma once

// The reset entry: every module's state (the program's globals, the meter
// sessions and the instrument table, the message panel, the protocol, the
// selection dialog, the carrier-driver and meter bindings). Call it with no
// toolkit running or after the toolkit has shut down.
void resetProgramState();

// What the entry is made of, one function per file of the program that keeps state.
void resetGlobals();
// Forgets the message panel without a toolkit call.
void msgpForget();
// Closes what is open and puts the protocol state back to program start.
void resetProtocolState();
