// Appends 10 000 result lines through logPovResult to a protocol file and to
// LOG on the Qt backend (offscreen unless a display is chosen) and prints the
// cost of the last thousand lines divided by the cost of the first thousand.
// No line may cost more because many came before it: the ratio must be at
// most 1.2, else the program exits with 1.
//
// As in a verification run, each row comes after 0.1 s of settling waits, so
// the display is repainted once a row. The waits pass on a virtual clock: the
// repaints then depend on the rows alone, not on how busy the machine is, and
// the cost measured is CPU time of this process.
#include "p_ksil2/app_state.h"
#include "p_ksil2/callbacks.h"
#include "p_ksil2/entry.h"
#include "p_ksil2/p_ksil2.h"
#include "p_ksil2/protocol.h"
#include "platform/clock.h"
#include "tests/support/temp_dir.h"
#include "toolkit/qt/qt.h"
#include "toolkit/toolkit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <numeric>
#include <string>
#include <system_error>
#include <vector>
#include <unistd.h>

namespace {

constexpr int kLines = 10000;
constexpr int kBatch = 1000;
constexpr double kLimit = 1.2;
constexpr double kWaitsPerRow = 0.1; // seconds: settling after setting the point and after ranging

// CPU time of this thread: other programs on the machine do not count.
double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// A result row as the verification writes them: both channels, every test point.
void writeRow(int i)
{
    const double set = static_cast<double>(1 << (i % 18));
    const double measured = set * 1.0007 + 0.3;
    const double deviation = measured - set;
    logPovResult(static_cast<std::uint16_t>(1 + (i / 18) % 2), set, measured, deviation,
                 std::abs(deviation) > 0.002 * set + 2.0);
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    platform::VirtualClock clock;
    platform::setClock(&clock);
    if (!tk::qt::start(argc, argv)) {
        std::fprintf(stderr, "protocol_growth: the Qt run-time cannot start\n");
        return 2;
    }
    registerCallbacks();
    setResourceDir(KSIL_RESOURCE_DIR);
    hCHLP = tk::loadPanel(0, resourceFile(), CHLP);
    if (hCHLP < 0) {
        std::fprintf(stderr, "protocol_growth: %s\n", tk::lastError().c_str());
        return 2;
    }
    tk::installPopup(hCHLP);
    tk::processEvents();

    const TempDir folder("protocol-growth");
    openLog(logFile, (folder.path() / "ksil2.log").string());
    if (logFile <= 0) {
        std::fprintf(stderr, "protocol_growth: the protocol file cannot be opened\n");
        return 2;
    }

    std::vector<double> lineCost(kLines);
    for (int i = 0; i < kLines; ++i) {
        Delay(kWaitsPerRow);
        const double start = cpuSeconds();
        writeRow(i);
        lineCost[static_cast<size_t>(i)] = cpuSeconds() - start;
    }

    double first = 0.0;
    double last = 0.0;
    double firstSum = 0.0;
    double lastSum = 0.0;
    for (int b = 0; b < kLines / kBatch; ++b) {
        std::vector<double> batch(lineCost.begin() + b * kBatch, lineCost.begin() + (b + 1) * kBatch);
        const double sum = std::accumulate(batch.begin(), batch.end(), 0.0);
        std::nth_element(batch.begin(), batch.begin() + kBatch / 2, batch.end());
        const double cost = batch[kBatch / 2] * kBatch;
        std::printf("lines %5d..%5d: %8.2f ms (median line x %d), %8.2f ms in all\n", b * kBatch + 1,
                    (b + 1) * kBatch, cost * 1e3, kBatch, sum * 1e3);
        if (b == 0) {
            first = cost;
            firstSum = sum;
        }
        last = cost;
        lastSum = sum;
    }
    const int shown = tk::numTextBoxLines(hCHLP, CHLP_LOG);
    closeProtocols();
    tk::shutdown();
    platform::setClock(nullptr);

    const double ratio = first > 0.0 ? last / first : 0.0;
    std::printf("LOG lines: %d\nsums: last thousand / first thousand: %.3f\n", shown,
                firstSum > 0.0 ? lastSum / firstSum : 0.0);
    std::printf("last thousand / first thousand: %.3f (limit %.1f)\n", ratio, kLimit);
    return ratio <= kLimit ? 0 : 1;
}
