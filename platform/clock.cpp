// The real monotonic clock, the installed clock, and the program's Delay/Timer.
#include "platform/clock.h"

#include <algorithm>
#include <chrono>
#include <thread>

#if defined(__linux__)
#include <sys/prctl.h>
#endif

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
#if defined(__linux__)
        // The waits are settling times, many of a few milliseconds in a
        // measurement run: without this the kernel may add its default timer
        // slack (50 µs) to every one of them.
        static const bool preciseWakeUps = prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
        (void)preciseWakeUps;
#endif
        // A wait is a deadline: the system wakes a sleeper some tens of
        // microseconds late, every time, which over the hundred-odd settling
        // waits of a measurement run adds up to about one per cent of it. So
        // the sleep ends a little early and the rest is spent watching the
        // clock; the wait never ends before its deadline.
        using namespace std::chrono;
        const auto start = steady_clock::now();
        // Cut to what the clock's count can hold (some 30 years).
        const auto deadline = start + ceil<steady_clock::duration>(duration<double>(std::min(seconds, 1e9)));
        if (deadline - start > kWakeMargin)
            std::this_thread::sleep_until(deadline - kWakeMargin);
        while (steady_clock::now() < deadline) {
        }
    }

private:
    // How long before its deadline a wait stops sleeping.
    static constexpr std::chrono::microseconds kWakeMargin{200};
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
