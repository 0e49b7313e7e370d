// Stand-in HP 3458A driver (hp3458a): one measure call takes a whole reading.
#include "drivers/meters.h"
#include "sim/meter_core.h"

using namespace sim;
using namespace sim::core;
namespace mt = sim::meters;

namespace {
constexpr int kFamily = gauge::kModelHp3458;
constexpr mt::Codes kCodes = gauge::kHp3458Functions;
} // namespace

extern "C" {

SIM_METER_SESSION_ENTRIES(hp3458a, kFamily)

// One integration time for every function on this meter.
ViStatus hp3458a_nplc(ViSession vi, ViReal64 nplc)
{
    return afterGate(enter("hp3458a_nplc", vi, nplc), [&]() -> ViStatus {
        ViStatus status = mt::setValue(kFamily, vi, &Meter::State::voltNplc, nplc);
        return status == VI_SUCCESS ? mt::setValue(kFamily, vi, &Meter::State::currNplc, nplc) : status;
    });
}

ViStatus hp3458a_currDcRang(ViSession vi, ViBoolean autoRange, ViReal64 range)
{
    return afterGate(enter("hp3458a_currDcRang", vi, autoRange, range), [&]() -> ViStatus {
        return mt::setRange(kFamily, vi, &Meter::State::currRange, autoRange, range);
    });
}

ViStatus hp3458a_func(ViSession vi, ViInt16 function)
{
    return afterGate(enter("hp3458a_func", vi, function), [&]() -> ViStatus {
        return mt::setFunction(kFamily, vi, kCodes, function);
    });
}

ViStatus hp3458a_voltDcRang(ViSession vi, ViBoolean autoRange, ViReal64 range)
{
    return afterGate(enter("hp3458a_voltDcRang", vi, autoRange, range), [&]() -> ViStatus {
        return mt::setRange(kFamily, vi, &Meter::State::voltRange, autoRange, range);
    });
}

ViStatus hp3458a_resRang(ViSession vi, ViBoolean autoRange, ViReal64 range)
{
    return afterGate(enter("hp3458a_resRang", vi, autoRange, range), [&]() -> ViStatus {
        return mt::setRange(kFamily, vi, &Meter::State::resRange, autoRange, range);
    });
}

#ifndef SIM_BROKEN
ViStatus hp3458a_measure_Q(ViSession vi, ViInt16 function, ViReal64* reading)
{
    return afterGate(enter("hp3458a_measure_Q", vi, function), [&]() -> ViStatus {
        return mt::measure(kFamily, vi, kCodes, function, reading);
    });
}
#endif

ViStatus hp3458a_trigCoun(ViSession vi, ViInt32 count)
{
    return afterGate(enter("hp3458a_trigCoun", vi, count), [&]() -> ViStatus {
        return mt::setTrigCount(kFamily, vi, count);
    });
}

} // extern "C"
