// The multimeter layer as the rest of the program sees it: binding a meter
// family's driver by name, opening and finding a meter, and taking readings.
// Statuses follow VISA: 0 success, positive a warning, negative an error.
#pragma once

#include "drivers/meters.h"
#include "platform/visa.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Meter sessions, 0 = not open; viNM is the carrier session of a mezzanine meter.
extern ViSession viHP1412, viHP3458, viDMM, viDMM1, viM_DMM1, viNM;
// Status of the layer's last examined driver call.
extern ViStatus meterStatus;

// Binds the driver of a meter family (model code 579, 3458, 324, 356, 32, or
// 269 for the carrier of a mezzanine meter). 0 when bound or for a model code
// that is no family; -1 when the library or one of its entry points is missing.
int loadLibs(int modelCode);

// Openings of one family each, with the operator's choice of instrument.
// Each closes its own family's earlier session first; one that goes on to
// open its meter closes every other meter session (and viNM) before, so that
// at most one meter is open. 0: open and set up; 1: none chosen, or the
// driver cannot be bound (openHP1412: -1); otherwise the status of the last
// driver call made.
int openM_DMM1();
int openHP1412();
int openDMM1();
int openDMM();
int openHP3458();

// Tries the families in turn until one opens; tells the operator when none did.
void findMultimeter();
// 1 when any meter session is open.
int isMultimeterOpen();
// Closes every open meter session, then the carrier session of a mezzanine meter.
void closeMultimeter();
// The open meter as the operator knows it: its family and where it was opened
// ("HP3458, GPIB0::22::INSTR"; a mezzanine meter also names its position).
// Empty when no meter is open.
std::string openMeterText();

// One reading from the first open meter (four-wire resistance in ohms, DC volts,
// DC amperes), after the 0.005 s settling wait. -1 when no meter is open, and
// the reading is then left as it was; gauge::kStatusNotANumber, after its report,
// when the driver delivered no number. Only a status of 0 is a reading.
ViStatus measureFres(double* reading);
ViStatus measureVoltDc(double* reading);
ViStatus measureCurrDc(double* reading);
// Fixed range for the resistance or voltage expected; returns meterStatus.
ViStatus setResRange(double ohms);
// setResRange before a reading: false when the meter refused the range (a
// reading on another range is no measurement). Only a status setResRange
// records counts; meterStatus is 0 or that status afterwards.
bool setResRangeForReading(double ohms);
ViStatus setVoltRange(double volts);
// Prepares a ЦMM1 or МЦMM for the function code (kFourWireRes); other meters
// need no preparation.
inline constexpr ViInt16 kFourWireRes = gauge::kDmm1Functions.fres; // the meters configureMeter prepares
static_assert(gauge::kMezDmmFunctions.fres == kFourWireRes);
void configureMeter(ViInt16 function);

// One four-wire resistance reading for the resistance expected: the meter
// prepared, ranged for it, `wait` (when given) for the settling, then read.
// Nothing when the meter refused the range (a reading on another range is no
// measurement, and none is taken) or delivered no reading.
std::optional<double> readResistance(double expected, const std::function<void()>& wait = {});
// The manual setting's order: the range for the resistance expected first,
// then, when `prepare`, the preparation. False when the range was refused.
bool rangeThenPrepare(double expected, bool prepare);
// The reading after rangeThenPrepare: nothing unless `ranged` and the meter
// delivered a reading.
std::optional<double> readRangedResistance(bool ranged);

namespace gauge {

// A reading is a finite number; a meter that delivers NaN or an infinity has
// failed to measure, whatever status its driver returned.
bool validReading(double value);
// Status of a reading that is no number (shown on the status line with the call).
inline constexpr ViStatus kStatusNotANumber = -2;

// The range setResRange and setVoltRange pass to the meter.
double resRangeStep(double ohms);
double voltRangeStep(double volts);

// The meter readings come from now: its family's name and the resource it was
// opened at (both empty when none is open).
struct MeterInUse {
    std::string family;
    std::string resource;
};
MeterInUse meterInUse();

// The instrument the operator chose: its resource and mezzanine position.
struct Choice {
    std::string address;
    ViUInt16 meznum = 0;
};

// What the layer needs from the program around it; set once at start-up.
// A hook left empty is skipped.
struct OperatorHooks {
    // The selection pop-up offering the instruments of one model code.
    std::optional<Choice> (*choose)(const char* title, int modelCode) = nullptr;
    // The operator message panel, holding a wait text while a meter opens.
    void (*showWait)(std::string_view text) = nullptr;
    void (*hideWait)() = nullptr;
    // Replaces the text of the main window's status line.
    void (*showStatus)(const char* text) = nullptr;
    // A meter opening ended: the link indicator follows the sessions now open.
    void (*meterChanged)() = nullptr;
};
void setOperatorHooks(const OperatorHooks& hooks);

} // namespace gauge
