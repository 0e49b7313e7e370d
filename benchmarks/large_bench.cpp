// Start-up on a large bench: loading a bench file of N instruments (every
// other one a meter wired to the module of the first) and the program's
// instrument discovery on it, then the same for 10 N instruments. Prints the
// time per instrument of both and their ratio, which stays near 1 while the
// work grows in proportion to the bench (near 10 if it grew with its square).
//
// Usage: large_bench [N]   (default 10000)
// Exits with 1 when a bench is refused or the ratio is above 3.
#include "si/discovery.h"
#include "sim/bench.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr double kMaxRatio = 3.0;

std::string benchText(std::size_t instruments)
{
    std::string text = R"({"instruments": [
        {"address": "VXI0::1::INSTR", "slot": 1, "manufacturer": 3702, "model": "0x10D",
         "mezzanines": [{"position": 1, "model": 64}]})";
    for (std::size_t i = 1; i < instruments; ++i) {
        text += ",\n{\"address\": \"GPIB0::" + std::to_string(i) + "::INSTR\", \"interface\": \"GPIB\"";
        if (i % 2 == 0)
            text += R"(, "meter": {"family": 3458, "wiredTo": {"carrier": "VXI0::1::INSTR", "position": 1}})";
        text += "}";
    }
    return text + "]}";
}

// Seconds per instrument to load the bench and run the discovery on it; negative on failure.
double perInstrument(std::size_t instruments)
{
    const std::string text = benchText(instruments);
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    if (!sim::loadJson(text, &error)) {
        std::printf("large bench: %s\n", error.c_str());
        return -1.0;
    }
    const ViStatus found = findInstruments();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (found < 1) {
        std::printf("large bench: the discovery found nothing (%d)\n", static_cast<int>(found));
        return -1.0;
    }
    return seconds / static_cast<double>(instruments);
}

} // namespace

int main(int argc, char** argv)
{
    const std::size_t n = argc > 1 ? std::max(10L, std::atol(argv[1])) : 10000;
    const double small = perInstrument(n);
    const double large = small < 0 ? -1.0 : perInstrument(10 * n);
    sim::reset();
    if (small < 0 || large < 0)
        return 1;
    const double ratio = large / small;
    std::printf("bench load and discovery per instrument: %.2f us for %zu instruments, %.2f us for %zu; ratio %.2f\n",
                small * 1e6, n, large * 1e6, 10 * n, ratio);
    return ratio > kMaxRatio ? 1 : 0;
}
