// Verification of a КСИЛ2-4Л against its norm: the result rows of page PP and
// the automatic run over both channels with its verdict.
#pragma once

#include "drivers/mezzanine.h"
#include "history/record.h"

#include <array>
#include <cstddef>
#include <cstdint>

// The test points of the automatic run, in ohms: the 18 stage weights and their sum.
inline constexpr std::array<double, kStages + 1> povPoints = [] {
    std::array<double, kStages + 1> points{};
    double sum = 0.0;
    for (std::size_t k = 0; k < kStages; ++k) {
        points[k] = static_cast<double>(std::uint32_t{1} << k);
        sum += points[k];
    }
    points[kStages] = sum;
    return points;
}();

// A result row of TABLE_R: a set and a measured value judged against the norm.
struct PovRow {
    std::uint16_t channel;
    double set, measured, deviation, norm;
    bool outOfNorm; // a tie is within; a deviation that is no number never is
};

// Appends the judged row to TABLE_R and its line to the protocol; the run's
// record takes it as a point (the measured value typed by the operator when from says so).
PovRow addPovRowValues(std::uint16_t channel, double set, double measured,
                       history::ReadingsFrom from = history::ReadingsFrom::Meter);
// Both channels through every test point, measured, recorded and judged (SET with
// AUTO_POV on); a complete run gives its verdict, counting the nonconformity of
// an earlier run that ended before its own.
void runAutoVerification();
// Program start: no earlier run's nonconformity is waiting.
void forgetVerification();

// Toolkit callbacks
// PP's AUTO_POV: automatic or manual mode of the page.
int auto_pov(int panel, int control, int event, void* data, int e1, int e2);
