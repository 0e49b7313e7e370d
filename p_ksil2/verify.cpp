// Verification of a КСИЛ2-4Л on page PP: the result rows (also those of manual
// control) and the automatic run over both channels with its verdict.
#include "p_ksil2/verify.h"

#include "drivers/tvksil2.h"
#include "gauge/gauge.h"
#include "p_ksil2/chart_link.h"
#include "p_ksil2/globals.h"
#include "p_ksil2/module_calls.h"
#include "p_ksil2/norm.h"
#include "p_ksil2/p_ksil2.h"
#include "p_ksil2/protocol.h"
#include "p_ksil2/protocol_file.h"
#include "p_ksil2/run_paint.h"
#include "p_ksil2/run_progress.h"
#include "p_ksil2/run_record.h"
#include "platform/clock.h"
#include "platform/datetime.h"
#include "toolkit/deferred_display.h"
#include "toolkit/toolkit.h"
#include "toolkit/wait_cursor.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr double kSettle = 0.05; // after choosing a channel, setting a point, ranging the meter

constexpr const char* kMeterFailTitle = "Поверка КСИЛ2-4Л";
constexpr const char* kMeterFailText = "Сбой мультиметра!";
constexpr const char* kVerdictTitle = "КСИЛ2-4Л";
constexpr const char* kFaultText = "При выполнении поверки были обнаружены несоответствия норме.";
constexpr const char* kPassLine = "Автоповерка завершена, неисправностей не обнаружено.\n";
constexpr const char* kPassText = "Автоповерка завершена,\nнеисправностей не обнаружено.";

// A nonconformity found by a run that ended before its verdict: the next
// complete run reports it.
bool unreportedNonconformity = false;
bool meterFailed = false; // the run in progress ended on a multimeter failure

// One automatic verification: the rows it took, in order.
struct AutoRun {
    ModuleStep step;
    std::vector<PovRow> rows;

    bool nonconforming() const
    {
        return std::any_of(rows.begin(), rows.end(), [](const PovRow& r) { return r.outOfNorm; });
    }
};

void waitSettle()
{
    settle(kSettle);
}

// Measures every test point on a channel that is switched on. False when the
// run must end (a driver error, or a multimeter failure after its pop-up).
bool verifyPoints(AutoRun& run, ViUInt16 channel, RunProgress& progress)
{
    for (std::size_t i = 0; i < povPoints.size(); ++i) {
        const double point = povPoints[i];
        progress.next(channel, "точка", static_cast<int>(i + 1), static_cast<int>(povPoints.size()));
        tk::setValue(hPP, PP_R_Z, point);
        tk::setValue(hPP, PP_R_I, point);
        // A refused setting ends the run as it is, the channel still on; the
        // status line says why.
        if (!run.step.notRefused(ModuleCall::ChanSet, tvksil2_config_R(mvi, channel, point)))
            return false;
        settle(kSettle);
        // A reading taken on a range the meter refused is no measurement; nor
        // is one that is not a number (the meter layer fails it).
        const std::optional<double> measured = readResistance(point, waitSettle);
        if (!measured) {
            meterFailed = true;
            {
                const tk::WaitCursor normal(false); // the operator reads the pop-up
                tk::messagePopup(kMeterFailTitle, kMeterFailText);
            }
            switchOrReset(run.step, ModuleCall::ChanOff, channel, 0);
            return false;
        }
        progress.measured();
        tk::setValue(hPP, PP_R_I, *measured);
        run.rows.push_back(addPovRowValues(channel, point, *measured));
        resultShown();
    }
    return true;
}

// Prepares the module and measures both channels. False when the run ended
// early: a driver error, or a multimeter failure after its pop-up.
bool verifyChannels(AutoRun& run, RunProgress& progress)
{
    if (!allOffThenTriggerZero(run.step, true))
        return false;

    // The run's date line; logFile is 0 only while the protocol was never opened.
    if (logFile != 0)
        logDateTime(logFile);

    for (const ViUInt16 channel : {ViUInt16{1}, ViUInt16{2}}) {
        settle(kSettle);
        tk::setValue(hPP, PP_CHAN, channel);
        settle(kSettle);
        if (!switchOrReset(run.step, ModuleCall::ChanOn, channel, 1) || !verifyPoints(run, channel, progress) ||
            !switchOrReset(run.step, ModuleCall::ChanOff, channel, 0))
            return false;
    }
    return true;
}

