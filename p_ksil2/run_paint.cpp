#include "p_ksil2/run_paint.h"

#include "platform/clock.h"
#include "toolkit/toolkit.h"

#include <algorithm>

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
    paintResults();
    const double spent = std::min(seconds, Timer() - start);
    painting += spent;
    if (seconds > spent)
        Delay(seconds - spent);
}

void paintResults()
{
    pending = false;
    tk::processDrawEvents();
}

double waitsSpentPainting()
{
    return painting;
}
