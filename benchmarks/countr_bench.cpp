// Switch-code throughput: tvksil2_countR against a straightforward transcription
// of its computation, on random targets over the whole range of a measured table.
// Prints the calls per second of both, their ratio, and the number of targets on
// which they differ. Exits with 1 when any result differs or, in an optimised
// build, when the library is slower than the transcription (the timings of an
// unoptimised or sanitizer build say nothing about the library).
//
// Usage: countr_bench [calls per round]
#include "tvksil2_math/tvksil2_math.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <random>
#include <vector>

namespace {

constexpr std::int32_t kAllSet = (1 << kStages) - 1;
constexpr int kRounds = 5;

using Table = std::array<double, kSwitchTableEntries>;
using CountFn = std::int32_t (*)(std::uint32_t, const double*, std::int32_t, double);

// The computation as it is defined: greedy pass from the coarsest stage down,
// then the next code up, then the nearer of the two; the all-set code above
// the top of the range.
std::int32_t transcription(std::uint32_t, const double* table, std::int32_t channel, double x)
{
    const double* steps = table + kStepEntry + kStages * channel;
    const double o = table[kR0Entry + channel];
    const double base = double(kStages) * o;
    double r = x - base;
    std::int32_t code1 = 0;
    for (int k = kStages - 1; k >= 0; --k) {
        if (steps[k] - o < r) {
            code1 |= 1 << k;
            r = r - (steps[k] - o);
        }
        if (r <= 0.0)
            break;
    }
    if (code1 == kAllSet)
        return code1;
    std::int32_t code2 = code1;
    double e = 0.0;
    for (int k = 0; k < kStages; ++k) {
        const std::int32_t bit = 1 << k;
        if ((code1 & bit) == 0) {
            code2 |= bit;
            e = (r + e) - (steps[k] - o);
            break;
        }
        e = e + (steps[k] - o);
        code2 &= ~bit;
    }
    return std::fabs(r) > std::fabs(e) ? code2 : code1;
}

// Reached through a pointer the compiler cannot see through, as the library is
// reached through the dynamic linker.
volatile CountFn plainCount = transcription;
volatile CountFn libraryCount = tvksil2_countR;

// A table as a calibration measures it: every stage a little off its nominal
// value, each channel with its own R0.
Table measuredTable(std::mt19937_64& rng)
{
    std::normal_distribution<double> relative(0.0, 4e-4);
    std::normal_distribution<double> absolute(0.0, 0.004);
    Table t{};
    t[0] = 0.0;
    t[kR0Entry] = 0.0312;
    t[kR0Entry + 1] = 0.0287;
    for (int a = 0; a < kChannels; ++a)
        for (int k = 0; k < kStages; ++k)
            t[kStepEntry + kStages * a + k] = std::ldexp(1.0, k) * (1.0 + relative(rng)) + absolute(rng) + t[kR0Entry + a];
    return t;
}

double lowest(const Table& t, int a)
{
    return double(kStages) * t[kR0Entry + a];
}

double highest(const Table& t, int a)
{
    double sum = double(kStages) * t[kR0Entry + a];
    for (int k = 0; k < kStages; ++k)
        sum += t[kStepEntry + kStages * a + k] - t[kR0Entry + a];
    return sum;
}

// Targets on both channels; a few beyond each end of the range.
struct Targets {
    std::vector<double> x;
    std::vector<std::int32_t> channel;
};

Targets randomTargets(const Table& t, std::size_t n, std::mt19937_64& rng)
{
    Targets targets;
    for (std::size_t i = 0; i < n; ++i) {
        const int a = static_cast<int>(i & 1);
        const double lo = lowest(t, a), hi = highest(t, a);
        std::uniform_real_distribution<double> over(lo - 1e-3 * (hi - lo), hi + 1e-3 * (hi - lo));
        targets.x.push_back(over(rng));
        targets.channel.push_back(a);
    }
    return targets;
}

long countDifferences(const Table& t, const Targets& targets)
{
    long n = 0;
    for (std::size_t i = 0; i < targets.x.size(); ++i)
        n += tvksil2_countR(0, t.data(), targets.channel[i], targets.x[i]) !=
             transcription(0, t.data(), targets.channel[i], targets.x[i]);
    return n;
}

// Every kind of target and table the library must treat exactly as the
// transcription does.
long differencesOnEdges(const Table& measured, std::mt19937_64& rng)
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<Table> tables = {measured};
    for (double increment : {0.0, -2.5, -5000.0}) {
        Table t = measured;
        for (int a = 0; a < kChannels; ++a)
            t[kStepEntry + kStages * a + 9] = t[kR0Entry + a] + increment;
        tables.push_back(t);
    }
    long n = 0;
    for (const Table& t : tables) {
        for (int a = 0; a < kChannels; ++a) {
            const double lo = lowest(t, a), hi = highest(t, a);
            Targets edges;
            for (double x : {nan, -nan, inf, -inf, 0.0, -0.0, -1.0, lo, std::nextafter(lo, -inf), hi,
                             std::nextafter(hi, inf), hi + 0.5, hi * 2.0, 1e308, -1e308}) {
                edges.x.push_back(x);
                edges.channel.push_back(a);
            }
            n += countDifferences(t, edges);
        }
        n += countDifferences(t, randomTargets(t, 100000, rng));
    }
    return n;
}

// Calls per second of processor time in one round; best keeps the highest.
void callsPerSecond(CountFn count, const Table& t, const Targets& targets, double& best, long& sink)
{
    const std::clock_t start = std::clock();
    long sum = 0;
    for (std::size_t i = 0; i < targets.x.size(); ++i)
        sum += count(0, t.data(), targets.channel[i], targets.x[i]);
    const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    sink += sum;
    if (seconds > 0)
        best = std::max(best, static_cast<double>(targets.x.size()) / seconds);
}

} // namespace

int main(int argc, char** argv)
{
    const std::size_t n = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 2000000;
    if (n == 0) {
        std::fprintf(stderr, "usage: %s [calls per round]\n", argv[0]);
        return 2;
    }
    std::mt19937_64 rng(20261208);
    const Table table = measuredTable(rng);
    const Targets targets = randomTargets(table, n, rng);

    const long differing = countDifferences(table, targets) + differencesOnEdges(table, rng);

    double library = 0, plain = 0;
    long sink = 0;
    for (int round = 0; round < kRounds; ++round) {
        callsPerSecond(plainCount, table, targets, plain, sink);
        callsPerSecond(libraryCount, table, targets, library, sink);
    }
    const double ratio = plain > 0 ? library / plain : 0.0;

    std::printf("tvksil2_countR:   %12.0f calls/s\n", library);
    std::printf("transcription:    %12.0f calls/s\n", plain);
    std::printf("ratio:            %12.2f\n", ratio);
    std::printf("differing results: %11ld\n", differing);
    std::printf("(checksum %ld)\n", sink);
#if defined(__OPTIMIZE__)
    const bool judged = true;
#else
    const bool judged = false;
    std::printf("unoptimised build: the ratio is not judged\n");
#endif
    return differing == 0 && (!judged || ratio >= 1.0) ? 0 : 1;
}
