// What a calibration value may be: a stage value or an R0 that can be stored
// in a module's flash, one that is physical but far from what a healthy module
// has, and one that is no value at all (not a number, an overload reading, a
// stage of zero ohms). Used by WRITE before anything reaches the flash, and by
// the calibrations to keep an overload reading recognisable.
#pragma once

#include <string>

namespace calvalues {

// Meters report an open circuit or an overload as 9.9E37; anything from 1e37
// up is such a reading, never a resistance.
inline constexpr double kOverload = 1e37;
// A stage further than this fraction from its nominal value is questioned.
inline constexpr double kStageFraction = 0.1;
// An R0 above this (ohms) is questioned; a healthy channel has about 0.1 ohm.
inline constexpr double kR0Highest = 1.0;

bool isOverload(double value);
// The stage is further from its nominal than kStageFraction of it.
bool farFromNominal(double value, double nominal);

enum class Verdict { Good, Implausible, Bad };

struct Check {
    Verdict verdict = Verdict::Good;
    std::string why; // for Implausible and Bad: what is wrong, in the operator's words
};

// A stage value, against its nominal value.
Check checkStage(double value, double nominal);
// A channel's parasitic resistance R0.
Check checkR0(double value);

} // namespace calvalues
