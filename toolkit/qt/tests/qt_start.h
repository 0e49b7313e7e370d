// What the toolkit's Qt tests share: the Qt backend started as they run it (on
// the offscreen platform unless the environment names another), and virtual time.
#pragma once

#include "platform/clock.h"
#include "toolkit/qt/qt.h"

#include <cstdlib>

namespace qttest {

inline bool startQt()
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "toolkit_qt_tests";
    static char* argv[] = {name, nullptr};
    return tk::qt::start(argc, argv);
}

// A virtual clock that is the platform clock for as long as this lives.
struct VirtualTime {
    platform::VirtualClock clock;
    VirtualTime() { platform::setClock(&clock); }
    ~VirtualTime() { platform::setClock(nullptr); }
    VirtualTime(const VirtualTime&) = delete;
    VirtualTime& operator=(const VirtualTime&) = delete;
};

} // namespace qttest
