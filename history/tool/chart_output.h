// Charts the tool writes: of one stored run, and of a module's drift. Drawn
// offscreen: the tool needs no display.
#pragma once

#include "history/query.h"
#include "history/record.h"

#include <string>
#include <vector>

namespace history::tool {

// Each writes the file (.png or .svg by its suffix) and answers an empty text,
// or the reason it did not.
struct ChartWritten {
    bool nothingToShow = false; // the run has neither points nor a calibration table
    std::string why;
};
ChartWritten writeRunChart(const Run& run, const std::string& path);
// row 0: every stage as per cent of its nominal; a row: its value in ohms.
std::string writeDriftChart(const std::vector<DriftPoint>& drift, int row, const std::string& path);

} // namespace history::tool
