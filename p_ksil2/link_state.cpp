// The main window's view of the open sessions.
#include "p_ksil2/link_state.h"

#include "gauge/gauge.h"
#include "p_ksil2/globals.h"
#include "p_ksil2/p_ksil2.h"
#include "toolkit/toolkit.h"

void updateLinkLed()
{
    tk::setValue(hMP, MP_LED, mvi != 0 ? 1.0 : 0.0);
    const bool meter = mvi != 0 && isMultimeterOpen();
    tk::setAttr(hMP, MP_LED, tk::Attr::OnColor, meter ? tk::kYellow : tk::kGreen);
}

void showMeterControls()
{
    const int open = isMultimeterOpen();
    tk::setAttr(hMP, MP_AUTO_POV, tk::Attr::Visible, open);
    tk::setAttr(hPP, PP_AUTO_POV, tk::Attr::Dimmed, open ? 0 : 1);
}
