// Runs the automatic calibration of a КСИЛ2-4Л (R0 and 18 stages of both
// channels) on the simulated bench with the real clock and a meter that
// converts in no time, and prints the run's elapsed time divided by the sum of
// the waits it prescribes. The program's own work may add at most 2 %: above
// 1.02 the program exits with 1.
#include "measurement_run.h"

#include "p_ksil2/calibration.h"
#include "p_ksil2/p_ksil2.h"
#include "p_ksil2/run_paint.h"

namespace {
constexpr double kLimit = 1.02;
}

int main(int argc, char** argv)
{
    const bench_run::WorkFolder folder;
    if (!bench_run::startProgram("calibrate_waits", folder, argc, argv))
        return 2;
    tk::processEvents();

    bench_run::CountingClock clock(platform::clock());
    platform::setClock(&clock);
    const double cpu = bench_run::cpuSeconds();
    const double start = bench_run::seconds();
    const ViStatus status = autoCalibrate();
    const double elapsed = bench_run::seconds() - start;
    const double work = bench_run::cpuSeconds() - cpu;
    platform::setClock(nullptr);

    int measured = 0;
    for (int col = 1; col <= 2; ++col)
        for (int row = 1; row <= 19; ++row)
            if (tk::cellTextColor(hCP, CP_TABLE, row, col) != tk::kBlue)
                ++measured;
    const double prescribed = clock.prescribed() + waitsSpentPainting();
    const double ratio = elapsed / prescribed;
    std::printf("automatic calibration: %d cells, elapsed %.4f s, prescribed waits %.4f s, ratio %.4f (limit %.2f)\n"
                "  woken late from waits %.4f s in all, outside the waits %.4f s, processor time %.4f s\n",
                measured, elapsed, prescribed, ratio, kLimit, clock.late(), elapsed - prescribed - clock.late(), work);
    appShutdown();
    if (status != 0 || measured != 38) {
        std::fprintf(stderr, "calibrate_waits: the run did not measure every cell (status %d)\n",
                     static_cast<int>(status));
        return 2;
    }
    return ratio <= kLimit ? 0 : 1;
}
