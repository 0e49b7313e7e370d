// C signatures of the multimeter families' entry points, as the multimeter
// layer binds them by name. Statuses follow VISA: 0 success, negative error,
// positive warning. Range calls take (session, flag, range): flag 0 keeps the
// range given, non-zero lets the meter choose. Ranges in ohms, volts, amperes.
#pragma once

#include "platform/visa.h"

extern "C" {

// Shared by every family.
using meter_init_t = ViStatus (*)(ViConstString rsrcName, ViBoolean idQuery, ViBoolean reset, ViSession* vi);
using meter_close_t = ViStatus (*)(ViSession vi);
using meter_reset_t = ViStatus (*)(ViSession vi);
using meter_error_message_t = ViStatus (*)(ViSession vi, ViStatus status, ViChar message[256]);
using meter_nplc_t = ViStatus (*)(ViSession vi, ViReal64 nplc);
using meter_rang_t = ViStatus (*)(ViSession vi, ViBoolean autoRange, ViReal64 range);
using meter_func_t = ViStatus (*)(ViSession vi, ViInt16 function);
using meter_trigCoun_t = ViStatus (*)(ViSession vi, ViInt32 count);
// One reading of the given function.
using meter_measure_Q_t = ViStatus (*)(ViSession vi, ViInt16 function, ViReal64* reading);

// HP E1412 (hpe1412_32).
using hpe1412_initImm_t = ViStatus (*)(ViSession vi);
// Waits at most timeoutMs for the reading of the last initiate; count = readings delivered.
using hpe1412_timedFetch_Q_t = ViStatus (*)(ViSession vi, ViInt32 timeoutMs, ViReal64* reading, ViInt32* count);

// tvmultc1 and tvmmultc1_32.
using meter_configure_t = ViStatus (*)(ViSession vi, ViInt16 function);
using meter_reconfig_t = ViStatus (*)(ViSession vi);
using meter_trigDel_t = ViStatus (*)(ViSession vi, ViInt16 mode, ViReal64 delay);
using meter_trigSour_t = ViStatus (*)(ViSession vi, ViInt16 source, ViInt16 slope);
// tvmultc1: one reading of the configured function; count = readings delivered.
using tvmultc1_read_Q_t = ViStatus (*)(ViSession vi, ViInt32* count, ViReal64* reading);
// tvmmultc1_32: binds the meter session to the mezzanine at that position of the carrier session.
using tvmmultc1_connect_t = ViStatus (*)(ViSession vi, ViSession baseSession, ViUInt16 mezNum, ViBoolean idQuery,
                                         ViBoolean reset);

} // extern "C"
