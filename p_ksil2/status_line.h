// The status line of the main window (MP's MSG): the one place that writes it.
// Every failed driver call, and every other failure the operator must know of,
// is shown here in red; progress in black.
#pragma once

#include "drivers/visa.h"

#include <string>
#include <string_view>

// Shows a failed driver call: the driver's message, a blank and the call text,
// in red; status 0 only turns the line grey.
void reportStatus(const char* callText, ViStatus status);
// Shows a failure in red, cut to the status text's 255 characters.
void showStatusProblem(std::string text);
// Shows a problem of the history of runs, in red, as "История: <problem>". A
// failure the line already shows (a run's, or one not yet acknowledged) stays
// in front, the history's problem after it; a problem already shown is not
// repeated.
void showHistoryProblem(std::string_view problem);
// Shows what the program is doing now, in black.
void showStatusProgress(std::string_view text);
// Empties the text; the colour stays and tells what happened last.
void clearStatusLine();
// What the line shows now.
std::string statusLineText();
// True while the line's last word is a failure (shown in red, perhaps emptied since).
bool statusHasFailure();
// Replaces whatever the line shows (an earlier failure too) with what was
// done and when, in grey: "<what>, HH:MM:SS".
void showConfirmation(std::string_view what);
