// The real monotonic clock, the installed clock, and the program's Delay/Timer.
#include "platform/clock.h"

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
        if (seconds > 0)
            std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
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
