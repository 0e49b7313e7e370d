// Stand-in carrier driver (tvbase_32): sessions on carriers and the question
// which module sits at each mezzanine position.
#include "sim/core.h"
#include "drivers/mezzanine.h"
#include "drivers/tvbase.h"

using namespace sim;
using namespace sim::core;

extern "C" {

ViStatus tvbase_init(ViConstString rsrcName, ViBoolean idQuery, ViBoolean reset, ViSession* vi)
{
    if (vi) *vi = 0;
    return afterGate(enter("tvbase_init", rsrcName, idQuery, reset), [&]() -> ViStatus {
        if (!rsrcName || !vi) return kStatusBadParameter;
        const Instrument* in = instrument(rsrcName);
        if (!in) return VI_ERROR_RSRC_NFOUND;
        if (!in->carrier) return kStatusNotCarrier;
        *vi = open(makeSession(Kind::Carrier, in->address));
        return VI_SUCCESS;
    });
}

ViStatus tvbase_m_type_q(ViSession vi, ViInt16 position, ViInt16* present, ViInt16* model)
{
    return afterGate(enter("tvbase_m_type_q", vi, position), [&]() -> ViStatus {
        const Session* s = find(vi, Kind::Carrier);
        if (!s || !instrument(s->address)) return VI_ERROR_INV_OBJECT;
        if (position < 1 || position > kMezzaninePositions || !present || !model) return kStatusBadParameter;
        const Mezzanine* mz = mezzanine(s->address, position);
        *present = mz ? 1 : 0;
        *model = mz ? static_cast<ViInt16>(mz->model) : 0;
        return VI_SUCCESS;
    });
}

#ifndef SIM_BROKEN
ViStatus tvbase_close(ViSession vi)
{
    return afterGate(enter("tvbase_close", vi), [&]() -> ViStatus {
        if (!find(vi, Kind::Carrier)) return VI_ERROR_INV_OBJECT;
        close(vi);
        return VI_SUCCESS;
    });
}
#endif

} // extern "C"
