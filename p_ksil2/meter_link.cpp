// The program's side of the multimeter layer's hooks.
#include "p_ksil2/meter_link.h"

#include "gauge/gauge.h"
#include "p_ksil2/link_state.h"
#include "p_ksil2/globals.h"
#include "p_ksil2/msgp.h"
#include "p_ksil2/status_line.h"
#include "si/select.h"
#include "toolkit/toolkit.h"

#include <cstring>
#include <string>

namespace {

std::optional<gauge::Choice> chooseMeter(const char* title, int modelCode)
{
    const InstrInfo* entry = selByModel(title, modelCode);
    if (!entry)
        return std::nullopt;
    // Address is a fixed field; read it only up to its size.
    const std::size_t length = strnlen(entry->Address, sizeof entry->Address);
    return gauge::Choice{std::string(entry->Address, length), static_cast<ViUInt16>(entry->Meznum)};
}

// A meter call that failed, on the status line like any failed call.
void showMeterStatus(const char* text)
{
    showStatusProblem(text);
}

} // namespace

void connectMeterLayer()
{
    gauge::OperatorHooks hooks;
    hooks.choose = chooseMeter;
    hooks.showWait = msgpShow;
    hooks.hideWait = msgpHide;
    hooks.showStatus = showMeterStatus;
    hooks.meterChanged = updateLinkLed;
    gauge::setOperatorHooks(hooks);
}
