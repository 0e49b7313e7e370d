// The real monotonic clock, the installed clock, and the program's Delay/Timer.
#include "platform/clock.h"

#include <algorithm>
#include <chrono>
#include <thread>

#if defined(__linux__)
#include <sched.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>
#endif

namespace platform {
namespace {

#if defined(__linux__)
// Prepares the calling thread for precise waits. The waits are settling times,
// many of a few milliseconds in a measurement run: without this the kernel may
// add its default timer slack (50 µs) to every one of them, and, while other
// programs keep every processor busy, a thread woken from a wait may get its
// turn only milliseconds later. A short scheduler slice (Linux 6.12 and later;
// earlier kernels ignore it) lets the woken thread take its turn first. The
// thread's policy and nice value stay as they were; what fails is left as it is.
void preparePreciseWaits()
{
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#if defined(SYS_sched_getattr) && defined(SYS_sched_setattr)
    struct SchedAttr {
        std::uint32_t size;
        std::uint32_t policy;
        std::uint64_t flags;
        std::int32_t nice;
        std::uint32_t priority;
        std::uint64_t runtime; // for the normal policy: the slice asked for, in ns
        std::uint64_t deadline;
        std::uint64_t period;
    };
    constexpr std::uint64_t kShortestSlice = 100'000;
    SchedAttr attr{};
    if (syscall(SYS_sched_getattr, 0, &attr, sizeof attr, 0) != 0 || attr.policy != SCHED_OTHER)
        return;
    attr.size = sizeof attr;
    attr.flags = 0;
    attr.runtime = kShortestSlice;
    syscall(SYS_sched_setattr, 0, &attr, 0);
#endif
}
#endif

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
        thread_local const bool prepared = (preparePreciseWaits(), true);
        (void)prepared;
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
