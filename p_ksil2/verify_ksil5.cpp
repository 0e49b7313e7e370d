// Step-by-step verification of a КСИЛ5 on page PP5: the program sets each
// point, the operator measures it with an instrument of their own, types the
// value and presses "Далее"; every point is judged and written to the run's
// protocol. The wait for "Далее" pumps events, so START (now "Стоп") works
// inside it and ends the run.
#include "p_ksil2/verify_ksil5.h"

#include "drivers/tvksil2.h"
#include "p_ksil2/chart_link.h"
#include "p_ksil2/entered.h"
#include "p_ksil2/globals.h"
#include "p_ksil2/p_ksil2.h"
#include "p_ksil2/protocol.h"
#include "p_ksil2/module_calls.h"
#include "p_ksil2/run_record.h"
#include "platform/datetime.h"
#include "toolkit/toolkit.h"

#include <cmath>
#include <optional>
#include <string>

int pp5Running = 0;
int pp5WaitStep = 0;

namespace {

constexpr int kPoints = 9;
constexpr double kLastPoint = 255.0; // the ninth point: all eight stages, not 256

// The set value of point p: 1, 2, 4 ... 128, then 255.
double pointValue(int p)
{
    return p < kPoints - 1 ? static_cast<double>(1 << p) : kLastPoint;
}

ViUInt16 chosenChannel()
{
    return static_cast<ViUInt16>(tk::intValue(hPP5, PP5_CHAN));
}

// The panel's look while a run is in progress, or idle.
void showRunning(bool running)
{
    const int idle = running ? 0 : 1;
    tk::setAttr(hPP5, PP5_START, tk::Attr::LabelText, running ? "Стоп" : "Старт");
    for (const int ctrl : {PP5_SET_R, PP5_MEAS_R, PP5_NEXT_STEP})
        tk::setAttr(hPP5, ctrl, tk::Attr::Dimmed, idle);
    for (const int ctrl : {PP5_CHAN, PP5_MEAS_MODE})
        tk::setAttr(hPP5, ctrl, tk::Attr::Dimmed, running ? 1 : 0);
    tk::setAttr(hPP5, PP5_TEXTMSG, tk::Attr::Visible, running ? 1 : 0);
}

// The run's driver calls. Without a session the run goes on regardless (the
// operator may keep a protocol of a module the program cannot reach); with one,
// every failure is shown, and a refused switch or setting ends the run: a
// point the module was not set to is never judged or written.
bool driverOk(ModuleCall call, ViStatus status)
{
    return mvi == 0 || moduleOk(call, status);
}

// Ends a run: the panel back to idle, the channel off and set to 0 Ω.
void stopRun()
{
    pp5Running = 0;
    showRunning(false);
    const ViUInt16 channel = chosenChannel();
    driverOk(ModuleCall::ChanOff, tvksil2_switch(mvi, channel, 0));
    driverOk(ModuleCall::ChanSetZero, tvksil2_config_R(mvi, channel, 0.0));
    tk::setValue(hPP5, PP5_SET_R, 0.0);
}

// The operator's value of the point once "Далее" is pressed: a value that is
// not a reading is refused and the run waits at the point again. Nothing when
// the run was stopped meanwhile.
std::optional<double> enteredPoint()
{
    for (;;) {
        while (pp5Running && pp5WaitStep)
            tk::processEvents();
        if (!pp5Running)
            return std::nullopt;
        // An empty field: "Далее" with nothing typed waits on.
        if (std::isnan(tk::numValue(hPP5, PP5_MEAS_R))) {
            pp5WaitStep = 1;
            continue;
        }
        if (const std::optional<double> measured = enteredReading(hPP5, PP5_MEAS_R))
            return measured;
        pp5WaitStep = 1;
    }
}

history::Ksil5Settings settingsOf(ViUInt16 channel, int ringTemp, int temperature, double tolerance)
{
    history::Ksil5Settings settings;
    settings.channel = channel;
    settings.mode = tk::intValue(hPP5, PP5_MEAS_MODE);
    settings.modeText = tk::textValue(hPP5, PP5_MEAS_MODE);
    settings.temperature = ringTemp;
    settings.temperatureText = tk::textValue(hPP5, PP5_RING_TEMP);
    if (ringTemp == 3)
        settings.temperatureC = temperature;
    settings.tolerance = tolerance;
    return settings;
}

void runSteps()
{
    const int ringTemp = tk::intValue(hPP5, PP5_RING_TEMP);
    int temperature = 0;
    if (ringTemp == 3) {
        // A temperature the field cannot hold is refused before the run starts.
        const std::optional<double> typed = enteredSetting(hPP5, PP5_NUMERIC_TEMP);
        if (!typed)
            return;
        temperature = static_cast<int>(*typed);
    }

    pp5Running = 1;
    showRunning(true);
    tk::resetTextBox(hPP5, PP5_BOX_PROT, "");

    // The run's own protocol; the КСИЛ2-4Л protocol keeps its name.
    const std::string path = tk::textValue(hPP5, PP5_LINE_PROT);
    const ViUInt16 channel = chosenChannel();
    const double tolerance = pp5Tolerance(tk::intValue(hPP5, PP5_MEAS_MODE), ringTemp, temperature);
    // Stopped by START inside a wait, the run ends as stopped.
    runrecord::Scope record(history::RunKind::Ksil5Verification, history::ReadingsFrom::Operator);
    runrecord::current()->ksil5 = settingsOf(channel, ringTemp, temperature, tolerance);

    if (!driverOk(ModuleCall::ChanOn, tvksil2_switch(mvi, channel, 1))) {
        stopRun();
        runrecord::finish(history::RunEnd::DriverError);
        return;
    }

    const int file = ksil5OpenProtocol(path);
    if (file < 0) {
        // Not a run without a protocol: the operator learns why, and the channel goes off.
        tk::messagePopup(kProtocolOpenFailedTitle, path);
        stopRun();
        runrecord::finish(history::RunEnd::FileError, std::string(kProtocolOpenFailedTitle) + " " + path);
        return;
    }
    ksil5WriteRunHeader(file, platform::currentTime());
    ksil5WriteChannelTitles(file, channel);

    for (int p = 0; p < kPoints; ++p) {
        const double set = pointValue(p);
        pp5WaitStep = 1;
        tk::setValue(hPP5, PP5_SET_R, set);
        if (!driverOk(ModuleCall::ChanSetPoint, tvksil2_config_R(mvi, channel, set))) {
            ksil5CloseProtocol(file);
            stopRun();
            runrecord::finish(history::RunEnd::DriverError);
            return;
        }
        // The measured value of the point before is gone: "Далее" records only what is typed for this one.
        tk::setValue(hPP5, PP5_MEAS_R, std::nan(""));
        tk::setActiveCtrl(hPP5, PP5_MEAS_R);
        const std::optional<double> measured = enteredPoint();
        if (!measured) {
            ksil5CloseProtocol(file); // stopped by START inside the wait: the stop is done
            return;
        }
        const bool outOfNorm = !(std::fabs(*measured - set) <= tolerance); // a tie is within
        ksil5WritePoint(file, set, *measured, tolerance, outOfNorm);
        chartKsil5Point(p, channel, set, *measured, tolerance);
        runrecord::point(channel, set, *measured, tolerance, outOfNorm);
    }
    ksil5CloseProtocol(file);
    stopRun();
    runrecord::finish(history::RunEnd::Complete);
}

} // namespace

double pp5Tolerance(int measMode, int ringTemp, int temperature)
{
    const double base = measMode != 0 ? 1.5 : 0.6;
    double allowance = 0.0;
    switch (ringTemp) {
    case 0: allowance = 0.065; break; // "5 °С"
    case 1: allowance = 0.0; break;   // "20 °С"
    case 2: allowance = 0.09; break;  // "40 °С"
    case 3:                           // "другая": 0.005 Ω a degree outside 18..22 °C
        if (temperature > 22)
            allowance = 0.005 * (temperature - 22);
        else if (temperature < 18)
            allowance = 0.005 * (18 - temperature);
        break;
    default: break;
    }
    return base + allowance;
}

int start(int, int, int event, void*, int, int)
{
    if (event != tk::EVENT_COMMIT)
        return 0;
    if (pp5Running)
        stopRun();
    else
        runSteps();
    return 0;
}

int next_step(int, int, int event, void*, int, int)
{
    if (event == tk::EVENT_COMMIT)
        pp5WaitStep = 0;
    return 0;
}
