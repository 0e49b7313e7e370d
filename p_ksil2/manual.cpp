// Manual control of page PP: setting a channel to a typed resistance, recording
// the point, and the focus moves that make the operator's keyboard cycle.
#include "p_ksil2/manual.h"

#include "drivers/tvksil2.h"
#include "gauge/gauge.h"
#include "p_ksil2/entered.h"
#include "p_ksil2/globals.h"
#include "p_ksil2/module_calls.h"
#include "p_ksil2/p_ksil2.h"
#include "p_ksil2/verify.h"
#include "platform/clock.h"
#include "toolkit/toolkit.h"
#include "toolkit/wait_cursor.h"

#include <optional>

int autoMeasure = 0;

namespace {

constexpr double kSettle = 0.05; // after choosing the channel and after switching it on

// One manual point: every channel off, the chosen one set to R_Z and switched
// on; with automatic measurements the multimeter reads it and the row is
// recorded, otherwise the operator measures and types R_I.
void setManualPoint()
{
    if (mvi == 0)
        return;
    // The module is touched only for a channel and a resistance it can be set to.
    const std::optional<double> chosen = enteredSetting(hPP, PP_CHAN);
    if (!chosen)
        return;
    const std::optional<double> set = enteredSetting(hPP, PP_R_Z);
    if (!set)
        return;
    const auto channel = static_cast<ViUInt16>(*chosen);

    const tk::WaitCursor busy;
    ModuleStep step;
    if (!allOffThenTriggerZero(step, true))
        return;

    Delay(kSettle);
    tk::setValue(hPP, PP_CHAN, channel);
    Delay(kSettle);

    tk::setValue(hPP, PP_R_I, *set);
    const bool ranged = rangeThenPrepare(*set, autoMeasure != 0);
    if (!step.notRefused(ModuleCall::ChanSet, tvksil2_config_R(mvi, channel, *set)) ||
        !switchOrReset(step, ModuleCall::ChanOn, channel, 1))
        return;
    Delay(kSettle);

    // The channel stays on: for the operator's own measurement, or until the next SET.
    // A reading taken on a range the meter refused is no measurement, nor is
    // one that is not a number; the status line says which.
    const std::optional<double> measured = autoMeasure ? readRangedResistance(ranged) : std::nullopt;
    if (!measured) {
        tk::setActiveCtrl(hPP, PP_R_I);
        return;
    }
    tk::setValue(hPP, PP_R_I, *measured);
    addPovRowValues(channel, *set, *measured);
}

bool committedOrChanged(int event)
{
    return event == tk::EVENT_COMMIT || event == tk::EVENT_VAL_CHANGED;
}

} // namespace

int setP(int, int, int event, void*, int, int)
{
    if (event != tk::EVENT_COMMIT)
        return 0;
    if (autoPovMode)
        runAutoVerification();
    else
        setManualPoint();
    return 0;
}

int inputP(int, int, int event, void*, int, int)
{
    if (event != tk::EVENT_COMMIT)
        return 0;
    // A pair that cannot be recorded is refused before the channel goes off:
    // the operator corrects it, or measures again.
    const std::optional<double> chosen = enteredSetting(hPP, PP_CHAN);
    if (!chosen)
        return 0;
    const std::optional<double> set = enteredSetting(hPP, PP_R_Z);
    if (!set)
        return 0;
    const std::optional<double> measured = enteredReading(hPP, PP_R_I);
    if (!measured)
        return 0;
    const auto channel = static_cast<ViUInt16>(*chosen);
    // The reading was taken before: the row is recorded whatever the switch
    // says, and a failure to switch the channel off is shown.
    if (mvi != 0)
        moduleOk(ModuleCall::ChanOff, tvksil2_switch(mvi, channel, 0));
    addPovRowValues(channel, *set, *measured, history::ReadingsFrom::Operator);
    tk::setActiveCtrl(hPP, PP_R_Z);
    return 0;
}

int setChan(int, int, int event, void*, int, int)
{
    if (event != tk::EVENT_COMMIT)
        return 0;
    if (mvi != 0)
        Delay(kSettle);
    tk::setActiveCtrl(hPP, PP_R_Z);
    return 0;
}

int vavChgU_Z(int, int, int event, void*, int, int)
{
    if (committedOrChanged(event))
        tk::setActiveCtrl(hPP, PP_SET);
    return 0;
}

int vavChgU_I(int, int, int event, void*, int, int)
{
    if (committedOrChanged(event))
        tk::setActiveCtrl(hPP, PP_INPUT);
    return 0;
}

int modeR(int panel, int control, int event, void*, int, int)
{
    // Made with or without a session; the status is not examined.
    if (event == tk::EVENT_COMMIT)
        tvksil2_mode_R(mvi, static_cast<ViUInt16>(tk::intValue(panel, control)));
    return 0;
}

int auto_measureCB(int panel, int control, int event, void*, int, int)
{
    if (event == tk::EVENT_COMMIT)
        autoMeasure = tk::intValue(panel, control);
    return 0;
}
