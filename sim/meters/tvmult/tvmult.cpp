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
    if (auto st = enter("tvmult_voltDcNplc", vi, nplc)) return *st;
    return mt::setValue(kFamily, vi, &Meter::State::voltNplc, nplc);
}

ViStatus tvmult_currDcNplc(ViSession vi, ViReal64 nplc)
{
    if (auto st = enter("tvmult_currDcNplc", vi, nplc)) return *st;
    return mt::setValue(kFamily, vi, &Meter::State::currNplc, nplc);
}

ViStatus tvmult_currDcRang(ViSession vi, ViBoolean autoRange, ViReal64 range)
{
    if (auto st = enter("tvmult_currDcRang", vi, autoRange, range)) return *st;
    return mt::setRange(kFamily, vi, &Meter::State::currRange, autoRange, range);
}

ViStatus tvmult_func(ViSession vi, ViInt16 function)
{
    if (auto st = enter("tvmult_func", vi, function)) return *st;
    return mt::setFunction(kFamily, vi, kCodes, function);
}

ViStatus tvmult_voltDcRang(ViSession vi, ViBoolean autoRange, ViReal64 range)
{
    if (auto st = enter("tvmult_voltDcRang", vi, autoRange, range)) return *st;
    return mt::setRange(kFamily, vi, &Meter::State::voltRange, autoRange, range);
}

#ifndef SIM_BROKEN
ViStatus tvmult_fresRang(ViSession vi, ViBoolean autoRange, ViReal64 range)
{
    if (auto st = enter("tvmult_fresRang", vi, autoRange, range)) return *st;
    return mt::setRange(kFamily, vi, &Meter::State::resRange, autoRange, range);
}
#endif

ViStatus tvmult_measure_Q(ViSession vi, ViInt16 function, ViReal64* reading)
{
    if (auto st = enter("tvmult_measure_Q", vi, function)) return *st;
    return mt::measure(kFamily, vi, kCodes, function, reading);
}

ViStatus tvmult_trigCoun(ViSession vi, ViInt32 count)
{
    if (auto st = enter("tvmult_trigCoun", vi, count)) return *st;
    return mt::setTrigCount(kFamily, vi, count);
}

} // extern "C"
