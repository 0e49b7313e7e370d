// The run in progress as the history will keep it. A run begins, collects its
// cells, points and tables as the run code has them (in memory only), and is
// handed to the history when it ends: storing never happens inside a settling
// wait, and what the history says about it goes to the status line.
#pragma once

#include "history/record.h"

#include <cstddef>
#include <optional>
#include <string>

namespace runrecord {

// The module just opened: the carrier's resource and the mezzanine position.
void moduleOpened(std::string carrierResource, int position);

// The module open now, as the history names it.
history::ModuleId openModule();
// No module and no run in progress (start-up).
void forgetRuns();

// Starts a run. One begun earlier and not finished (a КСИЛ5 run waiting for
// the operator) goes on after this one is finished.
void begin(history::RunKind kind, history::ReadingsFrom readingsFrom = history::ReadingsFrom::None);
bool active();
// The run in progress (to add its tables, settings, read-back and note);
// nullptr between runs.
history::Run* current();

// A calibration cell as the run put it into the table.
void cell(int row, int channel, double value, history::CellState state, std::optional<double> reading = {},
          std::optional<double> r0Used = {});
// Forgets the run in progress: nothing was done.
void discard();
// A verification point, judged.
void point(int channel, double set, double measured, double norm, bool outOfNorm);

// A result row of page PP: a point of the automatic verification in progress,
// else a manual verification run of its own, stored at once.
void povRow(int channel, double set, double measured, double norm, bool outOfNorm, history::ReadingsFrom from);

// Ends the run and stores it. A failure's detail, when not given, is what the
// status line says. A verification that ran to its end is judged by
// its points; one that did not has no verdict.
void finish(history::RunEnd end, std::string detail = {});
// The measurements of the current run are over: its end time is now, though it
// is stored only at finish (after the pop-up that closes it, so that storing
// costs the run no time the operator waits for).
void measurementsEnded();

// Ends the run begun in its scope, as stopped, when nothing finished it.
class Scope {
public:
    Scope(history::RunKind kind, history::ReadingsFrom readingsFrom = history::ReadingsFrom::None);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

private:
    std::size_t depth_;
};

// The run store of a calibration cell's colour: measured within or outside its tolerance.
history::CellState measuredState(int colour);

} // namespace runrecord
