// Readings, ranges and preparation on whichever meter is open; the session
// variables alone decide which meter is used.
#include "gauge/bindings.h"
#include "drivers/meters.h"
#include "gauge/labels.h"
#include "gauge/layer.h"

#include "platform/clock.h"

#include <cmath>

namespace {

namespace lb = gauge::labels;

// Settling time before every reading.
constexpr double kReadingSettle = 0.005;
constexpr ViInt32 kFetchTimeoutMs = 10000;
constexpr double kMaxResRange = 1.0e8;
constexpr double kLowestResRange = 100.0;
// A resistance up to this share above a decade is still measured on that decade.
constexpr double kResHeadroom = 0.95;
constexpr double kVoltRangeSteps[] = {0.1, 1.0, 10.0};
// What configureMeter restores before each measurement series.
constexpr double kPrepVoltRange = 10.0;
constexpr double kPrepCurrRange = 0.01;
constexpr double kPrepNplc = 100.0;

enum class Quantity { Fres, VoltDc, CurrDc };

int codeOf(const gauge::FunctionCodes& codes, Quantity q)
{
    switch (q) {
    case Quantity::Fres: return codes.fres;
    case Quantity::VoltDc: return codes.voltDc;
    case Quantity::CurrDc: return codes.currDc;
    }
    return codes.fres;
}

const gauge::labels::ReadingLabels& labelsOf(Quantity q)
{
    switch (q) {
    case Quantity::Fres: return lb::kFres;
    case Quantity::VoltDc: return lb::kVoltDc;
    case Quantity::CurrDc: return lb::kCurrDc;
    }
    return lb::kFres;
}

// The family's calls of one reading; label names the call that delivered it.
ViStatus readFamily(Quantity q, double* reading, std::string_view& label)
{
    Delay(kReadingSettle);
    const auto& labels = labelsOf(q);
    const auto meter = gauge::openMeter(gauge::kReadingOrder);
    if (!meter)
        return -1;
    switch (*meter) {
    case gauge::Meter::HpE1412: {
        const auto code = static_cast<ViInt16>(codeOf(gauge::kHpE1412Functions, q));
        ViStatus st = gauge::checked(labels.hpe1412Func, p_hpe1412_func(viHP1412, code));
        if (st < 0)
            return st;
        st = gauge::checked(lb::kHpE1412TrigCoun, p_hpe1412_trigCoun(viHP1412, 1));
        if (st < 0)
            return st;
        st = gauge::checked(lb::kHpE1412InitImm, p_hpe1412_initImm(viHP1412));
        if (st < 0)
            return st;
        ViInt32 count = 0;
        label = lb::kHpE1412Fetch;
        return gauge::checked(lb::kHpE1412Fetch, p_hpe1412_timedFetch_Q(viHP1412, kFetchTimeoutMs, reading, &count));
    }
    case gauge::Meter::Hp3458: {
        const auto code = static_cast<ViInt16>(codeOf(gauge::kHp3458Functions, q));
        label = labels.hp3458aMeasure;
        return gauge::checked(labels.hp3458aMeasure, p_hp3458a_measure_Q(viHP3458, code, reading));
    }
    case gauge::Meter::Dmm: {
        const auto code = static_cast<ViInt16>(codeOf(gauge::kDmmFunctions, q));
        label = labels.tvmultMeasure;
        return gauge::checked(labels.tvmultMeasure, p_tvmult_measure_Q(viDMM, code, reading));
    }
    case gauge::Meter::Dmm1: {
        // Reads the function configureMeter set; no function code here.
        ViInt32 count = 0;
        label = labels.tvmultc1Read;
        return gauge::checked(labels.tvmultc1Read, p_tvmultc1_read_Q(viDMM1, &count, reading));
    }
    case gauge::Meter::MezDmm: {
        const auto code = static_cast<ViInt16>(codeOf(gauge::kMezDmmFunctions, q));
        label = labels.tvmmultc1Measure;
        return gauge::checked(labels.tvmmultc1Measure, p_tvmmultc1_measure_Q(viM_DMM1, code, reading));
    }
    }
    return -1;
}

// A reading whose calls succeeded but which is not a number is a failed reading.
ViStatus read(Quantity q, double* reading)
{
    std::string_view label;
    const ViStatus status = readFamily(q, reading, label);
    if (status < 0 || gauge::validReading(*reading))
        return status;
    return gauge::notANumber(label, *reading);
}

} // namespace

ViStatus measureFres(double* reading)
{
    return read(Quantity::Fres, reading);
}

ViStatus measureVoltDc(double* reading)
{
    return read(Quantity::VoltDc, reading);
}

ViStatus measureCurrDc(double* reading)
{
    return read(Quantity::CurrDc, reading);
}

namespace gauge {

double resRangeStep(double ohms)
{
    const double r = kResHeadroom * ohms;
    double step = kLowestResRange;
    if (r > kLowestResRange)
        step = std::pow(10.0, std::trunc(std::log10(r)) + 1.0);
    return step > kMaxResRange ? kMaxResRange : step;
}

double voltRangeStep(double volts)
{
    for (double step : kVoltRangeSteps)
        if (volts <= step)
            return step;
    return kVoltRangeSteps[std::size(kVoltRangeSteps) - 1];
}

} // namespace gauge

