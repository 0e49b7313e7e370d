#include "sim/meter_core.h"
#include "platform/clock.h"

#include <cmath>
#include <numbers>

namespace sim::meters {
namespace {

Meter* meterAt(const core::Session& s)
{
    if (s.family == kModelMezMeter) {
        Mezzanine* mz = s.position ? mezzanine(s.address, s.position) : nullptr;
        return (mz && mz->meter) ? &*mz->meter : nullptr;
    }
    Instrument* in = instrument(s.address);
    return (in && in->meter && in->meter->family == s.family) ? &*in->meter : nullptr;
}

// Standard normal deviate from the meter's own generator (Box-Muller), the
// same on every platform.
double gaussian(std::mt19937& rng)
{
    const double u1 = (rng() + 1.0) / 4294967297.0;
    const double u2 = rng() / 4294967296.0;
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
}

} // namespace

std::optional<Quantity> quantityOf(const Codes& codes, int function)
{
    if (function == codes.fres) return Quantity::Resistance;
    if (function == codes.voltDc) return Quantity::VoltDc;
    if (function == codes.currDc) return Quantity::CurrDc;
    return std::nullopt;
}

ViStatus init(int family, ViConstString rsrcName, ViSession* vi)
{
    if (!rsrcName || !vi) return kStatusBadParameter;
    const Instrument* in = instrument(rsrcName);
    if (!in) return VI_ERROR_RSRC_NFOUND;
    if (family == kModelMezMeter ? !in->carrier : !(in->meter && in->meter->family == family))
        return VI_ERROR_RSRC_NFOUND;
    core::Session s = core::makeSession(core::Kind::Meter, in->address);
    s.family = family;
    *vi = core::open(std::move(s));
    return VI_SUCCESS;
}

ViStatus connect(ViSession vi, ViSession baseSession, ViUInt16 mezNum)
{
    core::Session* s = core::find(vi, core::Kind::Meter);
    const core::Session* base = core::find(baseSession, core::Kind::Carrier);
    if (!s || !base || s->family != kModelMezMeter) return VI_ERROR_INV_OBJECT;
    const Mezzanine* mz = mezzanine(base->address, mezNum);
    if (!mz || !mz->meter) return kStatusNoModule;
    s->address = base->address;
    s->position = mezNum;
    return VI_SUCCESS;
}

ViStatus close(int family, ViSession vi)
{
    const core::Session* s = core::find(vi, core::Kind::Meter);
    if (!s || s->family != family) return VI_ERROR_INV_OBJECT;
    core::close(vi);
    return VI_SUCCESS;
}

ViStatus with(int family, ViSession vi, const std::function<ViStatus(Meter&)>& change)
{
    const core::Session* s = core::find(vi, core::Kind::Meter);
    if (!s || s->family != family) return VI_ERROR_INV_OBJECT;
    if (family == kModelMezMeter && !s->position) return kStatusNotConnected;
    Meter* m = meterAt(*s);
    if (!m) return VI_ERROR_INV_OBJECT;
    return change(*m);
}

double reading(Meter& m, Quantity q)
{
    platform::clock().delay(m.conversionTime);
    ++m.state.readings;
    const double noise = gaussian(m.state.rng);
    double truth = 0.0;
    double range = 0.0;
    switch (q) {
    case Quantity::Resistance:
        if (m.fixedReading) return *m.fixedReading;
        truth = meterTrueResistance(m);
        range = m.state.resRange;
        if (truth >= kOpenCircuit) return kOpenCircuit;
        break;
    case Quantity::VoltDc: truth = m.voltDc; range = m.state.voltRange; break;
    case Quantity::CurrDc: truth = m.currDc; range = m.state.currRange; break;
    }
    const double value = truth * (1.0 + m.gainError) + std::fabs(truth) * m.noise * noise;
    if (range > 0.0 && std::fabs(value) > 1.2 * range) return kOpenCircuit;
    return value;
}

ViStatus errorMessage(ViStatus status, ViChar message[256])
{
    if (!message) return kStatusBadParameter;
    core::copyText(message, 256, statusText(status));
    return VI_SUCCESS;
}

ViStatus setRange(int family, ViSession vi, double Meter::State::*field, ViBoolean autoRange, double range)
{
    return with(family, vi, [&](Meter& m) {
        if (!autoRange && !(range > 0.0)) return kStatusBadParameter;
        m.state.*field = autoRange ? 0.0 : range;
        return VI_SUCCESS;
    });
}

ViStatus setValue(int family, ViSession vi, double Meter::State::*field, double value)
{
    return with(family, vi, [&](Meter& m) {
        if (!(value > 0.0)) return kStatusBadParameter;
        m.state.*field = value;
        return VI_SUCCESS;
    });
}

ViStatus setFunction(int family, ViSession vi, const Codes& codes, int function)
{
    return with(family, vi, [&](Meter& m) {
        if (!quantityOf(codes, function)) return kStatusBadParameter;
        m.state.function = function;
        return VI_SUCCESS;
    });
}

ViStatus setTrigCount(int family, ViSession vi, ViInt32 count)
{
    return with(family, vi, [&](Meter& m) {
        if (count < 1) return kStatusBadParameter;
        m.state.trigCount = count;
        return VI_SUCCESS;
    });
}

ViStatus measure(int family, ViSession vi, const Codes& codes, int function, ViReal64* value)
{
    return with(family, vi, [&](Meter& m) {
        const std::optional<Quantity> q = quantityOf(codes, function);
        if (!q || !value) return kStatusBadParameter;
        *value = reading(m, *q);
        return VI_SUCCESS;
    });
}

ViStatus accept(int family, ViSession vi)
{
    return with(family, vi, [](Meter&) { return VI_SUCCESS; });
}

ViStatus reset(int family, ViSession vi)
{
    return with(family, vi, [](Meter& m) {
        detail::initMeterState(m);
        return VI_SUCCESS;
    });
}

} // namespace sim::meters
