// Switch code for a target resistance from one channel's calibration table.
//
// Table layout in drivers/tvksil2_math.h. A bypassed stage still adds R0, so
// the increment of a set stage is its step value minus R0, and
// R(code) = kStages*R0 + sum of increments of set bits.
#include "tvksil2_math/tvksil2_math.h"

#include <cmath>

namespace {

constexpr std::int32_t kAllSet = (1 << kStages) - 1;

} // namespace

extern "C" std::int32_t tvksil2_countR(std::uint32_t /*vi*/, const double* table, std::int32_t channel,
                                       double target)
{
    const double* steps = table + kStepEntry + kStages * channel;
    const double* r0 = table + kR0Entry + channel;

    // Remainder x - R(code1), starting from the all-bypassed resistance.
    double r = target - double(kStages) * *r0;

    // Greedy pass, coarsest stage first. A stage whose increment equals the
    // remainder is not taken, so code1 ends strictly below the target and the
    // exact code is reached as the next code up.
    std::int32_t code1 = 0;
    for (int k = kStages - 1; k >= 0; --k) {
        if (steps[k] - *r0 < r) {
            code1 |= 1 << k;
            r = r - (steps[k] - *r0);
        }
        if (r <= 0.0)
            break;
    }

    // Nothing lies above the all-set code: it is the nearest one.
    if (code1 == kAllSet)
        return code1;

    // code2 = code1 + 1: clear the trailing set bits, set the first clear one;
    // e follows x - R(code2).
    std::int32_t code2 = code1;
    double e = 0.0;
    for (int k = 0; k < kStages; ++k) {
        const std::int32_t bit = 1 << k;
        if ((code1 & bit) == 0) {
            code2 |= bit;
            e = (r + e) - (steps[k] - *r0);
            break;
        }
        e = e + (steps[k] - *r0);
        code2 &= ~bit;
    }

    // On a tie the greedy (lower) code wins.
    return std::fabs(r) > std::fabs(e) ? code2 : code1;
}
