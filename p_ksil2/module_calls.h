// The module driver calls of the program's steps: each call with the text the
// status line shows when it fails, and the rule every status follows: a
// non-zero status is shown with its call text; a negative one ends the step.
#pragma once

#include "drivers/visa.h"

#include <array>
#include <cstddef>

// One entry per call as the program writes it: the same driver entry point
// has a text of its own for each way its channel argument is named (PP's
// "chan", the point calibration's "pt.x", the automatic calibration's "i+1").
enum class ModuleCall {
    Close,
    Init,
    Connect,
    Trigger,
    GetAttribute,
    SftInterface,
    Reset,
    AllOff,
    ChanOn,
    ChanOff,
    ChanSet,
    ChanSetZero,
    ChanSetPoint,
    PointChain,
    PointOn,
    PointOff,
    RunOn,
    RunR0Chain,
    RunStageChain,
    RunOff,
};

struct ModuleCallText {
    ModuleCall call;
    const char* text;
};

inline constexpr std::array kModuleCallTexts{
    ModuleCallText{ModuleCall::Close, "tvksil2_close(mvi)"},
    ModuleCallText{ModuleCall::Init, "tvksil2_init"},
    ModuleCallText{ModuleCall::Connect, "tvksil2_connect"},
    ModuleCallText{ModuleCall::Trigger, "tvksil2_config_trigger(mvi, 0)"},
    ModuleCallText{ModuleCall::GetAttribute, "tvksil2_get_attribute"},
    ModuleCallText{ModuleCall::SftInterface, "tvksil2_sft_interface"},
    ModuleCallText{ModuleCall::Reset, "tvksil2_reset (mvi)"},
    ModuleCallText{ModuleCall::AllOff, "tvksil2_switch (mvi, 0, 0)"},
    ModuleCallText{ModuleCall::ChanOn, "tvksil2_switch (mvi, chan, 1)"},
    ModuleCallText{ModuleCall::ChanOff, "tvksil2_switch (mvi, chan, 0)"},
    ModuleCallText{ModuleCall::ChanSet, "tvksil2_config_R(mvi, chan, R)"},
    ModuleCallText{ModuleCall::ChanSetZero, "tvksil2_config_R(mvi, chan, 0.0)"},
    ModuleCallText{ModuleCall::ChanSetPoint, "tvksil2_config_R(mvi, chan, Rn)"},
    ModuleCallText{ModuleCall::PointChain, "tvksil2_config_R_Calibr(mvi,pt.x, pt.y)"},
    ModuleCallText{ModuleCall::PointOn, "tvksil2_switch (mvi, pt.x, 1)"},
    ModuleCallText{ModuleCall::PointOff, "tvksil2_switch (mvi, pt.x, 0)"},
    ModuleCallText{ModuleCall::RunOn, "tvksil2_switch (mvi, i+1, 1)"},
    ModuleCallText{ModuleCall::RunR0Chain, "tvksil2_config_R_Calibr(mvi, i+1, 0)"},
    ModuleCallText{ModuleCall::RunStageChain, "tvksil2_config_R_Calibr(mvi, i+1, j+1)"},
    ModuleCallText{ModuleCall::RunOff, "tvksil2_switch (mvi, i+1, 0)"},
};

// The table is indexed by the call: its order is the enumeration's.
constexpr bool moduleCallTableInOrder()
{
    for (std::size_t i = 0; i < kModuleCallTexts.size(); ++i)
        if (static_cast<std::size_t>(kModuleCallTexts[i].call) != i)
            return false;
    return true;
}
static_assert(moduleCallTableInOrder(), "kModuleCallTexts must list the calls in ModuleCall order");

constexpr const char* moduleCallText(ModuleCall call)
{
    return kModuleCallTexts[static_cast<std::size_t>(call)].text;
}

// A step of module driver calls, keeping the status of the last one made.
class ModuleStep {
public:
    // The rule: shows a non-zero status with the call's text; false for a
    // negative one, which ends the step.
    bool ok(ModuleCall call, ViStatus status);
    // For calls whose warnings are not the operator's concern: shows only a
    // negative status; false then.
    bool notRefused(ModuleCall call, ViStatus status);
    ViStatus last() const { return last_; }

private:
    ViStatus last_ = 0;
};

// The rule for a single call outside a step.
bool moduleOk(ModuleCall call, ViStatus status);
bool moduleNotRefused(ModuleCall call, ViStatus status);

// Switches a channel (0: every channel) under the rule; a refused switch also
// resets the module, so that no channel is left in an unknown state.
bool switchOrReset(ModuleStep& step, ModuleCall call, ViUInt16 channel, ViUInt16 state);

// The opening of a run on the open module: every channel off, then trigger
// mode 0. With resetOnRefusal a refused switch also resets the module.
bool allOffThenTriggerZero(ModuleStep& step, bool resetOnRefusal);
// The point calibration's opening, in its own order: trigger mode 0 first.
bool triggerZeroThenAllOff(ModuleStep& step);
