// The five multimeter families as the multimeter layer binds them by name:
// model codes, driver libraries, entry points in lookup order, the C types of
// the entry points and the function codes each family takes. Statuses follow
// VISA: 0 success, negative error, positive warning. Range calls take
// (session, flag, range): flag 0 keeps the range given, non-zero lets the meter
// choose. Ranges in ohms, volts, amperes.
#pragma once

#include "drivers/mezzanine.h"
#include "drivers/tvbase.h"
#include "drivers/visa.h"

#include <array>
#include <span>
#include <string_view>

extern "C" {

// Function types; every family's entry point below is declared with one of them,
// so a stand-in that drifts from its contract does not compile.
using meter_init_fn = ViStatus(ViConstString rsrcName, ViBoolean idQuery, ViBoolean reset, ViSession* vi);
using meter_close_fn = ViStatus(ViSession vi);
using meter_reset_fn = ViStatus(ViSession vi);
using meter_error_message_fn = ViStatus(ViSession vi, ViStatus status, ViChar message[256]);
using meter_nplc_fn = ViStatus(ViSession vi, ViReal64 nplc);
using meter_rang_fn = ViStatus(ViSession vi, ViBoolean autoRange, ViReal64 range);
using meter_func_fn = ViStatus(ViSession vi, ViInt16 function);
using meter_trigCoun_fn = ViStatus(ViSession vi, ViInt32 count);
// One reading of the given function.
using meter_measure_Q_fn = ViStatus(ViSession vi, ViInt16 function, ViReal64* reading);
// HP E1412: initiate, then wait at most timeoutMs for the reading; count = readings delivered.
using hpe1412_initImm_fn = ViStatus(ViSession vi);
using hpe1412_timedFetch_Q_fn = ViStatus(ViSession vi, ViInt32 timeoutMs, ViReal64* reading, ViInt32* count);
// tvmultc1 and tvmmultc1_32.
using meter_configure_fn = ViStatus(ViSession vi, ViInt16 function);
using meter_reconfig_fn = ViStatus(ViSession vi);
using meter_trigDel_fn = ViStatus(ViSession vi, ViInt16 mode, ViReal64 delay);
using meter_trigSour_fn = ViStatus(ViSession vi, ViInt16 source, ViInt16 slope);
// tvmultc1: one reading of the configured function; count = readings delivered.
using tvmultc1_read_Q_fn = ViStatus(ViSession vi, ViInt32* count, ViReal64* reading);
// tvmmultc1_32: binds the meter session to the mezzanine at that position of the carrier session.
using tvmmultc1_connect_fn = ViStatus(ViSession vi, ViSession baseSession, ViUInt16 mezNum, ViBoolean idQuery,
                                      ViBoolean reset);

// HP E1412 (hpe1412_32).
meter_init_fn hpe1412_init;
meter_close_fn hpe1412_close;
meter_reset_fn hpe1412_reset;
meter_error_message_fn hpe1412_error_message;
meter_nplc_fn hpe1412_currDcNplc, hpe1412_voltDcNplc;
meter_rang_fn hpe1412_currDcRang, hpe1412_voltDcRang, hpe1412_resRang;
meter_func_fn hpe1412_func;
hpe1412_initImm_fn hpe1412_initImm;
hpe1412_timedFetch_Q_fn hpe1412_timedFetch_Q;
meter_trigCoun_fn hpe1412_trigCoun;

// HP 3458A (hp3458a).
meter_init_fn hp3458a_init;
meter_close_fn hp3458a_close;
meter_reset_fn hp3458a_reset;
meter_error_message_fn hp3458a_error_message;
meter_nplc_fn hp3458a_nplc;
meter_rang_fn hp3458a_currDcRang, hp3458a_voltDcRang, hp3458a_resRang;
meter_func_fn hp3458a_func;
meter_measure_Q_fn hp3458a_measure_Q;
meter_trigCoun_fn hp3458a_trigCoun;

// The maker's standalone multimeter (tvmult).
meter_init_fn tvmult_init;
meter_close_fn tvmult_close;
meter_reset_fn tvmult_reset;
meter_error_message_fn tvmult_error_message;
meter_nplc_fn tvmult_voltDcNplc, tvmult_currDcNplc;
meter_rang_fn tvmult_currDcRang, tvmult_voltDcRang, tvmult_fresRang;
meter_func_fn tvmult_func;
meter_measure_Q_fn tvmult_measure_Q;
meter_trigCoun_fn tvmult_trigCoun;

// The maker's second standalone multimeter (tvmultc1).
meter_init_fn tvmultc1_init;
meter_close_fn tvmultc1_close;
meter_reset_fn tvmultc1_reset;
meter_error_message_fn tvmultc1_error_message;
meter_measure_Q_fn tvmultc1_measure_Q;
meter_configure_fn tvmultc1_configure, tvmultc1_conf_func;
meter_reconfig_fn tvmultc1_reconfig;
meter_rang_fn tvmultc1_currDcRang, tvmultc1_voltDcRang, tvmultc1_fresRang;
meter_nplc_fn tvmultc1_currDcNplc, tvmultc1_voltDcNplc;
meter_trigCoun_fn tvmultc1_trigCoun;
meter_trigDel_fn tvmultc1_trigDel;
meter_trigSour_fn tvmultc1_trigSour;
tvmultc1_read_Q_fn tvmultc1_read_Q;

// The maker's mezzanine multimeter (tvmmultc1_32).
meter_init_fn tvmmultc1_init;
tvmmultc1_connect_fn tvmmultc1_connect;
meter_close_fn tvmmultc1_close;
meter_reset_fn tvmmultc1_reset;
meter_error_message_fn tvmmultc1_error_message;
meter_measure_Q_fn tvmmultc1_measure_Q;
meter_configure_fn tvmmultc1_configure, tvmmultc1_conf_func;
meter_rang_fn tvmmultc1_currDcRang, tvmmultc1_voltDcRang, tvmmultc1_fresRang;
meter_nplc_fn tvmmultc1_currDcNplc, tvmmultc1_voltDcNplc;
meter_trigCoun_fn tvmmultc1_trigCoun;
meter_trigDel_fn tvmmultc1_trigDel;
meter_trigSour_fn tvmmultc1_trigSour;

} // extern "C"

