// What the Qt backend tests of a run share: the run-time made before start-up,
// and a virtual clock that lets a test look at the screen whenever the program waits.
#pragma once

#include "platform/clock.h"

#include <QApplication>

#include <functional>

namespace qt_run {

// The Qt run-time exists before start-up, so that the operator's timers can.
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "p_ksil2_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QApplication(argc, argv);
}

class WatchingClock : public platform::VirtualClock {
public:
    std::function<void()> watch;
    void delay(double seconds) override
    {
        VirtualClock::delay(seconds);
        if (watch)
            watch();
    }
};

} // namespace qt_run
