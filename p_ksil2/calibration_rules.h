// What the automatic and the point calibration share: where the results go in
// CP's table, how a reading becomes a stage value or R0, and the colour that
// tells whether it is within tolerance.
#pragma once

#include "p_ksil2/cal_values.h"
#include "p_ksil2/caltable.h"
#include "p_ksil2/norm.h"
#include "drivers/tvksil2.h"
#include "toolkit/toolkit.h"

#include <cmath>
#include <cstdint>

namespace calibration {

inline constexpr const char* kTitle = "Калибровка КСИЛ2-4Л"; // of the calibration's pop-ups

// The calibration chains: with every stage bypassed the meter sees 18 R0; with
// stage k alone in the chain, the stage plus the 17 bypassed ones.
inline constexpr double kStagesInSeries = kStages;
inline constexpr double kBypassedWithStage = kStages - 1;
inline constexpr double kR0RangeValue = 10.0; // expected resistance that ranges the meter for R0

inline constexpr double kR0Expected = 0.1;
inline constexpr double kR0Tolerance = 0.11;

// An overload reading stays what it is: corrected, it would pass for a resistance.
inline double stageFromReading(double reading, double r0)
{
    return calvalues::isOverload(reading) ? reading : reading - kBypassedWithStage * r0;
}

inline double r0FromReading(double reading)
{
    return calvalues::isOverload(reading) ? reading : reading / kStagesInSeries;
}

// Black within tolerance (a deviation equal to it is within), red outside;
// a value that is no number is not within.
inline int toleranceColour(double deviation, double tolerance)
{
    return std::fabs(deviation) <= tolerance ? tk::kBlack : tk::kRed;
}

inline int stageColour(double value, double nominal)
{
    return toleranceColour(value - nominal, normR(nominal));
}

inline int r0Colour(double r0)
{
    return toleranceColour(r0 - kR0Expected, kR0Tolerance);
}

} // namespace calibration
