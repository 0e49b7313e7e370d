// The real monotonic clock, the installed clock, and the program's Delay/Timer.
#include "platform/clock.h"
#include "platform/clock_backend.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace platform {
namespace {

class RealClock : public Clock {
public:
    double now() override
    {
        using namespace std::chrono;
        return duration<double>(steady_clock::now().time_since_epoch()).count();
    }
    void delay(double seconds) override
    {
        if (!(seconds > 0))
            return;
        thread_local const bool prepared = (detail::preparePreciseWaits(), true);
        (void)prepared;
        // A wait is a deadline: the system wakes a sleeper some tens of
        // microseconds late, every time, which over the hundred-odd settling
        // waits of a measurement run adds up to about one per cent of it. So
        // the sleep ends a little early and the rest is spent watching the
        // clock; the wait never ends before its deadline.
        using namespace std::chrono;
        const auto start = steady_clock::now();
        // Cut to what the clock's count can hold (some 30 years).
        const auto deadline = start + ceil<steady_clock::duration>(duration<double>(std::min(seconds, 1e9)));
        const auto margin = detail::wakeMargin();
        if (deadline - start > margin)
            std::this_thread::sleep_until(deadline - margin);
        while (steady_clock::now() < deadline) {
        }
    }
};

RealClock realClock;
Clock* current = &realClock;

} // namespace

Clock& clock()
{
    return *current;
}

void setClock(Clock* c)
{
    current = c ? c : &realClock;
}

} // namespace platform

void Delay(double seconds)
{
    platform::clock().delay(seconds);
}

double Timer()
{
    return platform::clock().now();
}
