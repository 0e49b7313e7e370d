// Stand-in driver of the maker's standalone multimeter (tvmult).
#include "drivers/meters.h"
#include "sim/meter_core.h"

using namespace sim;
using namespace sim::core;
namespace mt = sim::meters;

namespace {
constexpr int kFamily = gauge::kModelDmm;
constexpr mt::Codes kCodes = gauge::kDmmFunctions;
} // namespace

extern "C" {

SIM_METER_SESSION_ENTRIES(tvmult, kFamily)

ViStatus tvmult_voltDcNplc(ViSession vi, ViReal64 nplc)
{
    return afterGate(enter("tvmult_voltDcNplc", vi, nplc), [&]() -> ViStatus {
        return mt::setValue(kFamily, vi, &Meter::State::voltNplc, nplc);
    });
}

ViStatus tvmult_currDcNplc(ViSession vi, ViReal64 nplc)
{
    return afterGate(enter("tvmult_currDcNplc", vi, nplc), [&]() -> ViStatus {
        return mt::setValue(kFamily, vi, &Meter::State::currNplc, nplc);
    });
}

ViStatus tvmult_currDcRang(ViSession vi, ViBoolean autoRange, ViReal64 range)
{
    return afterGate(enter("tvmult_currDcRang", vi, autoRange, range), [&]() -> ViStatus {
        return mt::setRange(kFamily, vi, &Meter::State::currRange, autoRange, range);
    });
}

ViStatus tvmult_func(ViSession vi, ViInt16 function)
{
    return afterGate(enter("tvmult_func", vi, function), [&]() -> ViStatus {
        return mt::setFunction(kFamily, vi, kCodes, function);
    });
}

ViStatus tvmult_voltDcRang(ViSession vi, ViBoolean autoRange, ViReal64 range)
{
    return afterGate(enter("tvmult_voltDcRang", vi, autoRange, range), [&]() -> ViStatus {
        return mt::setRange(kFamily, vi, &Meter::State::voltRange, autoRange, range);
    });
}

#ifndef SIM_BROKEN
ViStatus tvmult_fresRang(ViSession vi, ViBoolean autoRange, ViReal64 range)
{
    return afterGate(enter("tvmult_fresRang", vi, autoRange, range), [&]() -> ViStatus {
        return mt::setRange(kFamily, vi, &Meter::State::resRange, autoRange, range);
    });
}
#endif

ViStatus tvmult_measure_Q(ViSession vi, ViInt16 function, ViReal64* reading)
{
    return afterGate(enter("tvmult_measure_Q", vi, function), [&]() -> ViStatus {
        return mt::measure(kFamily, vi, kCodes, function, reading);
    });
}

ViStatus tvmult_trigCoun(ViSession vi, ViInt32 count)
{
    return afterGate(enter("tvmult_trigCoun", vi, count), [&]() -> ViStatus {
        return mt::setTrigCount(kFamily, vi, count);
    });
}

} // extern "C"
