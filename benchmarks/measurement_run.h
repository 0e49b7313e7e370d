// What the measurement-run benchmarks share: the program started on the Qt
// backend (offscreen unless a display is chosen) on a simulated bench, in a
// temporary working folder, with the real clock; a clock that adds up every
// wait the program asks for; and the operator's part (the first carrier in the
// selection dialog, OK on the run's closing pop-up).
#pragma once

#include "charts/chart_window.h"
#include "p_ksil2/app.h"
#include "p_ksil2/charts/program_charts.h"
#include "p_ksil2/chart_link.h"
#include "p_ksil2/entry.h"
#include "p_ksil2/p_ksil2.h"
#include "p_ksil2/run_paint.h"
#include "platform/clock.h"
#include "si/select.h"
#include "sim/bench.h"
#include "toolkit/backend.h"
#include "tests/support/carrier_picker.h"
#include "tests/support/temp_dir.h"
#include "toolkit/qt/qt.h"
#include "toolkit/toolkit.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include <unistd.h>

namespace bench_run {

// The real clock, counting the waits the program prescribes and how late the
// system woke the program from them (on a busy machine, other programs' turn).
class CountingClock : public platform::Clock {
public:
    explicit CountingClock(platform::Clock& real) : real_(real) {}
    double now() override { return real_.now(); }
    void delay(double seconds) override
    {
        if (seconds <= 0)
            return;
        const double start = real_.now();
        real_.delay(seconds);
        prescribed_ += seconds;
        late_ += std::max(0.0, real_.now() - start - seconds);
    }
    double prescribed() const { return prescribed_; }
    double late() const { return late_; }

private:
    platform::Clock& real_;
    double prescribed_ = 0.0;
    double late_ = 0.0;
};

// Processor time this process has used, in seconds.
inline double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

inline double seconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// A КСИЛ2-4Л at position 1 of a VXI carrier, and an HP 3458A on GPIB 22 wired
// to its measuring output that converts in no time.
inline const char* kBenchJson = R"({"instruments": [
  {"address": "VXI0::2::INSTR", "interface": "VXI", "slot": 2, "crateLA": 0, "LA": 2,
   "manufacturer": 3702, "model": "0x10D", "mezzanines": [{"position": 1, "model": 64, "seed": 7}]},
  {"address": "GPIB0::22::INSTR", "interface": "GPIB", "idn": "HEWLETT-PACKARD,3458A,0,9.2",
   "meter": {"family": 3458, "wiredTo": {"carrier": "VXI0::2::INSTR", "position": 1},
             "gainError": 1e-5, "noise": 1e-6, "seed": 3, "conversionTime": 0}}]})";

// The temporary working folder of the run (protocols, module flash), removed at the end.
class WorkFolder {
public:
    WorkFolder() { std::filesystem::current_path(dir_.path()); }
    std::string path() const { return dir_.str(); }

private:
    TempDir dir_{"ksil-bench"};
};

// "--chart" on the command line: the run is timed with the charts window open
// on its page (taken off the arguments the program sees).
inline bool chartAsked(int& argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "--chart") {
            for (int j = i; j < argc; ++j)
                argv[j] = argv[j + 1];
            --argc;
            return true;
        }
    return false;
}

// Opens the charts window on the page, as PP's button and then its tab would.
inline void openChartPage(charts::Page page)
{
    openCharts(hPP, PP_CHARTS, tk::EVENT_COMMIT, nullptr, 0, 0);
    if (charts::ChartWindow* window = chartWindow())
        window->showPage(page);
    tk::processEvents();
}

// Starts the program as the operator would, on kBenchJson, in the folder.
// Returns false (with a line on standard error) when it cannot.
inline bool startProgram(const char* name, const WorkFolder& folder, int& argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    sim::setStateDir(folder.path());
    // The history is on, as at a station: its own file in the folder, and no server.
    setenv("KSIL_HISTORY_FILE", (std::filesystem::path(folder.path()) / "history.sqlite").c_str(), 1);
    unsetenv("KSIL_HISTORY_PG");
    std::string error;
    if (!sim::loadJson(kBenchJson, &error)) {
        std::fprintf(stderr, "%s: %s\n", name, error.c_str());
        return false;
    }
    setResourceDir(KSIL_RESOURCE_DIR);
    // The run-time the program starts on; made here so the operator's timer can exist.
    new QApplication(argc, argv);
    const CarrierPicker picker;
    installCharts();
    if (appStart(argc, argv, StartOptions{tk::qt::start}) != 0 || mvi == 0) {
        std::fprintf(stderr, "%s: the program did not open the module\n", name);
        return false;
    }
    return true;
}

// Runs `run` and returns the seconds from its start until its closing pop-up
// is on the screen (the pop-up is then closed, as the operator's OK would).
template <class Run>
double timeUntilPopup(Run run)
{
    std::optional<double> shown;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&shown] {
        if (QWidget* popup = QApplication::activeModalWidget()) {
            if (!shown)
                shown = seconds();
            popup->close();
        }
    });
    closer.start(0);
    const double start = seconds();
    run();
    return (shown ? *shown : seconds()) - start;
}

// The program's own work may add at most 2 % to the waits a run prescribes.
inline constexpr double kLimit = 1.02;

// What a measurement run cost against the waits it prescribed (including the
// ones it spent painting).
struct RunFigures {
    double elapsed = 0.0, prescribed = 0.0, late = 0.0, processor = 0.0;
    double ratio() const { return elapsed / prescribed; }
};

// Times `run`, which returns the run's elapsed seconds, on the counting real clock.
template <class Run>
RunFigures timeRun(Run run)
{
    CountingClock clock(platform::clock());
    platform::setClock(&clock);
    const double cpu = cpuSeconds();
    RunFigures f;
    f.elapsed = run();
    f.processor = cpuSeconds() - cpu;
    platform::setClock(nullptr);
    f.prescribed = clock.prescribed() + waitsSpentPainting();
    f.late = clock.late();
    return f;
}

// Prints the run's figures ("<what>: <count> <unit>, elapsed ...").
inline void printFigures(const char* what, int count, const char* unit, const RunFigures& f)
{
    std::printf("%s: %d %s, elapsed %.4f s, prescribed waits %.4f s, ratio %.4f (limit %.2f)\n"
                "  woken late from waits %.4f s in all, outside the waits %.4f s, processor time %.4f s\n",
                what, count, unit, f.elapsed, f.prescribed, f.ratio(), kLimit, f.late,
                f.elapsed - f.prescribed - f.late, f.processor);
}

} // namespace bench_run
