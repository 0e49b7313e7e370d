#include "tvksil2_math/tvksil2_math.h"
#include "platform/library.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <limits>
#include <random>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

constexpr int kStages = 18;
constexpr std::int32_t kAllSet = (1 << kStages) - 1;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

using Table = std::array<double, 39>;

// A table whose channel `channel` holds R0 = r0 and increments 2^k * q; every
// entry the channel must not read is NaN.
Table idealTable(int channel, double r0, double q)
{
    Table t;
    t.fill(kNaN);
    for (int k = 0; k < kStages; ++k)
        t[1 + kStages * channel + k] = std::ldexp(q, k) + r0;
    t[37 + channel] = r0;
    return t;
}

std::int32_t countR(const Table& t, int channel, double x)
{
    return tvksil2_countR(0xDEADBEEFu, t.data(), channel, x);
}

TEST(SwitchCode, WorkedExamplesOnBothChannels)
{
    struct Case {
        double target;
        std::int32_t code;
    };
    // R0 0.5, step values 2^k + 0.5: R(c) = 9 + c.
    const Case cases[] = {
        {14.0, 5},  // exact code, reached through the correction pass
        {14.5, 5},  // tie: the lower code wins
        {14.6, 6},
        {14.4, 5},
        {9.0, 0},   // all bypassed, remainder 0 at the start
        {0.0, 0},   // below the range
        {9.0 + 1000.0, 1000},
    };
    for (int channel = 0; channel < 2; ++channel) {
        const Table t = idealTable(channel, 0.5, 1.0);
        for (const Case& c : cases)
            EXPECT_EQ(countR(t, channel, c.target), c.code) << "channel " << channel << " target " << c.target;
    }
}

TEST(SwitchCode, OnlyTheChosenChannelIsRead)
{
    // Both channels filled, with different R0 and scales; entry 0 garbage.
    Table t = idealTable(0, 0.5, 1.0);
    const Table t1 = idealTable(1, 0.125, 4.0);
    for (int k = 0; k < kStages; ++k)
        t[19 + k] = t1[19 + k];
    t[38] = t1[38];
    t[0] = -1.0e300;

    EXPECT_EQ(countR(t, 0, 14.0), 5);
    EXPECT_EQ(countR(t, 1, 18 * 0.125 + 4.0 * 5), 5);
    EXPECT_EQ(countR(t, 1, 18 * 0.125 + 4.0 * 5 + 2.0), 5); // tie on the scale 4
    EXPECT_EQ(countR(t, 1, 18 * 0.125 + 4.0 * 5 + 2.1), 6);
}

TEST(SwitchCode, TargetsOutsideTheRange)
{
    const double r0 = 0.1, q = 1.0;
    const Table t = idealTable(0, r0, q);
    const double top = 18 * r0 + kAllSet * q;
    EXPECT_EQ(countR(t, 0, -50.0), 0);
    EXPECT_EQ(countR(t, 0, 18 * r0 - 0.3), 0);
    EXPECT_EQ(countR(t, 0, top), kAllSet);
    EXPECT_EQ(countR(t, 0, top - 0.4 * q), kAllSet);
    // Above the all-set resistance nothing is nearer than the all-set code.
    EXPECT_EQ(countR(t, 0, top + 0.4 * q), kAllSet);
    EXPECT_EQ(countR(t, 0, top + 0.6 * q), kAllSet);
    EXPECT_EQ(countR(t, 0, top + 1.0e6), kAllSet);
}

TEST(SwitchCode, ExactTiesPickTheLowerCode)
{
    // Dyadic values keep every sum exact, so the tie is a real tie.
    const Table t = idealTable(0, 0.25, 0.5);
    for (std::int32_t c : {0, 1, 2, 3, 7, 8, 255, 256, 0x1FFFF, 0x20000, kAllSet - 1}) {
        const double x = 18 * 0.25 + c * 0.5;
        EXPECT_EQ(countR(t, 0, x), c) << c;
        EXPECT_EQ(countR(t, 0, x + 0.25), c) << c;
        EXPECT_EQ(countR(t, 0, x + 0.25 + 1.0 / 1024), c + 1) << c;
        EXPECT_EQ(countR(t, 0, x - 1.0 / 1024), c) << c;
    }
}

