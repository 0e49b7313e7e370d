// Painting the results of a run that pumps no events (automatic calibration and
// verification). The run defers the display (tk::DeferredDisplay), so its
// changes reach the widgets only when painted; a result is painted during the
// settling wait that follows it, so the screen keeps up with the run and the
// run takes no longer than its prescribed waits plus the meter's own time.
#pragma once

// A result changed the panels: paint it during the next wait.
void resultShown();
// Waits `seconds` in all; pending results are painted first, inside the wait.
void settle(double seconds);
// Paints what is pending at once (where no wait follows: the run's end, or a run
// without a module session, which has no waits).
void paintResults();
// Seconds of settling waits spent painting since the program started: with the
// waits still asked of the clock, the waits the runs prescribed (for benchmarks).
double waitsSpentPainting();
