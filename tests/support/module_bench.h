// The one-module bench of the measuring scenarios: a carrier with a module at
// position 1 and, if asked, a meter on the module's measuring output; the
// module's channels, and the start of the program on it. Headers only, over
// the simulated bench and the harness, for the tests that link those.
#pragma once

#include "sim/bench.h"
#include "tests/harness/harness.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <optional>
#include <string>

namespace testbench {

inline constexpr const char* kCarrier = "VXI0::2::INSTR";
inline constexpr const char* kMeterAddress = "GPIB0::22::INSTR";

// The test points of an automatic verification run, in ohms: each stage alone,
// then all eighteen together.
inline constexpr std::array<double, 19> kTestPoints{
    1.0,    2.0,    4.0,    8.0,     16.0,    32.0,    64.0,     128.0,    256.0,    512.0,
    1024.0, 2048.0, 4096.0, 8192.0, 16384.0, 32768.0, 65536.0, 131072.0, 262143.0};

// A number as JSON text, without loss.
inline std::string number(double v)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

// A carrier at kCarrier with one module of the model at position 1, its
// channels given as JSON objects separated by commas; with meterGainError, an
// HP 3458A at kMeterAddress wired to the module's measuring output, without
// noise or conversion time, each reading the true value × (1 + gain error).
inline Bench oneModule(int model, const std::string& channels, std::optional<double> meterGainError)
{
    std::string json = std::string(R"({"instruments": [
      {"address": ")") + kCarrier + R"(", "interface": "VXI", "slot": 2, "crateLA": 0, "LA": 2,
       "manufacturer": 3702, "model": "0x10D",
       "mezzanines": [{"position": 1, "model": )" + std::to_string(model) + R"(, "channels": [)" + channels
                       + "]}]}";
    if (meterGainError)
        json += std::string(R"(,
      {"address": ")") + kMeterAddress + R"(", "interface": "GPIB", "idn": "HEWLETT-PACKARD,3458A,0,9.2",
       "meter": {"family": 3458, "wiredTo": {"carrier": ")" + kCarrier + R"(", "position": 1},
                 "gainError": )" + number(*meterGainError) + R"(, "noise": 0, "conversionTime": 0}})";
    return Bench::fromJson(json + "]}");
}

// The channel of the module at position 1 on the bench.
inline sim::Channel& channel(int c)
{
    return *sim::channel(kCarrier, 1, c);
}

// Starts the program on the bench with the carrier chosen; the module opens.
inline void startOn(Harness& h)
{
    h.chooseFromSelection(0);
    ASSERT_EQ(h.start(), 0);
    ASSERT_NE(mvi, 0u);
}

} // namespace testbench
