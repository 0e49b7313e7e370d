// Benches and table helpers for the automatic and point calibration scenarios.
#pragma once

#include "sim/bench.h"
#include "tests/scenario/session_bench.h"
#include "tests/harness/harness.h"
#include "tests/support/module_bench.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace calib {

using testbench::channel;
using testbench::kCarrier;
using testbench::number;
using testbench::startOn;

inline constexpr int kR0Row = 19;

// One channel of the module: its true R0 and stage values (each stage as it
// presents in the chain).
struct ChannelSpec {
    double r0 = 0.1;
    std::array<double, 18> stages{};
};

// Stages off their nominal weights by a relative amount.
inline ChannelSpec channelNear(double r0, double relative)
{
    ChannelSpec c;
    c.r0 = r0;
    for (int k = 0; k < 18; ++k)
        c.stages[static_cast<std::size_t>(k)] = std::ldexp(1.0, k) * (1.0 + relative);
    return c;
}

// A carrier with a КСИЛ2-4Л at position 1 and, unless meter is false, the
// bench meter on the module's measuring output, exact and instant.
inline Bench bench(const ChannelSpec& ch1, const ChannelSpec& ch2, bool meter = true)
{
    auto json = [](const ChannelSpec& c) {
        std::string s = R"({"r0": )" + number(c.r0) + R"(, "stages": [)";
        for (std::size_t k = 0; k < c.stages.size(); ++k)
            s += (k ? "," : "") + number(c.stages[k]);
        return s + "]}";
    };
    return testbench::oneModule(64, json(ch1) + "," + json(ch2), meter ? std::optional<double>(0.0) : std::nullopt);
}

inline Bench bench(bool meter = true)
{
    return bench(channelNear(0.1, 0.001), channelNear(0.12, -0.001), meter);
}

// The module session closed the way the operator does it: SELECT, then no carrier.
inline void closeModule(Harness& h)
{
    h.chooseMenu(MENUBAR_INSTR_SELECT);
    h.cancelSelection();
    ASSERT_EQ(h.run(), Harness::kRunning);
    ASSERT_EQ(mvi, 0u);
}

// Column c of CP's table, rows 1 to 19, and the text colours of its cells.
inline std::vector<double> column(const Harness& h, int c)
{
    std::vector<double> v;
    for (int row = 1; row <= kR0Row; ++row)
        v.push_back(h.cell(hCP, CP_TABLE, row, c));
    return v;
}

inline std::vector<int> colours(const Harness& h, int c)
{
    std::vector<int> v;
    for (int row = 1; row <= kR0Row; ++row)
        v.push_back(h.cellColor(hCP, CP_TABLE, row, c));
    return v;
}

using scene::moduleCalls;

inline std::string call(const std::string& name, const std::string& args)
{
    return name + "(" + std::to_string(mvi) + ", " + args + ")";
}

// What MP's status line shows for a failed module driver call.
inline std::string reported(ViStatus status, const std::string& callText)
{
    return sim::statusText(status) + " " + callText;
}

} // namespace calib