TEST(SwitchCode, MeasuredTableKeepsTheStrictGreedyRule)
{
    // Stage 1 measured at 1 ohm instead of 2: codes 1 and 2 give the same
    // resistance. The greedy pass does not take a stage equal to the remainder,
    // so the finer stage is chosen.
    Table t = idealTable(0, 0.25, 1.0);
    t[1 + 1] = 1.0 + 0.25;
    EXPECT_EQ(countR(t, 0, 18 * 0.25 + 1.0), 1);
    // Stage 2 measured high (4.5): 4.2 lies between R(3) = 3 and R(4) = 4.5.
    t = idealTable(0, 0.0, 1.0);
    t[1 + 2] = 4.5;
    EXPECT_EQ(countR(t, 0, 4.2), 4);
    EXPECT_EQ(countR(t, 0, 3.7), 3);
}

// The two passes as written in the library's definition, one branch per stage.
std::int32_t twoPasses(const Table& t, int channel, double x)
{
    const double* v = t.data() + 1 + kStages * channel;
    const double o = t[37 + channel];
    const double base = 18.0 * o;
    double r = x - base;
    std::int32_t code1 = 0;
    for (int k = kStages - 1; k >= 0; --k) {
        if (v[k] - o < r) {
            code1 |= 1 << k;
            r = r - (v[k] - o);
        }
        if (r <= 0.0)
            break;
    }
    if (code1 == kAllSet)
        return code1;
    int j = 0;
    double e = 0.0;
    while (code1 & (1 << j))
        e = e + (v[j++] - o);
    e = (r + e) - (v[j] - o);
    return std::fabs(r) > std::fabs(e) ? code1 + 1 : code1;
}

TEST(SwitchCode, SameResultAsTheTwoPassesOnAnyTableAndTarget)
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    std::mt19937_64 rng(8);
    std::normal_distribution<double> dev(0.0, 1.0);

    // A measured table: every stage off its nominal value, R0 not zero.
    auto measured = [&](int channel) {
        Table t = idealTable(channel, 0.031, 1.0);
        for (int k = 0; k < kStages; ++k)
            t[1 + kStages * channel + k] += std::ldexp(1.0, k) * 2e-3 * dev(rng) + 0.01 * dev(rng);
        return t;
    };
    std::vector<std::pair<Table, int>> tables;
    for (int channel = 0; channel < 2; ++channel) {
        tables.emplace_back(idealTable(channel, 0.25, 0.5), channel);
        for (int i = 0; i < 3; ++i)
            tables.emplace_back(measured(channel), channel);
        // A stage whose increment is zero, negative, NaN or infinite, and an
        // unusable R0: the cases the fast path leaves to the plain passes.
        for (double odd : {0.0, -0.0, -3.0, -70000.0, kNaN, inf, -inf}) {
            Table t = measured(channel);
            t[1 + kStages * channel + 5] = t[37 + channel] + odd;
            tables.emplace_back(t, channel);
        }
        for (double r0 : {kNaN, inf, 1e308}) {
            Table t = measured(channel);
            t[37 + channel] = r0;
            tables.emplace_back(t, channel);
        }
    }

    for (const auto& [t, channel] : tables) {
        const double o = t[37 + channel];
        double top = 18.0 * o;
        for (int k = 0; k < kStages; ++k)
            top += t[1 + kStages * channel + k] - o;
        std::vector<double> targets = {kNaN, -kNaN, inf, -inf, 0.0, -0.0, -1.0, 1e308, -1e308, 18.0 * o, top,
                                       std::nextafter(top, inf), top + 0.3, 5e-324};
        std::uniform_real_distribution<double> anywhere(0.0, 270000.0);
        for (int i = 0; i < 4000; ++i) {
            const double x = anywhere(rng);
            targets.push_back(i % 4 == 0 ? std::round(x * 2) / 2 + 18.0 * o : x);
        }
        for (double x : targets)
            ASSERT_EQ(countR(t, channel, x), twoPasses(t, channel, x)) << "channel " << channel << " target " << x;
    }
}

