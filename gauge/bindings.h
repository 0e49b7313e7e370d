// The bound entry points of the meter families, one process-wide pointer per
// entry point, named p_ plus the entry point's name. Set by loadLibs when the
// whole family binds; null while the family is unbound.
#pragma once

#include "drivers/meters.h"

#include <string>

// HP E1412 (family 579).
extern meter_init_t p_hpe1412_init;
extern meter_close_t p_hpe1412_close;
extern meter_reset_t p_hpe1412_reset;
extern meter_error_message_t p_hpe1412_error_message;
extern meter_nplc_t p_hpe1412_currDcNplc;
extern meter_rang_t p_hpe1412_currDcRang;
extern meter_func_t p_hpe1412_func;
extern hpe1412_initImm_t p_hpe1412_initImm;
extern meter_nplc_t p_hpe1412_voltDcNplc;
extern meter_rang_t p_hpe1412_voltDcRang;
extern meter_rang_t p_hpe1412_resRang;
extern hpe1412_timedFetch_Q_t p_hpe1412_timedFetch_Q;
extern meter_trigCoun_t p_hpe1412_trigCoun;

// HP 3458A (family 3458).
extern meter_init_t p_hp3458a_init;
extern meter_close_t p_hp3458a_close;
extern meter_reset_t p_hp3458a_reset;
extern meter_error_message_t p_hp3458a_error_message;
extern meter_nplc_t p_hp3458a_nplc;
extern meter_rang_t p_hp3458a_currDcRang;
extern meter_func_t p_hp3458a_func;
extern meter_rang_t p_hp3458a_voltDcRang;
extern meter_rang_t p_hp3458a_resRang;
extern meter_measure_Q_t p_hp3458a_measure_Q;
extern meter_trigCoun_t p_hp3458a_trigCoun;

// DMM, tvmult (family 324).
extern meter_init_t p_tvmult_init;
extern meter_close_t p_tvmult_close;
extern meter_reset_t p_tvmult_reset;
extern meter_error_message_t p_tvmult_error_message;
extern meter_nplc_t p_tvmult_voltDcNplc;
extern meter_nplc_t p_tvmult_currDcNplc;
extern meter_rang_t p_tvmult_currDcRang;
extern meter_func_t p_tvmult_func;
extern meter_rang_t p_tvmult_voltDcRang;
extern meter_rang_t p_tvmult_fresRang;
extern meter_measure_Q_t p_tvmult_measure_Q;
extern meter_trigCoun_t p_tvmult_trigCoun;

// ЦMM1, tvmultc1 (family 356).
extern meter_init_t p_tvmultc1_init;
extern meter_close_t p_tvmultc1_close;
extern meter_reset_t p_tvmultc1_reset;
extern meter_error_message_t p_tvmultc1_error_message;
extern meter_measure_Q_t p_tvmultc1_measure_Q;
extern meter_configure_t p_tvmultc1_configure;
extern meter_reconfig_t p_tvmultc1_reconfig;
extern meter_func_t p_tvmultc1_conf_func;
extern meter_rang_t p_tvmultc1_currDcRang;
extern meter_rang_t p_tvmultc1_voltDcRang;
extern meter_rang_t p_tvmultc1_fresRang;
extern meter_nplc_t p_tvmultc1_currDcNplc;
extern meter_nplc_t p_tvmultc1_voltDcNplc;
extern meter_trigCoun_t p_tvmultc1_trigCoun;
extern meter_trigDel_t p_tvmultc1_trigDel;
extern meter_trigSour_t p_tvmultc1_trigSour;
extern tvmultc1_read_Q_t p_tvmultc1_read_Q;

// МЦMM, the mezzanine meter tvmmultc1 (family 32).
extern meter_init_t p_tvmmultc1_init;
extern tvmmultc1_connect_t p_tvmmultc1_connect;
extern meter_close_t p_tvmmultc1_close;
extern meter_reset_t p_tvmmultc1_reset;
extern meter_error_message_t p_tvmmultc1_error_message;
extern meter_measure_Q_t p_tvmmultc1_measure_Q;
extern meter_configure_t p_tvmmultc1_configure;
extern meter_func_t p_tvmmultc1_conf_func;
extern meter_rang_t p_tvmmultc1_currDcRang;
extern meter_rang_t p_tvmmultc1_voltDcRang;
extern meter_rang_t p_tvmmultc1_fresRang;
extern meter_nplc_t p_tvmmultc1_currDcNplc;
extern meter_nplc_t p_tvmmultc1_voltDcNplc;
extern meter_trigCoun_t p_tvmmultc1_trigCoun;
extern meter_trigDel_t p_tvmmultc1_trigDel;
extern meter_trigSour_t p_tvmmultc1_trigSour;

// The carrier of the mezzanine meter (family 269); same signatures as a meter's.
extern meter_init_t p_tvbase_init;
extern meter_close_t p_tvbase_close;

namespace gauge {
// True when the family of that model code is bound (its p_…_init is set).
bool familyBound(int modelCode);
// One line saying why the last failed loadLibs failed: the library that could
// not be loaded, or the entry point missing from which file.
const std::string& lastBindError();
} // namespace gauge
