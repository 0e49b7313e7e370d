// MP's status line MSG: failures in red (reportStatus, showStatusProblem in
// session.h) and the short grey confirmation of an operation that succeeded.
#pragma once

#include <string_view>

// Replaces whatever the line shows (an earlier failure too) with what was
// done and when, in grey: "<what>, HH:MM:SS".
void showConfirmation(std::string_view what);
