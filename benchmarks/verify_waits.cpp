// Runs the automatic verification of a КСИЛ2-4Л (both channels, 19 points
// each) on the simulated bench with the real clock and a meter that converts
// in no time, and prints the run's elapsed time divided by the sum of the
// waits it prescribes. The program's own work may add at most 2 %: above 1.02
// the program exits with 1. With --chart the charts window follows the run.
#include "measurement_run.h"

#include "p_ksil2/p_ksil2.h"
#include "p_ksil2/protocol.h"
#include "p_ksil2/verify.h"

int main(int argc, char** argv)
{
    const bench_run::WorkFolder folder;
    const bool chart = bench_run::chartAsked(argc, argv);
    if (!bench_run::startProgram("verify_waits", folder, argc, argv))
        return 2;
    // The operator shows PP (the protocol opens) and chooses automatic mode.
    tk::setActiveTabPage(hMP, hTab, 1);
    tabCB(hMP, hTab, tk::EVENT_TAB_CHANGED, nullptr, hPP, 0);
    tk::setValue(hPP, PP_AUTO_POV, 1.0);
    auto_pov(hPP, PP_AUTO_POV, tk::EVENT_COMMIT, nullptr, 0, 0);
    if (chart)
        bench_run::openChartPage(charts::Page::Verification);
    tk::processEvents();

    const bench_run::RunFigures figures =
        bench_run::timeRun([] { return bench_run::timeUntilPopup([] { runAutoVerification(); }); });

    const int rows = tk::numTableRows(hPP, PP_TABLE_R);
    bench_run::printFigures(chart ? "automatic verification, charts open" : "automatic verification", rows, "rows",
                            figures);
    appShutdown();
    if (rows != 2 * static_cast<int>(povPoints.size())) {
        std::fprintf(stderr, "verify_waits: the run did not measure every point\n");
        return 2;
    }
    return figures.ratio() <= bench_run::kLimit ? 0 : 1;
}
