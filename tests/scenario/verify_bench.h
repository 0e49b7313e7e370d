// Benches, protocol reading and journal helpers for the manual-control and
// verification scenarios.
#pragma once

#include "gauge/gauge.h"
#include "platform/cp1251.h"
#include "platform/datetime.h"
#include "tests/support/read_file.h"
#include "sim/bench.h"
#include "tests/scenario/session_bench.h"
#include "tests/harness/harness.h"
#include "tests/support/module_bench.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace verify {

using testbench::channel;
using testbench::kCarrier;
using testbench::kMeterAddress;
using testbench::kTestPoints;
using testbench::startOn;

// Gain error of the bench meter: every reading is the true value × (1 + kGain).
inline constexpr double kGain = 1e-4;

// A carrier with one module of the given model at position 1 whose stages are
// exactly their nominal values and whose R0 is 0, so that each test point is
// one switch code; and, unless meter is false, the bench meter.
inline Bench bench(int model = 64, bool meter = true)
{
    std::string stages;
    for (int k = 0; k < 18; ++k)
        stages += (k ? "," : "") + std::to_string(1 << k);
    const std::string channel = R"({"stages": [)" + stages + R"(], "r0": 0})";
    std::string channels = channel + "," + channel;
    if (model == 79)
        channels = "{},{},{},{},{}";
    return testbench::oneModule(model, channels, meter ? std::optional<double>(kGain) : std::nullopt);
}

// What the bench meter reads for a channel that presents r ohms.
inline double reading(double r)
{
    return r * (1.0 + kGain);
}

// Brings PP on top, as the operator would before using it (the protocol opens).
inline void showPP(Harness& h)
{
    h.changeTab(hMP, hTab, 1);
    ASSERT_EQ(h.run(), Harness::kRunning);
}

// The lines of a protocol file, each still in Windows-1251, without line ends.
inline std::vector<std::string> fileLines(const std::filesystem::path& path)
{
    std::vector<std::string> lines;
    std::string text = readTextFile(path);
    std::size_t from = 0;
    for (std::size_t nl = text.find('\n'); nl != std::string::npos; nl = text.find('\n', from)) {
        lines.push_back(text.substr(from, nl - from));
        from = nl + 1;
    }
    if (from < text.size())
        lines.push_back(text.substr(from));
    return lines;
}

// The last of the lines, or "" when there are none.
inline std::string last(const std::vector<std::string>& lines)
{
    return lines.empty() ? std::string() : lines.back();
}

// A line as the protocol holds it: UTF-8 text of the test, in Windows-1251.
inline std::string cp(const std::string& utf8)
{
    return platform::toCp1251(utf8);
}

// The result line the КСИЛ2-4Л protocol holds for a row, in Windows-1251.
inline std::string resultLine(int channel, double set, double measured, bool outOfNorm)
{
    const double d = measured - set;
    const double norm = 0.002 * set + 2.0;
    const double a = set != 0 ? std::fabs(100.0 * d / set) : 0.0;
    const double p = set != 0 ? std::fabs(norm * 100.0 / set) : 0.0;
    char buf[256];
    std::snprintf(buf, sizeof buf, "%d      %10.4f Ом %10.4f Ом %10.4f Ом (%7.3f%%) /%10.4f Ом (%.3f%%)/ %s", channel,
                  set, measured, d, a, norm, p, outOfNorm ? "не норма" : "");
    return cp(buf);
}

using scene::moduleCalls;

// A module driver call on the given session as the journal writes it.
inline std::string onModule(ViSession vi, const std::string& name, const std::string& args)
{
    return name + "(" + std::to_string(vi) + ", " + args + ")";
}

// A fixed wall clock for the date lines, restored when the test ends.
struct FixedTime {
    explicit FixedTime(std::time_t t) { platform::setCurrentTime(t); }
    ~FixedTime() { platform::setCurrentTime(0); }
    FixedTime(const FixedTime&) = delete;
    FixedTime& operator=(const FixedTime&) = delete;
};

// 8 December 2026, 14:05:09 local time.
inline std::time_t fixedMoment()
{
    std::tm parts{};
    parts.tm_year = 126;
    parts.tm_mon = 11;
    parts.tm_mday = 8;
    parts.tm_hour = 14;
    parts.tm_min = 5;
    parts.tm_sec = 9;
    parts.tm_isdst = -1;
    return std::mktime(&parts);
}

} // namespace verify
