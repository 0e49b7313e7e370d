// The cost of handing a finished run to the history: an automatic
// verification (38 points), an automatic calibration (38 cells) and a WRITE
// (as-found, as-left and read-back: 114 cells), each stored in one transaction
// into a fresh SQLite file, the disk flushed at every commit (a rollback
// journal: three flushes; the statements themselves take well under a
// millisecond). Prints the median and the slowest of each; exits with 1 when
// a median is above 100 ms (a run is stored between measurements, never
// inside a settling wait, but the operator should not notice it) or a store
// fails.
//
// Usage: history_store [runs]
#include "history/history.h"
#include "history/tests/samples.h"
#include "history/text.h"
#include "tests/support/temp_dir.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using namespace history;

constexpr double kBoundMs = 100.0;

struct Figures {
    double median = 0, slowest = 0;
};

template <typename Make>
bool measure(History& h, int runs, Make make, Figures& f)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const Run run = make(i);
        const auto t0 = std::chrono::steady_clock::now();
        const auto stored = h.store(run);
        const auto t1 = std::chrono::steady_clock::now();
        if (!stored.status.ok()) {
            std::fprintf(stderr, "history_store: %s\n", stored.status.message.c_str());
            return false;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    f.median = ms[ms.size() / 2];
    f.slowest = ms.back();
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
    const TempDir folder("history-store");
    History h;
    if (Status s = h.open(Config{(folder.path() / "history.sqlite").string(), std::nullopt}); !s.ok()) {
        std::fprintf(stderr, "history_store: %s\n", s.message.c_str());
        return 1;
    }
    const UtcMs start = nowUtc();
    Figures verify, calibrate, write;
    const bool ok =
        measure(h, runs, [&](int i) { return test::verificationRun(test::vxiModule(), start + i); }, verify) &&
        measure(h, runs, [&](int i) { return test::calibrationRun(test::vxiModule(), start + i, 0.1); }, calibrate) &&
        measure(h, runs, [&](int i) {
            return test::writeRun(test::vxiModule(), start + i, test::nominalTable(0.1), test::nominalTable(0.2));
        }, write);
    if (!ok)
        return 1;
    std::printf("history store into SQLite, %d runs each (median / slowest):\n", runs);
    std::printf("  verification, 38 points:  %.2f ms / %.2f ms\n", verify.median, verify.slowest);
    std::printf("  calibration, 38 cells:    %.2f ms / %.2f ms\n", calibrate.median, calibrate.slowest);
    std::printf("  WRITE, 114 cells:         %.2f ms / %.2f ms\n", write.median, write.slowest);
    const double worst = std::max({verify.median, calibrate.median, write.median});
    if (worst > kBoundMs) {
        std::printf("a median store took %.2f ms, above %.0f ms\n", worst, kBoundMs);
        return 1;
    }
    return 0;
}
