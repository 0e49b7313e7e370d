// The rule for module driver statuses, and the openings built on it.
#include "p_ksil2/module_calls.h"

#include "drivers/tvksil2.h"
#include "p_ksil2/globals.h"
#include "p_ksil2/status_line.h"

namespace {

void show(ModuleCall call, ViStatus status)
{
    reportStatus(moduleCallText(call), status);
}

} // namespace

bool ModuleStep::ok(ModuleCall call, ViStatus status)
{
    last_ = status;
    if (status != 0)
        show(call, status);
    return status >= 0;
}

bool ModuleStep::notRefused(ModuleCall call, ViStatus status)
{
    last_ = status;
    if (status < 0)
        show(call, status);
    return status >= 0;
}

bool moduleOk(ModuleCall call, ViStatus status)
{
    ModuleStep step;
    return step.ok(call, status);
}

bool moduleNotRefused(ModuleCall call, ViStatus status)
{
    ModuleStep step;
    return step.notRefused(call, status);
}

bool switchOrReset(ModuleStep& step, ModuleCall call, ViUInt16 channel, ViUInt16 state)
{
    if (step.ok(call, tvksil2_switch(mvi, channel, state)))
        return true;
    tvksil2_reset(mvi);
    return false;
}

bool allOffThenTriggerZero(ModuleStep& step, bool resetOnRefusal)
{
    if (resetOnRefusal ? !switchOrReset(step, ModuleCall::AllOff, 0, 0)
                       : !step.ok(ModuleCall::AllOff, tvksil2_switch(mvi, 0, 0)))
        return false;
    return step.ok(ModuleCall::Trigger, tvksil2_config_trigger(mvi, 0));
}

bool triggerZeroThenAllOff(ModuleStep& step)
{
    return step.ok(ModuleCall::Trigger, tvksil2_config_trigger(mvi, 0)) &&
           step.ok(ModuleCall::AllOff, tvksil2_switch(mvi, 0, 0));
}
