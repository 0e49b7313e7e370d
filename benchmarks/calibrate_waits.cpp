// Runs the automatic calibration of a КСИЛ2-4Л (R0 and 18 stages of both
// channels) on the simulated bench with the real clock and a meter that
// converts in no time, and prints the run's elapsed time divided by the sum of
// the waits it prescribes. The program's own work may add at most 2 %: above
// 1.02 the program exits with 1. With --chart the charts window follows the run.
#include "measurement_run.h"

#include "p_ksil2/calibration.h"
#include "p_ksil2/p_ksil2.h"

int main(int argc, char** argv)
{
    const bench_run::WorkFolder folder;
    const bool chart = bench_run::chartAsked(argc, argv);
    if (!bench_run::startProgram("calibrate_waits", folder, argc, argv))
        return 2;
    if (chart)
        bench_run::openChartPage(charts::Page::Calibration);
    tk::processEvents();

    ViStatus status = 0;
    // Until the closing summary pop-up; the operator's OK ends it.
    const bench_run::RunFigures figures = bench_run::timeRun(
        [&status] { return bench_run::timeUntilPopup([&status] { status = autoCalibrate(); }); });

    int measured = 0;
    for (int col = 1; col <= 2; ++col)
        for (int row = 1; row <= 19; ++row)
            if (tk::cellTextColor(hCP, CP_TABLE, row, col) != tk::kBlue)
                ++measured;
    bench_run::printFigures(chart ? "automatic calibration, charts open" : "automatic calibration", measured, "cells",
                            figures);
    appShutdown();
    if (status != 0 || measured != 38) {
        std::fprintf(stderr, "calibrate_waits: the run did not measure every cell (status %d)\n",
                     static_cast<int>(status));
        return 2;
    }
    return figures.ratio() <= bench_run::kLimit ? 0 : 1;
}
