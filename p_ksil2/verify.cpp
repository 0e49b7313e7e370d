// Verification of a КСИЛ2-4Л on page PP: the result rows (also those of manual
// control) and the automatic run over both channels with its verdict.
#include "p_ksil2/verify.h"

#include "drivers/tvksil2.h"
#include "gauge/gauge.h"
#include "p_ksil2/globals.h"
#include "p_ksil2/norm.h"
#include "p_ksil2/p_ksil2.h"
#include "p_ksil2/protocol.h"
#include "p_ksil2/run_paint.h"
#include "p_ksil2/run_record.h"
#include "p_ksil2/session.h"
#include "platform/clock.h"
#include "toolkit/deferred_display.h"
#include "toolkit/toolkit.h"
#include "toolkit/wait_cursor.h"

#include <cmath>

namespace {

constexpr double kSettle = 0.05;        // after choosing a channel, setting a point, ranging the meter
constexpr std::int16_t kFourWireRes = 2; // multimeter function: four-wire resistance

constexpr const char* kMeterFailTitle = "Поверка КСИЛ2-4Л";
constexpr const char* kMeterFailText = "Сбой мультиметра!";
constexpr const char* kVerdictTitle = "КСИЛ2-4Л";
constexpr const char* kFaultText = "При выполнении поверки были обнаружены несоответствия норме.";
constexpr const char* kPassLine = "Автоповерка завершена, неисправностей не обнаружено.\n";
constexpr const char* kPassText = "Автоповерка завершена,\nнеисправностей не обнаружено.";

bool meterFailed = false; // the run in progress ended on a multimeter failure

// Switches one channel on or off; a failure is reported, and a negative status
// resets the module. Returns false when the run must end.
bool switchChannel(ViUInt16 channel, ViUInt16 state)
{
    const ViStatus status = tvksil2_switch(mvi, channel, state);
    if (status != 0)
        reportStatus(state ? "tvksil2_switch (mvi, chan, 1)" : "tvksil2_switch (mvi, chan, 0)", status);
    if (status < 0) {
        tvksil2_reset(mvi);
        return false;
    }
    return true;
}

// Measures every test point on a channel that is switched on. False when the
// run must end (a driver error, or a multimeter failure after its pop-up).
bool verifyPoints(ViUInt16 channel)
{
    for (const double point : povPoints) {
        tk::setValue(hPP, PP_R_Z, point);
        tk::setValue(hPP, PP_R_I, point);
        // A refused setting ends the run as it is, the channel still on; the
        // status line says why.
        if (const ViStatus st = tvksil2_config_R(mvi, channel, point); st < 0) {
            reportStatus("tvksil2_config_R(mvi, chan, R)", st);
            return false;
        }
        settle(kSettle);
        configureMeter(kFourWireRes);
        // A reading taken on a range the meter refused is no measurement; nor
        // is one that is not a number (the meter layer fails it).
        const bool ranged = setResRangeForReading(point);
        settle(kSettle);
        double measured = 0.0;
        if (!ranged || measureFres(&measured) != 0) {
            meterFailed = true;
            {
                const tk::WaitCursor normal(false); // the operator reads the pop-up
                tk::messagePopup(kMeterFailTitle, kMeterFailText);
            }
            switchChannel(channel, 0);
            return false;
        }
        tk::setValue(hPP, PP_R_I, measured);
        addPovRowValues(channel, point, measured);
        resultShown();
    }
    return true;
}

// Prepares the module and measures both channels. False when the run ended
// early: a driver error, or a multimeter failure after its pop-up.
bool verifyChannels()
{
    ViStatus status = tvksil2_switch(mvi, 0, 0);
    if (status != 0)
        reportStatus("tvksil2_switch (mvi, 0, 0)", status);
    if (status < 0) {
        tvksil2_reset(mvi);
        return false;
    }
    status = tvksil2_config_trigger(mvi, 0);
    if (status != 0)
        reportStatus("tvksil2_config_trigger(mvi, 0)", status);
    if (status < 0)
        return false;

    // The run's date line; logFile is 0 only while the protocol was never opened.
    if (logFile != 0)
        logDateTime(logFile);

    for (const ViUInt16 channel : {ViUInt16{1}, ViUInt16{2}}) {
        settle(kSettle);
        tk::setValue(hPP, PP_CHAN, channel);
        settle(kSettle);
        if (!switchChannel(channel, 1) || !verifyPoints(channel) || !switchChannel(channel, 0))
            return false;
    }
    return true;
}

} // namespace

void addPovRowValues(std::uint16_t channel, double set, double measured, history::ReadingsFrom from)
{
    const double deviation = measured - set;
    const double norm = normR(set);
    // A tie is within norm; a deviation that is not a number never is.
    const bool outOfNorm = !(std::fabs(deviation) <= norm);

    tk::insertTableRows(hPP, PP_TABLE_R, -1, 1);
    const int row = tk::numTableRows(hPP, PP_TABLE_R);
    tk::setCell(hPP, PP_TABLE_R, row, 1, channel);
    tk::setCell(hPP, PP_TABLE_R, row, 2, set);
    tk::setCell(hPP, PP_TABLE_R, row, 3, measured);
    tk::setCell(hPP, PP_TABLE_R, row, 4, norm);
    tk::setCell(hPP, PP_TABLE_R, row, 5, deviation);
    if (outOfNorm)
        tk::setCellTextColor(hPP, PP_TABLE_R, row, 5, tk::kRed);
    tk::setAttr(hPP, PP_TABLE_R, tk::Attr::FirstVisibleLine, row);

    logPovResult(channel, set, measured, deviation, outOfNorm);
    runrecord::povRow(channel, set, measured, norm, outOfNorm, from);
}

void runAutoVerification()
{
    if (mvi == 0)
        return;
    runrecord::Scope record(history::RunKind::AutoVerification, history::ReadingsFrom::Meter);
    meterFailed = false;
    bool complete = false;
    {
        const tk::WaitCursor busy;
        // The panels' widgets follow the run during the settling waits.
        const tk::DeferredDisplay deferred;
        complete = verifyChannels();
        paintResults();
    }
    runrecord::finish(complete      ? history::RunEnd::Complete
                      : meterFailed ? history::RunEnd::MeterFailure
                                    : history::RunEnd::DriverError,
                      meterFailed ? kMeterFailText : "");
    if (!complete)
        return; // no verdict; povFault stays for the next complete run
    if (povFault) {
        logPrintf(logFile, "%s\n", kFaultText);
        tk::messagePopup(kVerdictTitle, kFaultText);
        povFault = 0;
    } else {
        logPrintf(logFile, kPassLine);
        tk::messagePopup(kVerdictTitle, kPassText);
    }
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
