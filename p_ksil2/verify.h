// Verification of a module against its norm: the result rows of page PP, the
// automatic run of a КСИЛ2-4Л over both channels, and the step-by-step run of
// a КСИЛ5 on page PP5.
#pragma once

#include "history/record.h"

#include <array>
#include <cstdint>

// The test points of the automatic run, in ohms: the 18 stage weights and their sum.
inline constexpr std::array<double, 19> povPoints{
    1.0,    2.0,    4.0,    8.0,     16.0,    32.0,    64.0,     128.0,    256.0,    512.0,
    1024.0, 2048.0, 4096.0, 8192.0, 16384.0, 32768.0, 65536.0, 131072.0, 262143.0};

extern int pp5Running;  // a КСИЛ5 run is in progress
extern int pp5WaitStep; // the КСИЛ5 run waits for "Далее"

// Appends a result row of TABLE_R and a protocol line for a set and a measured
// value, judged against the norm; the run's record takes it as a point (the
// measured value typed by the operator when from says so).
void addPovRowValues(std::uint16_t channel, double set, double measured,
                     history::ReadingsFrom from = history::ReadingsFrom::Meter);
// Both channels through every test point, measured, recorded and judged (SET with AUTO_POV on).
void runAutoVerification();
// Allowed deviation of a КСИЛ5 point: 0.6 Ω in MEAS_MODE 0, 1.5 Ω otherwise, plus the
// temperature allowance of RING_TEMP (for "другая" computed from the temperature t).
double pp5Tolerance(int measMode, int ringTemp, int temperature);

// Toolkit callbacks
// PP's AUTO_POV: automatic or manual mode of the page.
int auto_pov(int panel, int control, int event, void* data, int e1, int e2);
// PP5's START: starts a КСИЛ5 run, or stops the one in progress.
int start(int panel, int control, int event, void* data, int e1, int e2);
// PP5's NEXT_STEP ("Далее").
int next_step(int panel, int control, int event, void* data, int e1, int e2);
