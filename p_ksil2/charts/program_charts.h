// The program's charts: the window opened from PP, built from PP's result
// table, the КСИЛ5 run's points, CP's calibration table and the history of
// the open module; and the chart saved at the end of an automatic verification.
#pragma once

namespace charts {
class ChartWindow;
}

// Makes the charts the program's (the runs' calls reach them from then on).
void installCharts();
// The window, once PP's button opened it; nullptr before.
charts::ChartWindow* chartWindow();
