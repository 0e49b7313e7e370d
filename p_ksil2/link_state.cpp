// The main window's view of the open sessions.
#include "p_ksil2/link_state.h"

#include "gauge/gauge.h"
#include "p_ksil2/globals.h"
#include "p_ksil2/p_ksil2.h"
#include "si/discovery.h"
#include "toolkit/toolkit.h"

#include <cstring>

namespace {

constexpr const char* kNone = "не открыт";
const InstrInfo* carrier = nullptr;

} // namespace

void noteCarrier(const InstrInfo* entry)
{
    carrier = entry;
}

std::string carrierLine()
{
    std::string text = "Носитель: ";
    if (baseSession == 0 || !carrier)
        return text + kNone;
    // Address is a fixed field; read it only up to its size.
    return text.append(carrier->Address, strnlen(carrier->Address, sizeof carrier->Address));
}

std::string meterLine()
{
    const std::string meter = openMeterText();
    return "Мультиметр: " + (meter.empty() ? std::string(kNone) : meter);
}

void updateLinkLed()
{
    tk::setValue(hMP, MP_LED, mvi != 0 ? 1.0 : 0.0);
    const bool meter = mvi != 0 && isMultimeterOpen();
    tk::setAttr(hMP, MP_LED, tk::Attr::OnColor, meter ? tk::kYellow : tk::kGreen);
    tk::setValue(hMP, MP_CARRIER, carrierLine());
    tk::setValue(hMP, MP_METER, meterLine());
}

void showMeterControls()
{
    const int open = isMultimeterOpen();
    tk::setAttr(hMP, MP_AUTO_POV, tk::Attr::Visible, open);
    tk::setAttr(hPP, PP_AUTO_POV, tk::Attr::Dimmed, open ? 0 : 1);
}
