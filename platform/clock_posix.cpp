// Precise waits on Linux: timer slack and the scheduler's slice.
#include "platform/clock_backend.h"

#include <sched.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>

namespace platform::detail {

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

std::chrono::microseconds wakeMargin()
{
    return std::chrono::microseconds{200};
}

} // namespace platform::detail
