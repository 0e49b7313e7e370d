// Runs the automatic verification of a КСИЛ2-4Л (both channels, 19 points
// each) on the simulated bench with the real clock and a meter that converts
// in no time, and prints the run's elapsed time divided by the sum of the
// waits it prescribes. The program's own work may add at most 2 %: above 1.02
// the program exits with 1.
#include "measurement_run.h"

#include "p_ksil2/p_ksil2.h"
#include "p_ksil2/run_paint.h"
#include "p_ksil2/protocol.h"
#include "p_ksil2/verify.h"

namespace {
constexpr double kLimit = 1.02;
}

int main(int argc, char** argv)
{
    const bench_run::WorkFolder folder;
    if (!bench_run::startProgram("verify_waits", folder, argc, argv))
        return 2;
    // The operator shows PP (the protocol opens) and chooses automatic mode.
    tk::setActiveTabPage(hMP, hTab, 1);
    tabCB(hMP, hTab, tk::EVENT_TAB_CHANGED, nullptr, hPP, 0);
    tk::setValue(hPP, PP_AUTO_POV, 1.0);
    auto_pov(hPP, PP_AUTO_POV, tk::EVENT_COMMIT, nullptr, 0, 0);
    tk::processEvents();

    bench_run::CountingClock clock(platform::clock());
    platform::setClock(&clock);
    const double cpu = bench_run::cpuSeconds();
    const double elapsed = bench_run::timeUntilPopup([] { runAutoVerification(); });
    const double work = bench_run::cpuSeconds() - cpu;
    platform::setClock(nullptr);

    const int rows = tk::numTableRows(hPP, PP_TABLE_R);
    const double prescribed = clock.prescribed() + waitsSpentPainting();
    const double ratio = elapsed / prescribed;
    std::printf("automatic verification: %d rows, elapsed %.4f s, prescribed waits %.4f s, ratio %.4f (limit %.2f)\n"
                "  woken late from waits %.4f s in all, outside the waits %.4f s, processor time %.4f s\n",
                rows, elapsed, prescribed, ratio, kLimit, clock.late(), elapsed - prescribed - clock.late(), work);
    appShutdown();
    if (rows != 2 * static_cast<int>(povPoints.size())) {
        std::fprintf(stderr, "verify_waits: the run did not measure every point\n");
        return 2;
    }
    return ratio <= kLimit ? 0 : 1;
}