ViStatus setResRange(double ohms)
{
    const double step = gauge::resRangeStep(ohms);
    const auto meter = gauge::openMeter(gauge::kRangeOrder);
    if (!meter)
        return meterStatus;
    switch (*meter) {
    case gauge::Meter::HpE1412:
        gauge::checked(lb::kHpE1412ResRang, p_hpe1412_resRang(viHP1412, VI_FALSE, step));
        break;
    case gauge::Meter::Hp3458:
        // Reported and recorded like the others': a reading on a range the
        // meter refused is no measurement, and the caller must know.
        gauge::checked(lb::kHp3458ResRang, p_hp3458a_resRang(viHP3458, VI_FALSE, step));
        break;
    case gauge::Meter::Dmm1:
        gauge::checked(lb::kDmm1ResRang, p_tvmultc1_fresRang(viDMM1, VI_FALSE, step));
        break;
    case gauge::Meter::Dmm:
        gauge::checked(lb::kDmmResRang, p_tvmult_fresRang(viDMM, VI_FALSE, step));
        break;
    case gauge::Meter::MezDmm:
        gauge::checked(lb::kMezDmmResRang, p_tvmmultc1_fresRang(viM_DMM1, VI_FALSE, step));
        break;
    }
    return meterStatus;
}

bool setResRangeForReading(double ohms)
{
    meterStatus = 0;
    return setResRange(ohms) >= 0;
}

ViStatus setVoltRange(double volts)
{
    const double step = gauge::voltRangeStep(volts);
    const auto meter = gauge::openMeter(gauge::kRangeOrder);
    if (!meter)
        return meterStatus;
    switch (*meter) {
    case gauge::Meter::HpE1412:
        gauge::checked(lb::kHpE1412VoltDcRang, p_hpe1412_voltDcRang(viHP1412, VI_FALSE, step));
        break;
    case gauge::Meter::Hp3458:
        break; // keeps the range it was given at opening
    case gauge::Meter::Dmm1:
        p_tvmultc1_voltDcRang(viDMM1, VI_FALSE, step); // neither reported nor recorded
        break;
    case gauge::Meter::Dmm:
        gauge::checked(lb::kDmmVoltDcRang, p_tvmult_voltDcRang(viDMM, VI_FALSE, step));
        break;
    case gauge::Meter::MezDmm:
        gauge::checked(lb::kMezDmmVoltDcRang, p_tvmmultc1_voltDcRang(viM_DMM1, VI_FALSE, step));
        break;
    }
    return meterStatus;
}

namespace {

// The preparation entry points of a ЦMM1 or МЦMM, and the prefix of their call texts.
struct PrepApi {
    std::string_view family;
    meter_measure_Q_t measure;
    meter_rang_t voltRang;
    meter_nplc_t voltNplc;
    meter_rang_t currRang;
    meter_nplc_t currNplc;
    meter_configure_t configure;
    meter_trigCoun_t trigCoun;
    meter_trigDel_t trigDel;
    meter_trigSour_t trigSour;
};

// The nine preparation calls. None of them stops the preparation or the
// reading after it, but a failure is shown on the status line.
void prepare(ViSession vi, ViInt16 function, const PrepApi& api)
{
    const auto shown = [&api](const char* call, ViStatus status) {
        if (status < 0)
            gauge::checked(std::string(api.family) + call, status);
    };
    double scratch = 0.0;
    shown("measure_Q", api.measure(vi, function, &scratch)); // one reading, discarded
    shown("voltDcRang", api.voltRang(vi, VI_FALSE, kPrepVoltRange));
    shown("voltDcNplc", api.voltNplc(vi, kPrepNplc));
    shown("currDcRang", api.currRang(vi, VI_FALSE, kPrepCurrRange));
    shown("currDcNplc", api.currNplc(vi, kPrepNplc));
    shown("configure", api.configure(vi, function));
    shown("trigCoun", api.trigCoun(vi, 1));
    shown("trigDel", api.trigDel(vi, 0, 0.0));
    shown("trigSour", api.trigSour(vi, 0, 0));
}

} // namespace

void configureMeter(ViInt16 function)
{
    const auto meter = gauge::openMeter(gauge::kRangeOrder);
    if (meter == gauge::Meter::Dmm1)
        prepare(viDMM1, function,
                PrepApi{gauge::slotOf(gauge::Meter::Dmm1).callPrefix, p_tvmultc1_measure_Q, p_tvmultc1_voltDcRang, p_tvmultc1_voltDcNplc, p_tvmultc1_currDcRang,
                        p_tvmultc1_currDcNplc, p_tvmultc1_configure, p_tvmultc1_trigCoun, p_tvmultc1_trigDel,
                        p_tvmultc1_trigSour});
    else if (meter == gauge::Meter::MezDmm)
        prepare(viM_DMM1, function,
                PrepApi{gauge::slotOf(gauge::Meter::MezDmm).callPrefix, p_tvmmultc1_measure_Q, p_tvmmultc1_voltDcRang, p_tvmmultc1_voltDcNplc,
                        p_tvmmultc1_currDcRang, p_tvmmultc1_currDcNplc, p_tvmmultc1_configure, p_tvmmultc1_trigCoun,
                        p_tvmmultc1_trigDel, p_tvmmultc1_trigSour});
    // The other meters need no preparation.
}

std::optional<double> readRangedResistance(bool ranged)
{
    double reading = 0.0;
    if (!ranged || measureFres(&reading) != 0)
        return std::nullopt;
    return reading;
}

std::optional<double> readResistance(double expected, const std::function<void()>& wait)
{
    configureMeter(kFourWireRes);
    const bool ranged = setResRangeForReading(expected);
    if (wait)
        wait();
    return readRangedResistance(ranged);
}

bool rangeThenPrepare(double expected, bool prepare)
{
    const bool ranged = setResRangeForReading(expected);
    if (prepare)
        configureMeter(kFourWireRes);
    return ranged;
}