// Pointer types, as the layer stores the bound entry points.
using meter_init_t = meter_init_fn*;
using meter_close_t = meter_close_fn*;
using meter_reset_t = meter_reset_fn*;
using meter_error_message_t = meter_error_message_fn*;
using meter_nplc_t = meter_nplc_fn*;
using meter_rang_t = meter_rang_fn*;
using meter_func_t = meter_func_fn*;
using meter_trigCoun_t = meter_trigCoun_fn*;
using meter_measure_Q_t = meter_measure_Q_fn*;
using hpe1412_initImm_t = hpe1412_initImm_fn*;
using hpe1412_timedFetch_Q_t = hpe1412_timedFetch_Q_fn*;
using meter_configure_t = meter_configure_fn*;
using meter_reconfig_t = meter_reconfig_fn*;
using meter_trigDel_t = meter_trigDel_fn*;
using meter_trigSour_t = meter_trigSour_fn*;
using tvmultc1_read_Q_t = tvmultc1_read_Q_fn*;
using tvmmultc1_connect_t = tvmmultc1_connect_fn*;

namespace gauge {

inline constexpr int kModelHpE1412 = 579;
inline constexpr int kModelHp3458 = 3458;
inline constexpr int kModelDmm = 324;
inline constexpr int kModelDmm1 = 356;
inline constexpr int kModelMezDmm = MEZ_DMM_MODEL;
inline constexpr int kModelCarrier = kCarrierModelNm;

inline constexpr std::array<std::string_view, 13> kHpE1412Entries{
    "hpe1412_init",       "hpe1412_close",      "hpe1412_reset",      "hpe1412_error_message",
    "hpe1412_currDcNplc", "hpe1412_currDcRang", "hpe1412_func",       "hpe1412_initImm",
    "hpe1412_voltDcNplc", "hpe1412_voltDcRang", "hpe1412_resRang",    "hpe1412_timedFetch_Q",
    "hpe1412_trigCoun"};

inline constexpr std::array<std::string_view, 11> kHp3458Entries{
    "hp3458a_init",        "hp3458a_close", "hp3458a_reset",       "hp3458a_error_message",
    "hp3458a_nplc",        "hp3458a_currDcRang", "hp3458a_func",   "hp3458a_voltDcRang",
    "hp3458a_resRang",     "hp3458a_measure_Q",  "hp3458a_trigCoun"};

inline constexpr std::array<std::string_view, 12> kDmmEntries{
    "tvmult_init",        "tvmult_close",       "tvmult_reset",      "tvmult_error_message",
    "tvmult_voltDcNplc",  "tvmult_currDcNplc",  "tvmult_currDcRang", "tvmult_func",
    "tvmult_voltDcRang",  "tvmult_fresRang",    "tvmult_measure_Q",  "tvmult_trigCoun"};

inline constexpr std::array<std::string_view, 17> kDmm1Entries{
    "tvmultc1_init",        "tvmultc1_close",       "tvmultc1_reset",      "tvmultc1_error_message",
    "tvmultc1_measure_Q",   "tvmultc1_configure",   "tvmultc1_reconfig",   "tvmultc1_conf_func",
    "tvmultc1_currDcRang",  "tvmultc1_voltDcRang",  "tvmultc1_fresRang",   "tvmultc1_currDcNplc",
    "tvmultc1_voltDcNplc",  "tvmultc1_trigCoun",    "tvmultc1_trigDel",    "tvmultc1_trigSour",
    "tvmultc1_read_Q"};

inline constexpr std::array<std::string_view, 16> kMezDmmEntries{
    "tvmmultc1_init",        "tvmmultc1_connect",     "tvmmultc1_close",      "tvmmultc1_reset",
    "tvmmultc1_error_message", "tvmmultc1_measure_Q", "tvmmultc1_configure",  "tvmmultc1_conf_func",
    "tvmmultc1_currDcRang",  "tvmmultc1_voltDcRang",  "tvmmultc1_fresRang",   "tvmmultc1_currDcNplc",
    "tvmmultc1_voltDcNplc",  "tvmmultc1_trigCoun",    "tvmmultc1_trigDel",    "tvmmultc1_trigSour"};

// The carrier's init and close, which a mezzanine multimeter needs.
inline constexpr std::span<const std::string_view> kCarrierSessionEntryList{kCarrierEntries.data(),
                                                                             kCarrierSessionEntries};

struct Family {
    int model;                                 // model code the layer and the selection take
    std::string_view designation;              // as in the operator's texts
    std::string_view library;                  // as the program names it
    std::span<const std::string_view> entries; // lookup order
};

// Function codes each family takes for four-wire resistance, DC voltage and DC current.
struct FunctionCodes {
    int fres, voltDc, currDc;
};
inline constexpr FunctionCodes kHpE1412Functions{2, 5, 7};
inline constexpr FunctionCodes kHp3458Functions{5, 1, 6};
inline constexpr FunctionCodes kDmmFunctions{2, 5, 7};
inline constexpr FunctionCodes kDmm1Functions{2, 5, 7};
inline constexpr FunctionCodes kMezDmmFunctions{2, 5, 7};

inline constexpr std::array<Family, 6> kFamilies{{
    {kModelHpE1412, "HP1412", "hpe1412_32.dll", kHpE1412Entries},
    {kModelHp3458, "HP3458", "hp3458a.dll", kHp3458Entries},
    {kModelDmm, "DMM", "tvmult.dll", kDmmEntries},
    {kModelDmm1, "ЦMM1", "tvmultc1.dll", kDmm1Entries},
    {kModelMezDmm, "МЦMM", "tvmmultc1_32.dll", kMezDmmEntries},
    {kModelCarrier, "", kCarrierLibrary, kCarrierSessionEntryList},
}};

// The family of a model code, or nullptr.
constexpr const Family* findFamily(int model)
{
    for (const Family& f : kFamilies)
        if (f.model == model) return &f;
    return nullptr;
}

} // namespace gauge
