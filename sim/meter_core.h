// The multimeter behaviour the five family stand-ins share; each family maps
// its own entry points and function codes onto these.
#pragma once

#include "drivers/meters.h"
#include "sim/core.h"

#include <functional>

namespace sim::meters {

enum class Quantity { Resistance, VoltDc, CurrDc };

// Function codes of a family for four-wire resistance, DC voltage, DC current.
using Codes = gauge::FunctionCodes;
std::optional<Quantity> quantityOf(const Codes& codes, int function);

// Opens a session on the meter of that family at the resource. The mezzanine
// meter (family 32) opens on its carrier and finds its meter at connect.
ViStatus init(int family, ViConstString rsrcName, ViSession* vi);
ViStatus connect(ViSession vi, ViSession baseSession, ViUInt16 mezNum);
ViStatus close(int family, ViSession vi);
// Runs change on the session's meter; statuses of a bad session are returned.
ViStatus with(int family, ViSession vi, const std::function<ViStatus(Meter&)>& change);
// Takes one reading of the quantity: spends the conversion time on the
// platform clock, applies gain error and noise, reports an open circuit or
// an overload (above 1.2 × a fixed range) as kOpenCircuit; a meter with a
// fixedReading delivers that for resistance.
double reading(Meter& m, Quantity q);
ViStatus errorMessage(ViStatus status, ViChar message[256]);

// Helpers for the common entry points.
ViStatus setRange(int family, ViSession vi, double Meter::State::*field, ViBoolean autoRange, double range);
ViStatus setValue(int family, ViSession vi, double Meter::State::*field, double value);
ViStatus setFunction(int family, ViSession vi, const Codes& codes, int function);
ViStatus setTrigCount(int family, ViSession vi, ViInt32 count);
// One reading of the quantity of function (a family code) into *value.
ViStatus measure(int family, ViSession vi, const Codes& codes, int function, ViReal64* value);
// Accepts a call that changes nothing the bench models, on a valid session.
ViStatus accept(int family, ViSession vi);
// Puts the session's meter back to its power-on state.
ViStatus reset(int family, ViSession vi);

} // namespace sim::meters

// The four session entry points every family exports under its own prefix:
// <prefix>_init, <prefix>_close, <prefix>_reset, <prefix>_error_message.
// Used inside extern "C" in each family's file; each call is journalled and
// passes the fault plan under its own name.
#define SIM_METER_SESSION_ENTRIES(prefix, family)                                                    \
    ViStatus prefix##_init(ViConstString rsrcName, ViBoolean idQuery, ViBoolean reset, ViSession* vi) \
    {                                                                                                \
        if (vi) *vi = 0;                                                                             \
        return sim::core::afterGate(sim::core::enter(#prefix "_init", rsrcName, idQuery, reset),     \
                                    [&]() -> ViStatus { return sim::meters::init(family, rsrcName, vi); });\
    }                                                                                                \
    ViStatus prefix##_close(ViSession vi)                                                            \
    {                                                                                                \
        return sim::core::afterGate(sim::core::enter(#prefix "_close", vi),                          \
                                    [&]() -> ViStatus { return sim::meters::close(family, vi); });   \
    }                                                                                                \
    ViStatus prefix##_reset(ViSession vi)                                                            \
    {                                                                                                \
        return sim::core::afterGate(sim::core::enter(#prefix "_reset", vi),                          \
                                    [&]() -> ViStatus { return sim::meters::reset(family, vi); });   \
    }                                                                                                \
    ViStatus prefix##_error_message(ViSession vi, ViStatus status, ViChar message[256])              \
    {                                                                                                \
        if (auto st = sim::core::enter(#prefix "_error_message", vi, status)) return *st;            \
        return sim::meters::errorMessage(status, message);                                           \
    }
