// Point calibration: one cell of CP's table re-measured, by the multimeter or
// by the operator in the pop-up DP, and stored corrected for R0.
#include "p_ksil2/calibration.h"

#include "gauge/gauge.h"
#include "p_ksil2/calibration_rules.h"
#include "p_ksil2/entered.h"
#include "p_ksil2/globals.h"
#include "p_ksil2/manual.h"
#include "p_ksil2/module_calls.h"
#include "p_ksil2/p_ksil2.h"
#include "p_ksil2/run_record.h"
#include "platform/clock.h"
#include "platform/number_text.h"
#include "toolkit/toolkit.h"
#include "toolkit/wait_cursor.h"

#include <cmath>
#include <cstdio>
#include <optional>

using namespace calibration;

int popupResult = 0;

namespace {

constexpr const char* kNoR0 = "Не задано паразитное сопротивление цепи (R0), сначала откалибруйте его!";
constexpr const char* kImplausible = "Измеренное значение (за вычетом паразитного сопротивления) %lg сильно "
                                     "отличается от ожидаемого %lg\nИспользовать измеренное значение?";

constexpr double kReadingSettle = 0.2; // before the reading of a freshly switched chain

// The cell into the table and into the run, which ends with it.
void storeMeasured(int row, ViUInt16 channel, double value, int colour, double reading, std::optional<double> r0)
{
    storeCalCell(row, channel, value, colour);
    runrecord::cell(row, channel, value, runrecord::measuredState(colour), reading, r0);
    runrecord::finish(history::RunEnd::Complete);
}

// A module call that failed ends the run as a driver error (its text is on the
// status line), not as one the operator stopped.
bool moduleCallsOk(bool ok)
{
    if (!ok)
        runrecord::finish(history::RunEnd::DriverError);
    return ok;
}

// The chain for the cell (stage k alone, or all bypassed for R0), then the channel on.
bool connectChain(ViUInt16 channel, ViUInt16 row)
{
    if (mvi == 0)
        return true;
    return moduleCallsOk(moduleOk(ModuleCall::PointChain, tvksil2_config_R_Calibr(mvi, channel, row)) &&
                         moduleOk(ModuleCall::PointOn, tvksil2_switch(mvi, channel, 1)));
}

// With automatic measurements on, the meter's reading of the chain.
std::optional<double> autoReading(double expected)
{
    if (!autoMeasure)
        return std::nullopt;
    return readResistance(expected, [] { Delay(kReadingSettle); });
}

// DP until the operator answers; then the channel off. True when a value was entered.
bool askOperator(ViUInt16 channel)
{
    tk::installPopup(hDP);
    popupResult = 0;
    while (popupResult == 0)
        tk::processEvents();
    if (mvi != 0 && !moduleCallsOk(moduleOk(ModuleCall::PointOff, tvksil2_switch(mvi, channel, 0))))
        return false;
    return popupResult == 1;
}

// Asks before a stage value far from its nominal is stored. A NaN compares as
// plausible and is not questioned.
bool plausibleOrConfirmed(double value, double expected)
{
    if (!(value == 0.0 || calvalues::farFromNominal(value, expected)))
        return true;
    return tk::confirmPopup(kTitle, platform::formatText(kImplausible, value, expected), 0) == 1;
}

void calibrateStage(ViUInt16 channel, int row, double r0)
{
    if (r0 == 0.0) {
        tk::messagePopup(kTitle, kNoR0);
        return;
    }
    const double expected = nominalR[static_cast<std::size_t>(row - 1)];
    {
        tk::WaitCursor busy;
        tk::setValue(hDP, DP_CHAN, channel);
        tk::setAttr(hDP, DP_R, tk::Attr::Visible, 1);
        tk::setAttr(hDP, DP_I, tk::Attr::Visible, 0);
        tk::setValue(hDP, DP_R, expected);
        if (!connectChain(channel, static_cast<ViUInt16>(row)))
            return;
        if (const auto reading = autoReading(expected))
            tk::setValue(hDP, DP_R, *reading);
    }
    if (!askOperator(channel))
        return;
    const std::optional<double> reading = enteredReading(hDP, DP_R);
    if (!reading)
        return;
    const double value = stageFromReading(*reading, r0);
    if (!plausibleOrConfirmed(value, expected))
        return;
    storeMeasured(row, channel, value, stageColour(value, expected), *reading, r0);
}

void calibrateR0(ViUInt16 channel)
{
    {
        tk::WaitCursor busy;
        // DP names the channel being calibrated; R keeps what it showed unless the meter reads it.
        tk::setValue(hDP, DP_CHAN, channel);
        if (!connectChain(channel, static_cast<ViUInt16>(kCalR0Row)))
            return;
        if (const auto reading = autoReading(kR0RangeValue))
            tk::setValue(hDP, DP_R, *reading);
    }
    if (!askOperator(channel))
        return;
    const std::optional<double> reading = enteredReading(hDP, DP_R);
    if (!reading)
        return;
    const double r0 = r0FromReading(*reading);
    storeMeasured(kCalR0Row, channel, r0, r0Colour(r0), *reading, std::nullopt);
}

} // namespace

int selectR(int panel, int control, int event, void*, int e1, int e2)
{
    // A number the operator typed into a cell is the operator's value for it.
    if (event == tk::EVENT_COMMIT)
        knowCalCell(e1, e2);
    if (event != tk::EVENT_LEFT_DOUBLE_CLICK || refuseOtherModel())
        return 0;
    int row = 0, col = 0;
    tk::activeCell(panel, control, row, col);
    if (row < 1 || row > kCalR0Row || col < 1 || col > kChannels)
        return 0;
    const auto channel = static_cast<ViUInt16>(col);
    // Cancelled or refused, the run ends as stopped; a failed module call, as a driver error.
    runrecord::Scope record(history::RunKind::PointCalibration,
                            autoMeasure ? history::ReadingsFrom::Meter : history::ReadingsFrom::Operator);
    // R0 as the table shows it now corrects a stage reading.
    const double r0 = tk::cellNum(panel, control, kCalR0Row, col);
    if (mvi != 0) {
        tk::WaitCursor busy;
        ModuleStep step;
        if (!moduleCallsOk(triggerZeroThenAllOff(step)))
            return 0;
    }
    // Closing DP's window is "Отмена": the wait below always ends.
    tk::setPanelCloseCtrl(hDP, DP_COMMANDBUTTON_2);
    if (row == kCalR0Row)
        calibrateR0(channel);
    else
        calibrateStage(channel, row, r0);
    return 0;
}

int inputVal(int, int, int event, void*, int, int)
{
    if (event == tk::EVENT_COMMIT) {
        popupResult = 1;
        tk::removePopup(1);
    }
    return 0;
}

int closePopup(int, int, int event, void*, int, int)
{
    if (event == tk::EVENT_COMMIT) {
        popupResult = -1;
        tk::removePopup(1);
    }
    return 0;
}
