// Automatic calibration (menu item CALIBR): R0 and the 18 stages of both
// channels measured by the multimeter into CP's table.
#include "p_ksil2/calibration.h"

#include "gauge/gauge.h"
#include "p_ksil2/cal_values.h"
#include "p_ksil2/calibration_rules.h"
#include "p_ksil2/globals.h"
#include "p_ksil2/module_calls.h"
#include "p_ksil2/msgp.h"
#include "p_ksil2/p_ksil2.h"
#include "p_ksil2/run_paint.h"
#include "p_ksil2/run_record.h"
#include "platform/clock.h"
#include "toolkit/deferred_display.h"
#include "toolkit/toolkit.h"
#include "toolkit/wait_cursor.h"

#include <optional>

using namespace calibration;

namespace {

constexpr const char* kNoMeter = "Отсутсвует мультиметр!"; // the text as the operators know it
constexpr const char* kRunning = "\r\nИДЕТ КАЛИБРОВКА\r\n";

constexpr double kSwitchSettle = 0.05; // after switching a channel on or off
constexpr double kChainSettle = 0.01;  // after setting a stage's calibration chain

// One run: its module driver calls under the rule that every non-zero status
// is shown and a negative one ends the run; each status is also the program's
// last calibration status.
struct Run {
    ModuleStep step;

    bool driver(ModuleCall call, ViStatus result)
    {
        lastStatus = result;
        return step.ok(call, result);
    }
};

// A result goes into its cell and is painted during the next settling wait
// (the run pumps no events); without a module session there are no waits, and
// it is painted at once.
void showResult(int row, int channel, double value, int colour, double reading, std::optional<double> r0Used = {})
{
    storeCalCell(row, channel, value, colour);
    runrecord::cell(row, channel, value, runrecord::measuredState(colour), reading, r0Used);
    if (mvi != 0)
        resultShown();
    else
        paintResults();
}

// Calibrates one channel; r0 is the R0 to fall back on when its reading fails.
// False when the run must end.
bool calibrateChannel(Run& run, ViUInt16 channel, double r0)
{
    const bool session = mvi != 0;
    if (session) {
        if (!run.driver(ModuleCall::RunOn, tvksil2_switch(mvi, channel, 1)))
            return false;
        settle(kSwitchSettle);
        if (!run.driver(ModuleCall::RunR0Chain, tvksil2_config_R_Calibr(mvi, channel, 0)))
            return false;
    }
    if (const auto reading = readResistance(kR0RangeValue)) {
        const double measured = r0FromReading(*reading);
        showResult(kCalR0Row, channel, measured, r0Colour(measured), *reading);
        // An overload (leads off) is shown, but corrects no stage.
        if (!calvalues::isOverload(measured))
            r0 = measured;
    }

    for (int k = 1; k <= kStages; ++k) {
        const double nominal = nominalR[static_cast<std::size_t>(k - 1)];
        if (session) {
            if (!run.driver(ModuleCall::RunStageChain, tvksil2_config_R_Calibr(mvi, channel, static_cast<ViUInt16>(k))))
                return false;
            settle(kChainSettle);
        }
        if (const auto reading = readResistance(nominal)) {
            const double value = stageFromReading(*reading, r0);
            showResult(k, channel, value, stageColour(value, nominal), *reading, r0);
        }
    }

    if (session) {
        if (!run.driver(ModuleCall::RunOff, tvksil2_switch(mvi, channel, 0)))
            return false;
        settle(kSwitchSettle);
    }
    return true;
}

// The run behind the message panel, under the wait cursor. False when a
// negative driver status ended it.
bool calibrateModule(Run& run)
{
    tk::WaitCursor busy;
    if (mvi != 0) {
        const bool opened = allOffThenTriggerZero(run.step, false);
        lastStatus = run.step.last();
        if (!opened)
            return false;
    }

    for (int channel = 1; channel <= kChannels; ++channel)
        for (int row = 1; row <= kCalR0Row; ++row)
            tk::setCellTextColor(hCP, CP_TABLE, row, channel, tk::kBlue);

    // A channel whose R0 reading fails is corrected with its own R0 from the
    // table; another channel's R0 would shift every stage by the difference.
    for (int channel = 1; channel <= kChannels; ++channel) {
        if (!calibrateChannel(run, static_cast<ViUInt16>(channel), tk::cellNum(hCP, CP_TABLE, kCalR0Row, channel)))
            return false;
    }
    return true;
}

} // namespace

ViStatus autoCalibrate()
{
    if (refuseOtherModel())
        return 0;
    if (!isMultimeterOpen()) {
        tk::messagePopup(kTitle, kNoMeter);
        return 0;
    }
    runrecord::Scope record(history::RunKind::AutoCalibration, history::ReadingsFrom::Meter);
    Run run;
    // An early end leaves the message up (and a channel connected): the operator
    // sees that the calibration did not finish; the status line says why.
    bool complete = false;
    {
        // The message and the table's widgets follow the run during its settling waits.
        const tk::DeferredDisplay deferred;
        msgpShow(kRunning);
        complete = calibrateModule(run);
        paintResults();
    }
    runrecord::finish(complete ? history::RunEnd::Complete : history::RunEnd::DriverError);
    if (complete)
        msgpHide();
    return run.step.last();
}
