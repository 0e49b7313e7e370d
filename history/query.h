// What the history is asked for: runs of a module, in a time span, of some kinds;
// the drift of a module's stages across its calibrations.
#pragma once

#include "history/record.h"

#include <optional>
#include <string>
#include <vector>

namespace history {

// A module as the history finds it: the carrier by its serial or its
// resource (either matches), and its mezzanine position (0: any).
struct ModuleRef {
    std::string carrier;
    int position = 0;
};

// The reference of a module the program has open: by the carrier's serial
// where it reports one, else by its resource.
ModuleRef refOf(const ModuleId& module);

struct RunFilter {
    std::optional<ModuleRef> module;
    std::optional<UtcMs> from;  // runs started at or after
    std::optional<UtcMs> until; // runs started before
    std::vector<RunKind> kinds; // empty: every kind
    int limit = 0;              // 0: no limit
};

// One measured value of one cell in one calibration, oldest first.
struct DriftPoint {
    std::string runId;
    UtcMs time = 0;
    RunKind kind = RunKind::AutoCalibration;
    int channel = 1;
    int row = 1;             // 1..18 the stages, kR0Row the R0
    double value = 0.0;
    CellState state = CellState::Within;
    double sincePrevious = 0.0; // 0 for the first calibration of the cell
    double sinceFirst = 0.0;
};

struct DriftQuery {
    ModuleRef module;
    int channel = 0; // 0: both
    int row = 0;     // 0: every stage and R0
};

// A run's items in a list: its description and how much it holds.
struct RunListEntry {
    RunInfo info;
    int points = 0;
    int cells = 0;
};

} // namespace history
