// Stand-in driver of the maker's second standalone multimeter (tvmultc1).
#include "drivers/meters.h"
#include "sim/meter_core.h"

using namespace sim;
using namespace sim::core;
namespace mt = sim::meters;

namespace {
constexpr int kFamily = gauge::kModelDmm1;
constexpr mt::Codes kCodes = gauge::kDmm1Functions;
} // namespace

extern "C" {

SIM_METER_SESSION_ENTRIES(tvmultc1, kFamily)

ViStatus tvmultc1_measure_Q(ViSession vi, ViInt16 function, ViReal64* reading)
{
    return afterGate(enter("tvmultc1_measure_Q", vi, function), [&]() -> ViStatus {
        return mt::measure(kFamily, vi, kCodes, function, reading);
    });
}

// Sets the function that later readings take.
ViStatus tvmultc1_configure(ViSession vi, ViInt16 function)
{
    return afterGate(enter("tvmultc1_configure", vi, function), [&]() -> ViStatus {
        return mt::setFunction(kFamily, vi, kCodes, function);
    });
}

ViStatus tvmultc1_reconfig(ViSession vi)
{
    return afterGate(enter("tvmultc1_reconfig", vi), [&]() -> ViStatus {
        return mt::accept(kFamily, vi);
    });
}

ViStatus tvmultc1_conf_func(ViSession vi, ViInt16 function)
{
    return afterGate(enter("tvmultc1_conf_func", vi, function), [&]() -> ViStatus {
        return mt::setFunction(kFamily, vi, kCodes, function);
    });
}

ViStatus tvmultc1_currDcRang(ViSession vi, ViBoolean autoRange, ViReal64 range)
{
    return afterGate(enter("tvmultc1_currDcRang", vi, autoRange, range), [&]() -> ViStatus {
        return mt::setRange(kFamily, vi, &Meter::State::currRange, autoRange, range);
    });
}

ViStatus tvmultc1_voltDcRang(ViSession vi, ViBoolean autoRange, ViReal64 range)
{
    return afterGate(enter("tvmultc1_voltDcRang", vi, autoRange, range), [&]() -> ViStatus {
        return mt::setRange(kFamily, vi, &Meter::State::voltRange, autoRange, range);
    });
}

ViStatus tvmultc1_fresRang(ViSession vi, ViBoolean autoRange, ViReal64 range)
{
    return afterGate(enter("tvmultc1_fresRang", vi, autoRange, range), [&]() -> ViStatus {
        return mt::setRange(kFamily, vi, &Meter::State::resRange, autoRange, range);
    });
}

ViStatus tvmultc1_currDcNplc(ViSession vi, ViReal64 nplc)
{
    return afterGate(enter("tvmultc1_currDcNplc", vi, nplc), [&]() -> ViStatus {
        return mt::setValue(kFamily, vi, &Meter::State::currNplc, nplc);
    });
}

ViStatus tvmultc1_voltDcNplc(ViSession vi, ViReal64 nplc)
{
    return afterGate(enter("tvmultc1_voltDcNplc", vi, nplc), [&]() -> ViStatus {
        return mt::setValue(kFamily, vi, &Meter::State::voltNplc, nplc);
    });
}

ViStatus tvmultc1_trigCoun(ViSession vi, ViInt32 count)
{
    return afterGate(enter("tvmultc1_trigCoun", vi, count), [&]() -> ViStatus {
        return mt::setTrigCount(kFamily, vi, count);
    });
}

// Trigger delay and source are accepted; readings are taken at once.
ViStatus tvmultc1_trigDel(ViSession vi, ViInt16 mode, ViReal64 delay)
{
    return afterGate(enter("tvmultc1_trigDel", vi, mode, delay), [&]() -> ViStatus {
        return delay < 0.0 ? kStatusBadParameter : mt::accept(kFamily, vi);
    });
}

ViStatus tvmultc1_trigSour(ViSession vi, ViInt16 source, ViInt16 slope)
{
    return afterGate(enter("tvmultc1_trigSour", vi, source, slope), [&]() -> ViStatus {
        return mt::accept(kFamily, vi);
    });
}

#ifndef SIM_BROKEN
// One reading of the configured function (four-wire resistance until configured).
ViStatus tvmultc1_read_Q(ViSession vi, ViInt32* count, ViReal64* reading)
{
    return afterGate(enter("tvmultc1_read_Q", vi), [&]() -> ViStatus {
        return mt::with(kFamily, vi, [&](Meter& m) {
            if (!reading) return kStatusBadParameter;
            const auto q = mt::quantityOf(kCodes, m.state.function).value_or(mt::Quantity::Resistance);
            *reading = mt::reading(m, q);
            if (count) *count = 1;
            return VI_SUCCESS;
        });
    });
}
#endif


} // extern "C"
