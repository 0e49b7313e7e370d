#include "platform/clock.h"

#include <gtest/gtest.h>

namespace {

TEST(Clock, VirtualClockReplacesAndRestoresTheRealOne)
{
    platform::Clock& real = platform::clock();
    const double t0 = Timer();
    EXPECT_GE(Timer(), t0); // monotonic

    platform::VirtualClock virt;
    platform::setClock(&virt);
    EXPECT_EQ(&platform::clock(), &virt);
    EXPECT_EQ(Timer(), 0.0);
    for (int i = 0; i < 5; ++i)
        Delay(0.5);
    Delay(0.0);
    Delay(-3.0); // a negative wait does not turn time back
    EXPECT_DOUBLE_EQ(Timer(), 2.5);
    virt.advance(0.25);
    EXPECT_DOUBLE_EQ(Timer(), 2.75);

    platform::setClock(nullptr);
    EXPECT_EQ(&platform::clock(), &real);
    EXPECT_GE(Timer(), t0);
}

} // namespace
