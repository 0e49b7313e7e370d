// Precise waits on Windows: the system's timer at its finest period.
#include "platform/clock_backend.h"

#include <windows.h>
#include <timeapi.h>

namespace platform::detail {

void preparePreciseWaits()
{
    // The default timer period (about 15.6 ms) would make every settling wait
    // end on its tick; 1 ms is asked for once, for the whole process, and
    // given back by the system when the process ends.
    static const bool asked = (timeBeginPeriod(1), true);
    (void)asked;
}

std::chrono::microseconds wakeMargin()
{
    // A sleep at a 1 ms period may end up to a period and a bit late.
    return std::chrono::microseconds{2000};
}

} // namespace platform::detail
