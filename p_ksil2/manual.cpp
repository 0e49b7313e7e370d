// Manual control of a КСИЛ2-4Л channel on page PP.
#include "p_ksil2/manual.h"

#include "p_ksil2/globals.h"
#include "p_ksil2/p_ksil2.h"
#include "platform/clock.h"
#include "toolkit/toolkit.h"

namespace {
constexpr double kChannelSettle = 0.05; // seconds, around a channel choice
}

int setChan(int panel, int control, int event, void* data, int e1, int e2)
{
    if (event != tk::EVENT_COMMIT)
        return 0;
    if (mvi != 0)
        Delay(kChannelSettle);
    tk::setActiveCtrl(hPP, PP_R_Z);
    return 0;
}