// The verdict of a complete run, in the protocol and in a pop-up.
void showVerdict(bool nonconforming)
{
    if (nonconforming) {
        logPrintf(logFile, "%s\n", kFaultText);
        tk::messagePopup(kVerdictTitle, kFaultText);
    } else {
        logPrintf(logFile, kPassLine);
        tk::messagePopup(kVerdictTitle, kPassText);
    }
}

PovRow judgePovRow(std::uint16_t channel, double set, double measured)
{
    PovRow row{channel, set, measured, measured - set, normR(set), false};
    // A tie is within norm; a deviation that is not a number never is.
    row.outOfNorm = !(std::fabs(row.deviation) <= row.norm);
    return row;
}

} // namespace

PovRow addPovRowValues(std::uint16_t channel, double set, double measured, history::ReadingsFrom from)
{
    const PovRow judged = judgePovRow(channel, set, measured);

    tk::insertTableRows(hPP, PP_TABLE_R, -1, 1);
    const int row = tk::numTableRows(hPP, PP_TABLE_R);
    tk::setCell(hPP, PP_TABLE_R, row, 1, channel);
    tk::setCell(hPP, PP_TABLE_R, row, 2, set);
    tk::setCell(hPP, PP_TABLE_R, row, 3, measured);
    tk::setCell(hPP, PP_TABLE_R, row, 4, judged.norm);
    tk::setCell(hPP, PP_TABLE_R, row, 5, judged.deviation);
    if (judged.outOfNorm)
        tk::setCellTextColor(hPP, PP_TABLE_R, row, 5, tk::kRed);
    tk::setAttr(hPP, PP_TABLE_R, tk::Attr::FirstVisibleLine, row);

    logPovResult(channel, set, measured, judged.deviation, judged.outOfNorm);
    chartVerificationRow();
    runrecord::povRow(channel, set, measured, judged.norm, judged.outOfNorm, from);
    return judged;
}

void runAutoVerification()
{
    if (mvi == 0)
        return;
    runrecord::Scope record(history::RunKind::AutoVerification, history::ReadingsFrom::Meter);
    meterFailed = false;
    AutoRun run;
    // "Запустить" stays dimmed until the verdict has been read.
    const DimmedWhileRunning dimmed(hPP, PP_SET);
    bool complete = false;
    const std::time_t started = platform::currentTime();
    {
        const tk::WaitCursor busy;
        // The panels' widgets follow the run during the settling waits.
        const tk::DeferredDisplay deferred;
        const int total = 2 * static_cast<int>(povPoints.size());
        RunProgress progress(hPP, PP_PROGRESS, total);
        complete = verifyChannels(run, progress);
        progress.end(std::string(complete ? "Поверка завершена" : "Поверка прервана") + ":\nизмерено " +
                     std::to_string(progress.done()) + " из " + std::to_string(total));
        paintResults();
    }
    runrecord::measurementsEnded();
    const bool nonconforming = unreportedNonconformity || run.nonconforming();
    if (!complete) {
        runrecord::finish(meterFailed ? history::RunEnd::MeterFailure : history::RunEnd::DriverError,
                          meterFailed ? kMeterFailText : "");
        unreportedNonconformity = nonconforming; // no verdict: the next complete run gives it
        return;
    }
    unreportedNonconformity = false;
    showVerdict(nonconforming);
    runrecord::finish(history::RunEnd::Complete);
    chartSaveVerification(protocolPath(logFile), started);
}

void forgetVerification()
{
    unreportedNonconformity = false;
}

int auto_pov(int panel, int control, int event, void*, int, int)
{
    if (event != tk::EVENT_COMMIT)
        return 0;
    autoPovMode = tk::intValue(panel, control);
    // The manual controls only exist for the operator in manual mode.
    const int manual = autoPovMode ? 0 : 1;
    for (const int ctrl : {PP_CHAN, PP_R_Z, PP_R_I, PP_INPUT, PP_ED_IZM, PP_ED_IZM_2})
        tk::setAttr(hPP, ctrl, tk::Attr::Visible, manual);
    tk::setAttr(hPP, PP_SET, tk::Attr::LabelText, autoPovMode ? "Запустить" : "Установить");
    return 0;
}
