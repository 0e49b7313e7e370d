// What the real clock's waits need from the system; clock_posix.cpp and
// clock_win.cpp implement it. Internal to the platform layer.
#pragma once

#include <chrono>

namespace platform::detail {

// Prepares the calling thread for precise waits; called once per thread that waits.
void preparePreciseWaits();
// How long before its deadline a wait stops sleeping and watches the clock:
// more than the system may wake a sleeper late.
std::chrono::microseconds wakeMargin();

} // namespace platform::detail
