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
#include "p_ksil2/run_progress.h"
#include "p_ksil2/run_record.h"
#include "platform/clock.h"
#include "toolkit/deferred_display.h"
#include "toolkit/toolkit.h"
#include "toolkit/wait_cursor.h"

#include <optional>
#include <string>

using namespace calibration;

namespace {

constexpr const char* kNoMeter = "Отсутсвует мультиметр!"; // the text as the operators know it
constexpr const char* kRunning = "\r\nИДЕТ КАЛИБРОВКА\r\n";

constexpr double kSwitchSettle = 0.05; // after switching a channel on or off
constexpr double kChainSettle = 0.01;  // after setting a stage's calibration chain

constexpr int kCells = kChannels * kCalR0Row;

// One run: its module driver calls under the rule that every non-zero status
// is shown and a negative one ends the run (each status is also the program's
// last calibration status); where it is, and how many of its results are
// outside their tolerance.
struct Run {
    ModuleStep step;
    RunProgress progress{hCP, CP_PROGRESS, kCells, ":\n"}; // beside the table: narrow
    int results = 0;
    int outside = 0;

    bool driver(ModuleCall call, ViStatus result)
    {
        lastStatus = result;
        return step.ok(call, result);
    }
};

// A result goes into its cell and is painted during the next settling wait
// (the run pumps no events); without a module session there are no waits, and
// it is painted at once.
void showResult(Run& run, int row, int channel, double value, int colour, double reading,
                std::optional<double> r0Used = {})
{
    ++run.results;
    if (colour == tk::kRed)
        ++run.outside;
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
    run.progress.next(channel, "R0", 0, kStages);
    if (const auto reading = readResistance(kR0RangeValue)) {
        const double measured = r0FromReading(*reading);
        showResult(run, kCalR0Row, channel, measured, r0Colour(measured), *reading);
        // An overload (leads off) is shown, but corrects no stage.
        if (!calvalues::isOverload(measured))
            r0 = measured;
    }
    run.progress.measured();

    for (int k = 1; k <= kStages; ++k) {
        const double nominal = nominalR[static_cast<std::size_t>(k - 1)];
        run.progress.next(channel, "ступень", k, kStages);
        if (session) {
            if (!run.driver(ModuleCall::RunStageChain, tvksil2_config_R_Calibr(mvi, channel, static_cast<ViUInt16>(k))))
                return false;
            settle(kChainSettle);
        }
        if (const auto reading = readResistance(nominal)) {
            const double value = stageFromReading(*reading, r0);
            showResult(run, k, channel, value, stageColour(value, nominal), *reading, r0);
        }
        run.progress.measured();
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

// What the operator must know when the run is over: the results outside their
// tolerance, the cells left unmeasured, and that the flash holds none of it yet.
std::string runSummary(const Run& run)
{
    std::string text = "Калибровка завершена.\n";
    text += run.outside == 0 ? std::string("Все измеренные ячейки в допуске.")
                             : "Вне допуска: " + countText(run.outside, "ячейка", "ячейки", "ячеек") + " из " +
                                   std::to_string(kCells) + ".";
    if (const int missing = kCells - run.results; missing > 0)
        text += "\nНе измерено: " + countText(missing, "ячейка", "ячейки", "ячеек") + ".";
    text += "\nТаблица ещё не записана во flash: чтобы сохранить её, нажмите «Записать flash».";
    return text;
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
    // "Калибровка" stays dimmed until the summary has been read.
    const DimmedWhileRunning dimmed(DimmedWhileRunning::MenuItem{hMenuBar, MENUBAR_EXE_CALIBR});
    // An early end leaves the message up (and a channel connected): the operator
    // sees that the calibration did not finish; the status line says why.
    bool complete = false;
    std::string summary;
    Run run;
    {
        // The message and the table's widgets follow the run during its settling waits.
        const tk::DeferredDisplay deferred;
        msgpShow(kRunning);
        complete = calibrateModule(run);
        const std::string measured =
            "измерено " + std::to_string(run.progress.done()) + " из " + std::to_string(kCells);
        run.progress.end(std::string(complete ? "Калибровка завершена" : "Калибровка прервана") + ":\n" + measured);
        paintResults();
        summary = runSummary(run);
    }
    runrecord::measurementsEnded();
    if (complete) {
        msgpHide();
        tk::messagePopup(kTitle, summary);
    }
    runrecord::finish(complete ? history::RunEnd::Complete : history::RunEnd::DriverError);
    return run.step.last();
}
