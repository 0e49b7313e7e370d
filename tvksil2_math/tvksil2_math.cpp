// Switch code for a target resistance from one channel's calibration table.
//
// Table layout in drivers/tvksil2_math.h. A bypassed stage still adds R0, so
// the increment of a set stage is its step value minus R0, and
// R(code) = kStages*R0 + sum of increments of set bits.
//
// The result is defined by two passes over the remainder x - R(code), in double
// precision and in a fixed order of operations (see countPlain). countPlain is
// that definition written out; it branches on every stage, and with random
// targets half of those branches are mispredicted. countBranchless computes the
// same doubles in the same order without a data-dependent branch, and is used
// whenever its preconditions hold: every increment positive and finite, and a
// remainder that is not NaN. Any other table or target takes countPlain, so the
// result is bit for bit the same on every input.
#include "tvksil2_math/tvksil2_math.h"
#include "platform/version_record.h"

#include <bit>
#include <cmath>
#include <limits>

#if !defined(_WIN32)
// On Windows the version resource (version.rc) holds the same values.
KSIL_VERSION_RECORD(KSIL_MATH_LANGUAGE, KSIL_MATH_CODEPAGE, KSIL_MATH_VERSION);
#endif

namespace {

constexpr std::int32_t kAllSet = (1 << kStages) - 1;

std::int32_t countPlain(const double* steps, double r0, double target)
{
    const double base = double(kStages) * r0;
    double r = target - base;

    // Greedy pass, coarsest stage first. A stage whose increment equals the
    // remainder is not taken, so code1 ends strictly below the target and the
    // exact code is reached as the next code up.
    std::int32_t code1 = 0;
    for (int k = kStages - 1; k >= 0; --k) {
        if (steps[k] - r0 < r) {
            code1 |= 1 << k;
            r = r - (steps[k] - r0);
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
            e = (r + e) - (steps[k] - r0);
            break;
        }
        e = e + (steps[k] - r0);
        code2 &= ~bit;
    }

    // On a tie the greedy (lower) code wins.
    return std::fabs(r) > std::fabs(e) ? code2 : code1;
}

// The increments of one channel, and for every j the sum d[0] + ... + d[j-1]
// accumulated from 0.0 in the order the correction pass adds them.
struct Increments {
    double d[kStages + 1];
    double below[kStages + 1];
    bool regular; // every increment positive and finite, and so is their sum
};

Increments increments(const double* steps, double r0)
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    Increments in;
    double sum = 0.0;
    double lowest = inf;
    for (int k = 0; k < kStages; ++k) {
        const double d = steps[k] - r0;
        in.d[k] = d;
        in.below[k] = sum;
        sum = sum + d;
        // A selection compiles to a min, not a branch. It passes over a NaN;
        // the sum does not, nor over an infinity.
        lowest = d < lowest ? d : lowest;
    }
    in.d[kStages] = 0.0;
    in.below[kStages] = sum;
    in.regular = lowest > 0.0 && sum < inf;
    return in;
}

// With every increment d > 0 and finite and r not NaN, the greedy step
// "take the stage when d < r" is the same as "the sign of d - r is set" (d - r
// is never -0 here), and once r <= 0 no later stage can be taken, so the early
// end of the greedy pass needs no test. The step is formed from subtractions,
// a sign copy, max and min, all of which the compiler keeps in floating-point
// registers without a branch:
//   g  = +inf when the stage is not taken, -inf when it is;
//   hi = max(r - d, g) is +inf or r - d;
//   r  = min(hi, r) is r or r - d (r - d <= r).
// Each value is the one the plain passes compute, in the same order.
std::int32_t countBranchless(const Increments& in, double r)
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    std::uint32_t code1 = 0;
    for (int k = kStages - 1; k >= 0; --k) {
        const double d = in.d[k];
        const double w = d - r;
        const double taken = r - d;
        const double g = std::copysign(inf, w);
        const double hi = taken > g ? taken : g;
        code1 |= static_cast<std::uint32_t>(std::signbit(w)) << k;
        r = hi < r ? hi : r;
    }

    // code1 + 1 clears the j trailing set bits and sets bit j; its remainder is
    // (r + (d[0] + ... + d[j-1])) - d[j].
    const int j = std::countr_zero(~code1);
    const double e = (r + in.below[j]) - in.d[j];
    const std::int32_t nearer = static_cast<std::int32_t>(code1) + (std::fabs(r) > std::fabs(e) ? 1 : 0);
    return code1 == kAllSet ? kAllSet : nearer;
}

} // namespace

extern "C" std::int32_t tvksil2_countR(std::uint32_t /*vi*/, const double* table, std::int32_t channel,
                                       double target)
{
    const double* steps = table + kStepEntry + kStages * channel;
    const double r0 = table[kR0Entry + channel];

    const Increments in = increments(steps, r0);
    const double base = double(kStages) * r0;
    const double r = target - base;
    if (in.regular && !std::isnan(r))
        return countBranchless(in, r);
    return countPlain(steps, r0, target);
}
