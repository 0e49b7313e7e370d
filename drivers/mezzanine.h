// Mezzanine model codes as the carrier driver reports them per position, and
// the shape of the resistance module they name.
#pragma once

#include <cstdint>

inline constexpr std::int32_t KSIL2_MODEL = 64;   // КСИЛ2-4Л, 0x40
inline constexpr std::int32_t KSIL5_MODEL = 79;   // КСИЛ5, 0x4F
inline constexpr std::int32_t MEZ_DMM_MODEL = 32; // the mezzanine multimeter, 0x20

// Positions of a carrier, 1..4.
inline constexpr int kMezzaninePositions = 4;

// A КСИЛ2-4Л channel: a chain of 18 stages of nominal weights 1, 2, 4 ... 131072 ohms.
inline constexpr int kStages = 18;
inline constexpr int kChannels = 2;

// The nominal weight of stage k (1..kStages), ohms: 2^(k-1).
constexpr double stageWeight(int k)
{
    return static_cast<double>(1L << (k - 1));
}

// The verification norm: the allowed absolute deviation, in ohms, of a
// channel set to R ohms. Also the tolerance that colours calibration results.
constexpr double normR(double R)
{
    return 0.002 * R + 2.0;
}

// The tolerance of a calibrated stage: the norm at its nominal weight.
constexpr double stageTolerance(double nominal)
{
    return normR(nominal);
}
