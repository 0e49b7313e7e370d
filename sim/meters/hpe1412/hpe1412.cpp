// Stand-in HP E1412 driver (hpe1412_32): function, trigger count, initiate,
// then a timed fetch of the reading.
#include "drivers/meters.h"
#include "platform/clock.h"
#include "sim/meter_core.h"

using namespace sim;
using namespace sim::core;
namespace mt = sim::meters;

namespace {
constexpr int kFamily = gauge::kModelHpE1412;
constexpr mt::Codes kCodes = gauge::kHpE1412Functions;
} // namespace

extern "C" {

SIM_METER_SESSION_ENTRIES(hpe1412, kFamily)

ViStatus hpe1412_currDcNplc(ViSession vi, ViReal64 nplc)
{
    return afterGate(enter("hpe1412_currDcNplc", vi, nplc), [&]() -> ViStatus {
        return mt::setValue(kFamily, vi, &Meter::State::currNplc, nplc);
    });
}

ViStatus hpe1412_currDcRang(ViSession vi, ViBoolean autoRange, ViReal64 range)
{
    return afterGate(enter("hpe1412_currDcRang", vi, autoRange, range), [&]() -> ViStatus {
        return mt::setRange(kFamily, vi, &Meter::State::currRange, autoRange, range);
    });
}

ViStatus hpe1412_func(ViSession vi, ViInt16 function)
{
    return afterGate(enter("hpe1412_func", vi, function), [&]() -> ViStatus {
        return mt::setFunction(kFamily, vi, kCodes, function);
    });
}

ViStatus hpe1412_initImm(ViSession vi)
{
    return afterGate(enter("hpe1412_initImm", vi), [&]() -> ViStatus {
        return mt::with(kFamily, vi, [](Meter& m) {
            m.state.initiated = true;
            return VI_SUCCESS;
        });
    });
}

ViStatus hpe1412_voltDcNplc(ViSession vi, ViReal64 nplc)
{
    return afterGate(enter("hpe1412_voltDcNplc", vi, nplc), [&]() -> ViStatus {
        return mt::setValue(kFamily, vi, &Meter::State::voltNplc, nplc);
    });
}

ViStatus hpe1412_voltDcRang(ViSession vi, ViBoolean autoRange, ViReal64 range)
{
    return afterGate(enter("hpe1412_voltDcRang", vi, autoRange, range), [&]() -> ViStatus {
        return mt::setRange(kFamily, vi, &Meter::State::voltRange, autoRange, range);
    });
}

ViStatus hpe1412_resRang(ViSession vi, ViBoolean autoRange, ViReal64 range)
{
    return afterGate(enter("hpe1412_resRang", vi, autoRange, range), [&]() -> ViStatus {
        return mt::setRange(kFamily, vi, &Meter::State::resRange, autoRange, range);
    });
}

#ifndef SIM_BROKEN
// Delivers the readings of the last initiate; without one, nothing comes and
// the fetch waits out its time-out.
ViStatus hpe1412_timedFetch_Q(ViSession vi, ViInt32 timeoutMs, ViReal64* reading, ViInt32* count)
{
    return afterGate(enter("hpe1412_timedFetch_Q", vi, timeoutMs), [&]() -> ViStatus {
        return mt::with(kFamily, vi, [&](Meter& m) {
            if (!reading) return kStatusBadParameter;
            if (count) *count = 0;
            if (!m.state.initiated) {
                platform::clock().delay(timeoutMs / 1000.0);
                return VI_ERROR_TMO;
            }
            m.state.initiated = false;
            const auto q = mt::quantityOf(kCodes, m.state.function).value_or(mt::Quantity::Resistance);
            for (ViInt32 i = 0; i < m.state.trigCount; ++i) {
                const double v = mt::reading(m, q);
                if (i == 0) *reading = v;
            }
            if (count) *count = m.state.trigCount;
            return VI_SUCCESS;
        });
    });
}
#endif

ViStatus hpe1412_trigCoun(ViSession vi, ViInt32 count)
{
    return afterGate(enter("hpe1412_trigCoun", vi, count), [&]() -> ViStatus {
        return mt::setTrigCount(kFamily, vi, count);
    });
}

} // extern "C"
