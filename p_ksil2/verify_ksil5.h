// Step-by-step verification of a КСИЛ5 on page PP5.
#pragma once

extern int pp5Running;  // a КСИЛ5 run is in progress
extern int pp5WaitStep; // the КСИЛ5 run waits for "Далее"

// Allowed deviation of a КСИЛ5 point: 0.6 Ω in MEAS_MODE 0, 1.5 Ω otherwise, plus the
// temperature allowance of RING_TEMP (for "другая" computed from the temperature t).
double pp5Tolerance(int measMode, int ringTemp, int temperature);

// Toolkit callbacks
// PP5's START: starts a КСИЛ5 run, or stops the one in progress.
int start(int panel, int control, int event, void* data, int e1, int e2);
// PP5's NEXT_STEP ("Далее").
int next_step(int panel, int control, int event, void* data, int e1, int e2);
