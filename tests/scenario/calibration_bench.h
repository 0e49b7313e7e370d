// Benches and table helpers for the automatic and point calibration scenarios.
#pragma once

#include "sim/bench.h"
#include "tests/scenario/session_bench.h"
#include "tests/harness/harness.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace calib {

inline constexpr const char* kCarrier = "VXI0::2::INSTR";
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

inline std::string number(double v)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

// A carrier with a КСИЛ2-4Л at position 1 and, unless meter is false, an
// HP 3458A at GPIB 22 on the module's measuring output, exact and instant.
inline Bench bench(const ChannelSpec& ch1, const ChannelSpec& ch2, bool meter = true)
{
    auto channel = [](const ChannelSpec& c) {
        std::string s = R"({"r0": )" + number(c.r0) + R"(, "stages": [)";
        for (std::size_t k = 0; k < c.stages.size(); ++k)
            s += (k ? "," : "") + number(c.stages[k]);
        return s + "]}";
    };
    std::string json = R"({"instruments": [
      {"address": "VXI0::2::INSTR", "interface": "VXI", "slot": 2, "crateLA": 0, "LA": 2,
       "manufacturer": 3702, "model": "0x10D",
       "mezzanines": [{"position": 1, "model": 64, "channels": [)" +
                       channel(ch1) + "," + channel(ch2) + "]}]}";
    if (meter)
        json += R"(,
      {"address": "GPIB0::22::INSTR", "interface": "GPIB", "idn": "HEWLETT-PACKARD,3458A,0,9.2",
       "meter": {"family": 3458, "wiredTo": {"carrier": "VXI0::2::INSTR", "position": 1},
                 "gainError": 0, "noise": 0, "conversionTime": 0}})";
    return Bench::fromJson(json + "]}");
}

inline Bench bench(bool meter = true)
{
    return bench(channelNear(0.1, 0.001), channelNear(0.12, -0.001), meter);
}

// Starts the program with the carrier chosen: the module opens, its flash is
// read into the table and the meter is found.
inline void startOn(Harness& h)
{
    h.chooseFromSelection(0);
    ASSERT_EQ(h.start(), 0);
    ASSERT_NE(mvi, 0u);
}

// The module session closed the way the operator does it: SELECT, then no carrier.
inline void closeModule(Harness& h)
{
    h.chooseMenu(MENUBAR_INSTR_SELECT);
    h.cancelSelection();
    ASSERT_EQ(h.run(), Harness::kRunning);
    ASSERT_EQ(mvi, 0u);
}

inline sim::Channel& channel(int c)
{
    return *sim::channel(kCarrier, 1, c);
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
