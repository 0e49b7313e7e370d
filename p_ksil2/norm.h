// The verification norm: the allowed absolute deviation, in ohms, of a
// channel set to R ohms. Also colours calibration results.
#pragma once

constexpr double normR(double R)
{
    return 0.002 * R + 2.0;
}
