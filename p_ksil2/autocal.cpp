// Automatic calibration (menu item CALIBR): R0 and the 18 stages of both
// channels measured by the multimeter into CP's table.
#include "p_ksil2/calibration.h"

#include "gauge/gauge.h"
#include "p_ksil2/cal_values.h"
#include "p_ksil2/calibration_rules.h"
#include "p_ksil2/globals.h"
#include "p_ksil2/msgp.h"
#include "p_ksil2/p_ksil2.h"
#include "p_ksil2/run_paint.h"
#include "p_ksil2/run_record.h"
#include "p_ksil2/session.h"
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

// One run: the status of its last module driver call, and the rule that every
// non-zero status is shown and a negative one ends the run.
struct Run {
    ViStatus status = 0;

    bool driver(const char* callText, ViStatus result)
    {
        status = result;
        lastStatus = result;
        if (result != 0)
            reportStatus(callText, result);
        return result >= 0;
    }
};

// One reading of the channel as it is configured now; nothing when the meter fails.
std::optional<double> measure(double expected)
{
    configureMeter(kFourWireRes);
    // A reading taken on a range the meter refused is no measurement.
    if (!setResRangeForReading(expected))
        return std::nullopt;
    double reading = 0.0;
    if (measureFres(&reading) != 0)
        return std::nullopt;
    return reading;
}

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
        if (!run.driver("tvksil2_switch (mvi, i+1, 1)", tvksil2_switch(mvi, channel, 1)))
            return false;
        settle(kSwitchSettle);
        if (!run.driver("tvksil2_config_R_Calibr(mvi, i+1, 0)", tvksil2_config_R_Calibr(mvi, channel, 0)))
            return false;
    }
    if (const auto reading = measure(kR0RangeValue)) {
        const double measured = r0FromReading(*reading);
        showResult(kR0Row, channel, measured, r0Colour(measured), *reading);
        // An overload (leads off) is shown, but corrects no stage.
        if (!calvalues::isOverload(measured))
            r0 = measured;
    }

    for (int k = 1; k <= kStages; ++k) {
        const double nominal = nominalR[static_cast<std::size_t>(k - 1)];
        if (session) {
            if (!run.driver("tvksil2_config_R_Calibr(mvi, i+1, j+1)",
                            tvksil2_config_R_Calibr(mvi, channel, static_cast<ViUInt16>(k))))
                return false;
            settle(kChainSettle);
        }
        if (const auto reading = measure(nominal)) {
            const double value = stageFromReading(*reading, r0);
            showResult(k, channel, value, stageColour(value, nominal), *reading, r0);
        }
    }

    if (session) {
        if (!run.driver("tvksil2_switch (mvi, i+1, 0)", tvksil2_switch(mvi, channel, 0)))
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
        if (!run.driver("tvksil2_switch (mvi, 0, 0)", tvksil2_switch(mvi, 0, 0)))
            return false;
        if (!run.driver("tvksil2_config_trigger(mvi, 0)", tvksil2_config_trigger(mvi, 0)))
            return false;
    }

    for (int channel = 1; channel <= kChannels; ++channel)
        for (int row = 1; row <= kR0Row; ++row)
            tk::setCellTextColor(hCP, CP_TABLE, row, channel, tk::kBlue);

    // A channel whose R0 reading fails is corrected with its own R0 from the
    // table; another channel's R0 would shift every stage by the difference.
    for (int channel = 1; channel <= kChannels; ++channel) {
        if (!calibrateChannel(run, static_cast<ViUInt16>(channel), tk::cellNum(hCP, CP_TABLE, kR0Row, channel)))
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
    return run.status;
}