// Nearest code by trying every one of the 2^18 codes; the lower one on a tie.
struct Exhaustive {
    std::vector<double> resistance; // R(code) for every code

    Exhaustive(double r0, double q) : resistance(std::size_t{1} << kStages)
    {
        for (std::size_t c = 0; c < resistance.size(); ++c) {
            double sum = 18 * r0;
            for (int k = 0; k < kStages; ++k)
                if (c & (std::size_t{1} << k))
                    sum += std::ldexp(q, k);
            resistance[c] = sum;
        }
    }

    std::int32_t nearest(double x) const
    {
        const double* r = resistance.data();
        std::size_t best = 0;
        double bestErr = std::fabs(x - r[0]);
        for (std::size_t c = 1; c < resistance.size(); ++c) {
            const double err = std::fabs(x - r[c]);
            if (err < bestErr) {
                bestErr = err;
                best = c;
            }
        }
        return static_cast<std::int32_t>(best);
    }
};

TEST(SwitchCode, IdealTablesMatchExhaustiveSearch)
{
    struct Scale {
        double r0, q;
    };
    const Scale scales[] = {{0.5, 1.0}, {0.1, 1.0}, {0.0, 0.37}, {2.75, 3.1}};
    std::mt19937_64 rng(20240611);

    for (const Scale& s : scales) {
        const Exhaustive ref(s.r0, s.q);
        const double bottom = ref.resistance.front();
        const double top = ref.resistance.back();
        // A tie decided by the last bits of rounding may go either way.
        const double eps = 1e-12 * top;

        std::vector<double> targets;
        std::uniform_real_distribution<double> anywhere(bottom, top);
        std::uniform_int_distribution<std::int32_t> anyCode(0, kAllSet - 1);
        std::uniform_int_distribution<std::int32_t> lowCode(0, 300);
        for (int i = 0; i < 60; ++i)
            targets.push_back(anywhere(rng));
        for (int i = 0; i < 40; ++i) {
            const std::int32_t c = i % 2 ? anyCode(rng) : lowCode(rng);
            const double mid = (ref.resistance[c] + ref.resistance[c + 1]) / 2;
            for (double x : {ref.resistance[c], mid, std::nextafter(mid, 0.0), std::nextafter(mid, top),
                             mid - 1e-7 * s.q, mid + 1e-7 * s.q})
                targets.push_back(x);
        }
        targets.push_back(bottom);
        targets.push_back(top);

        const Table tables[2] = {idealTable(0, s.r0, s.q), idealTable(1, s.r0, s.q)};
        for (double x : targets) {
            const std::int32_t want = ref.nearest(x);
            for (int channel = 0; channel < 2; ++channel) {
                const std::int32_t got = countR(tables[channel], channel, x);
                if (got == want)
                    continue;
                ASSERT_GE(got, 0);
                ASSERT_LE(got, kAllSet);
                const double errGot = std::fabs(x - ref.resistance[got]);
                const double errWant = std::fabs(x - ref.resistance[want]);
                EXPECT_LE(std::fabs(errGot - errWant), eps)
                    << "r0 " << s.r0 << " q " << s.q << " channel " << channel << " target " << x << " got "
                    << got << " nearest " << want;
            }
        }
    }
}

TEST(SwitchCode, ExportedByPlainName)
{
    std::string error;
    auto lib = platform::Library::open(TVKSIL2_MATH_FILE, &error);
    ASSERT_TRUE(lib) << error;
    using Fn = std::int32_t (*)(std::uint32_t, const double*, std::int32_t, double);
    auto fn = lib->entry<Fn>("tvksil2_countR", &error);
    ASSERT_NE(fn, nullptr) << error;
    const Table t = idealTable(1, 0.5, 1.0);
    EXPECT_EQ(fn(0, t.data(), 1, 14.6), 6);
#if defined(_WIN32)
    // Callers that bind by ordinal get the same entry point at ordinal 1.
    const HMODULE module = GetModuleHandleW(std::filesystem::path(TVKSIL2_MATH_FILE).wstring().c_str());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(1))), reinterpret_cast<void*>(fn));
#endif
}

} // namespace
