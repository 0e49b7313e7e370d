// Start-up cost: the time from process start to the carrier choice being
// offered, for the panel program on the default bench, offscreen, against two
// yardsticks: an empty Qt program showing one window, and one showing a window
// with a line of text, painted (reading the font configuration and loading a
// font are most of that: no program that shows text starts for less). The
// ratios are printed with the three times (medians of several starts, taken
// in turn so that all see the same machine); the one against the text window
// is the program's own cost of starting.
//
// Usage: startup_bench [starts]
// Exits with 1 when a start fails or the program costs more than twice the
// text window, else 0.
#include "tests/support/temp_dir.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The program may cost at most this many text windows to start.
constexpr double kMostRatio = 2.0;

std::string besideThis(const char* name)
{
    return (fs::read_symlink("/proc/self/exe").parent_path() / name).string();
}

// Seconds from fork to the end of the program, or a negative value when it failed.
double timedStart(const std::string& program)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1.0;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const int starts = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const TempDir state("startup-bench");
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("KSIL_STATE_DIR", state.str().c_str(), 1);
    ::unsetenv("KSIL_BENCH"); // the default bench

    const std::string probe = besideThis("startup_probe");
    const std::string empty = besideThis("empty_window");
    const std::string text = besideThis("text_window");
    std::vector<double> program, blank, lettered;
    // One start of each first, so that all find the libraries in the page cache.
    bool ok = timedStart(probe) >= 0 && timedStart(empty) >= 0 && timedStart(text) >= 0;
    for (int i = 0; ok && i < starts; ++i) {
        program.push_back(timedStart(probe));
        blank.push_back(timedStart(empty));
        lettered.push_back(timedStart(text));
        ok = program.back() >= 0 && blank.back() >= 0 && lettered.back() >= 0;
    }
    if (!ok) {
        std::printf("start-up: a start failed (%s, %s or %s)\n", probe.c_str(), empty.c_str(), text.c_str());
        return 1;
    }
    const double p = median(program), e = median(blank), t = median(lettered);
    std::printf("start-up to the carrier choice: %.1f ms; empty Qt window: %.1f ms (ratio %.2f); "
                "window with a line of text: %.1f ms (ratio %.2f, bound %.1f)\n",
                p * 1e3, e * 1e3, p / e, t * 1e3, p / t, kMostRatio);
    return p / t > kMostRatio ? 1 : 0;
}
