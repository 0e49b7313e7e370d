#include "p_ksil2/run_paint.h"

#include "platform/clock.h"
#include "toolkit/toolkit.h"

namespace {
bool pending = false;
}

void resultShown()
{
    pending = true;
}

void settle(double seconds)
{
    if (!pending) {
        Delay(seconds);
        return;
    }
    const double start = Timer();
    paintResults();
    const double left = seconds - (Timer() - start);
    if (left > 0)
        Delay(left);
}

void paintResults()
{
    pending = false;
    tk::processDrawEvents();
}
