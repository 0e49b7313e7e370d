#include "p_ksil2/run_paint.h"

#include "p_ksil2/chart_link.h"
#include "platform/clock.h"
#include "toolkit/toolkit.h"

#include <algorithm>
#include <limits>

namespace {
bool pending = false;
double painting = 0.0; // seconds of settling waits spent painting
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
    pending = false;
    tk::processDrawEvents();
    // The charts follow in what is left of the wait, when they fit in it.
    chartsPaintWithin(seconds - (Timer() - start));
    const double spent = std::min(seconds, Timer() - start);
    painting += spent;
    if (seconds > spent)
        Delay(seconds - spent);
}

void paintResults()
{
    pending = false;
    tk::processDrawEvents();
    chartsPaintWithin(std::numeric_limits<double>::infinity());
}

double waitsSpentPainting()
{
    return painting;
}
