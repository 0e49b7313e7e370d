// Stand-in driver of the maker's mezzanine multimeter (tvmmultc1_32).
#include "drivers/meters.h"
#include "sim/meter_core.h"

using namespace sim;
using namespace sim::core;
namespace mt = sim::meters;

namespace {
constexpr int kFamily = gauge::kModelMezDmm;
constexpr mt::Codes kCodes = gauge::kMezDmmFunctions;
} // namespace

extern "C" {

SIM_METER_SESSION_ENTRIES(tvmmultc1, kFamily)

#ifndef SIM_BROKEN
// Binds the meter session to the mezzanine meter at that position of the carrier session.
ViStatus tvmmultc1_connect(ViSession vi, ViSession baseSession, ViUInt16 mezNum, ViBoolean idQuery, ViBoolean reset)
{
    return afterGate(enter("tvmmultc1_connect", vi, baseSession, mezNum, idQuery, reset), [&]() -> ViStatus {
        return mt::connect(vi, baseSession, mezNum);
    });
}
#endif

ViStatus tvmmultc1_measure_Q(ViSession vi, ViInt16 function, ViReal64* reading)
{
    return afterGate(enter("tvmmultc1_measure_Q", vi, function), [&]() -> ViStatus {
        return mt::measure(kFamily, vi, kCodes, function, reading);
    });
}

// Sets the function that later readings take.
ViStatus tvmmultc1_configure(ViSession vi, ViInt16 function)
{
    return afterGate(enter("tvmmultc1_configure", vi, function), [&]() -> ViStatus {
        return mt::setFunction(kFamily, vi, kCodes, function);
    });
}

ViStatus tvmmultc1_conf_func(ViSession vi, ViInt16 function)
{
    return afterGate(enter("tvmmultc1_conf_func", vi, function), [&]() -> ViStatus {
        return mt::setFunction(kFamily, vi, kCodes, function);
    });
}

ViStatus tvmmultc1_currDcRang(ViSession vi, ViBoolean autoRange, ViReal64 range)
{
    return afterGate(enter("tvmmultc1_currDcRang", vi, autoRange, range), [&]() -> ViStatus {
        return mt::setRange(kFamily, vi, &Meter::State::currRange, autoRange, range);
    });
}

ViStatus tvmmultc1_voltDcRang(ViSession vi, ViBoolean autoRange, ViReal64 range)
{
    return afterGate(enter("tvmmultc1_voltDcRang", vi, autoRange, range), [&]() -> ViStatus {
        return mt::setRange(kFamily, vi, &Meter::State::voltRange, autoRange, range);
    });
}

ViStatus tvmmultc1_fresRang(ViSession vi, ViBoolean autoRange, ViReal64 range)
{
    return afterGate(enter("tvmmultc1_fresRang", vi, autoRange, range), [&]() -> ViStatus {
        return mt::setRange(kFamily, vi, &Meter::State::resRange, autoRange, range);
    });
}

ViStatus tvmmultc1_currDcNplc(ViSession vi, ViReal64 nplc)
{
    return afterGate(enter("tvmmultc1_currDcNplc", vi, nplc), [&]() -> ViStatus {
        return mt::setValue(kFamily, vi, &Meter::State::currNplc, nplc);
    });
}

ViStatus tvmmultc1_voltDcNplc(ViSession vi, ViReal64 nplc)
{
    return afterGate(enter("tvmmultc1_voltDcNplc", vi, nplc), [&]() -> ViStatus {
        return mt::setValue(kFamily, vi, &Meter::State::voltNplc, nplc);
    });
}

ViStatus tvmmultc1_trigCoun(ViSession vi, ViInt32 count)
{
    return afterGate(enter("tvmmultc1_trigCoun", vi, count), [&]() -> ViStatus {
        return mt::setTrigCount(kFamily, vi, count);
    });
}

// Trigger delay and source are accepted; readings are taken at once.
ViStatus tvmmultc1_trigDel(ViSession vi, ViInt16 mode, ViReal64 delay)
{
    return afterGate(enter("tvmmultc1_trigDel", vi, mode, delay), [&]() -> ViStatus {
        return delay < 0.0 ? kStatusBadParameter : mt::accept(kFamily, vi);
    });
}

ViStatus tvmmultc1_trigSour(ViSession vi, ViInt16 source, ViInt16 slope)
{
    return afterGate(enter("tvmmultc1_trigSour", vi, source, slope), [&]() -> ViStatus {
        return mt::accept(kFamily, vi);
    });
}


} // extern "C"
