// The multimeter layer on a simulated bench, with the operator played by the
// test: scripted answers to the instrument choice, and a record of the wait
// texts, the status line and the link-indicator updates.
#pragma once

#include "gauge/bindings.h"
#include "gauge/gauge.h"
#include "platform/clock.h"
#include "platform/library.h"
#include "sim/bench.h"
#include "toolkit/headless/headless.h"
#include "toolkit/toolkit.h"

#include <gtest/gtest.h>

#include <deque>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace gaugetest {

inline constexpr const char* kCarrier = "VXI0::2::INSTR";
inline constexpr const char* kE1412 = "VXI0::8::INSTR";
inline constexpr const char* kHp3458 = "GPIB0::22::INSTR";
inline constexpr const char* kDmm = "TCPIP0::10.0.0.7::INSTR";
inline constexpr const char* kDmm1 = "TCPIP0::10.0.0.8::INSTR";
inline constexpr int kMezMeterPosition = 4;

// Every family on one bench; every meter wired to channel 1 of the module,
// reading without gain error, noise or conversion time.
inline constexpr const char* kAllMeters = R"json({
  "instruments": [
    { "address": "VXI0::2::INSTR", "interface": "VXI", "slot": 2, "LA": 2, "manufacturer": 3702, "model": "0x10D",
      "mezzanines": [ { "position": 1, "model": 64, "seed": 7 },
                      { "position": 4, "model": 32, "meter": { "wiredTo": { "carrier": "VXI0::2::INSTR", "position": 1, "channel": 1 },
                                                               "conversionTime": 0, "voltDc": 1.5, "currDc": 0.002 } } ] },
    { "address": "VXI0::8::INSTR", "interface": "VXI", "slot": 5, "LA": 8, "manufacturer": "0x0FFF", "model": "0x243",
      "meter": { "family": 579, "wiredTo": { "carrier": "VXI0::2::INSTR", "position": 1, "channel": 1 },
                 "conversionTime": 0, "voltDc": 1.5, "currDc": 0.002 } },
    { "address": "GPIB0::22::INSTR", "interface": "GPIB",
      "meter": { "family": 3458, "wiredTo": { "carrier": "VXI0::2::INSTR", "position": 1, "channel": 1 },
                 "conversionTime": 0, "voltDc": 1.5, "currDc": 0.002 } },
    { "address": "TCPIP0::10.0.0.7::INSTR", "interface": "TCPIP",
      "meter": { "family": 324, "wiredTo": { "carrier": "VXI0::2::INSTR", "position": 1, "channel": 1 },
                 "conversionTime": 0, "voltDc": 1.5, "currDc": 0.002 } },
    { "address": "TCPIP0::10.0.0.8::INSTR", "interface": "TCPIP",
      "meter": { "family": 356, "wiredTo": { "carrier": "VXI0::2::INSTR", "position": 1, "channel": 1 },
                 "conversionTime": 0, "voltDc": 1.5, "currDc": 0.002 } }
  ]
})json";

// What the operator saw and was asked.
struct Operator {
    std::deque<std::optional<gauge::Choice>> answers; // next answers to the instrument choice
    std::vector<std::string> asked;                     // titles of the choices asked, in order
    std::vector<int> askedModels;
    std::vector<std::string> waits;                     // wait texts shown, in order
    int shownWaits = 0;                                 // wait texts shown and not yet hidden
    std::vector<std::string> statusLines;               // status-line texts, in order
    int meterChanges = 0;
};

inline Operator* current = nullptr;

inline gauge::OperatorHooks recordingHooks()
{
    gauge::OperatorHooks h;
    h.choose = [](const char* title, int model) -> std::optional<gauge::Choice> {
        current->asked.emplace_back(title);
        current->askedModels.push_back(model);
        if (current->answers.empty())
            return std::nullopt;
        auto answer = current->answers.front();
        current->answers.pop_front();
        return answer;
    };
    h.showWait = [](std::string_view text) {
        current->waits.emplace_back(text);
        ++current->shownWaits;
    };
    h.hideWait = [] { current->shownWaits = 0; };
    h.showStatus = [](const char* text) { current->statusLines.emplace_back(text); };
    h.meterChanged = [] { ++current->meterChanges; };
    return h;
}

class MeterLayer : public testing::Test {
protected:
    void SetUp() override { begin(); }
    void TearDown() override { end(); }

    // A fresh bench, no meter open, the test's operator in place.
    void begin()
    {
        sim::reset();
        std::string error;
        ASSERT_TRUE(sim::loadJson(kAllMeters, &error)) << error;
        platform::setClock(&clock);
        tk::headless::start();
        current = &op;
        gauge::setOperatorHooks(recordingHooks());
        viHP1412 = viHP3458 = viDMM = viDMM1 = viM_DMM1 = viNM = 0;
        meterStatus = 0;
        op = Operator{};
    }
    void end()
    {
        viHP1412 = viHP3458 = viDMM = viDMM1 = viM_DMM1 = viNM = 0;
        gauge::setOperatorHooks({});
        current = nullptr;
        tk::shutdown();
        platform::setClock(nullptr);
        platform::setLibraryDirs({});
        sim::reset();
    }

    void answer(std::optional<gauge::Choice> choice) { op.answers.push_back(std::move(choice)); }
    void answerNone() { op.answers.push_back(std::nullopt); }
    std::string lastStatusLine() const { return op.statusLines.empty() ? "" : op.statusLines.back(); }
    std::vector<std::string> popupTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& p : tk::headless::popups())
            texts.push_back(p.title + ": " + p.text);
        return texts;
    }
    // Makes the next call of entry return status.
    static void failNext(const std::string& entry, ViStatus status)
    {
        sim::failCall(entry, status, 1, sim::callCount(entry) + 1);
    }

    platform::VirtualClock clock;
    Operator op;
};


inline std::string s(ViSession vi)
{
    return std::to_string(vi);
}

} // namespace gaugetest
