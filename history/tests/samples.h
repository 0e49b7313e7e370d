// Runs for the history's tests and their writer program, and the checks that
// tell a run that came back whole.
#pragma once

#include "history/record.h"

#include <optional>
#include <string>

namespace history::test {

ModuleId vxiModule(int position = 1);
ModuleId chassisModule(const std::string& serial, int position = 2);

// An automatic verification of both channels, 19 points each.
Run verificationRun(const ModuleId& module, UtcMs started);
// An automatic calibration whose cells are base + a small per-cell offset;
// one cell not measured.
Run calibrationRun(const ModuleId& module, UtcMs started, double offset);
// A WRITE with its as-found, as-left and read-back tables.
Run writeRun(const ModuleId& module, UtcMs started, const TableValues& asFound, const TableValues& asLeft);
Run ksil5Run(const ModuleId& module, UtcMs started);
TableValues nominalTable(double offset = 0.0);

// Run number n of the writer: a fixed id, 38 points and two whole tables whose
// values all derive from n.
Run numberedRun(long n);
// n when the run is numberedRun(n) whole, else nullopt.
std::optional<long> numberOf(const Run& run);

// Doubles that text would not bring back: the next double after 1, the
// smallest denormal, 9.9e37, a negative zero, a NaN with a payload, infinities.
TableValues awkwardTable();

} // namespace history::test
