// Resistance-module driver (tvksil2_32), linked by import. Every operation
// returns a status: 0 success, negative error, positive warning.
#pragma once

#include "drivers/mezzanine.h"
#include "drivers/tvksil2_math.h"
#include "drivers/visa.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// Calibration-data record kept by the driver for each session. The program
// uses the named fields; every other byte belongs to the driver. From entry0 on
// it is the table the switch-code library takes (drivers/tvksil2_math.h).
struct tvksil2_device_data {
    std::int32_t model;                     // 0: 64 КСИЛ2-4Л, 79 КСИЛ5, 0 for a fallback record
    std::uint8_t driverPart1[20];           // 4
    const double* nominal;                  // 24: the module's 18 nominal stage values, stage 1 first
    std::uint8_t driverPart2[8];            // 32
    double entry0;                          // 40: entry 0 of the switch-code table, not used by the panel
    double step[kChannels * kStages];       // 48: channel 1 stages 1..18, then channel 2 stages 1..18
    double r0[kChannels];                   // 336: R0 of channel 1, then of channel 2
    std::uint8_t driverPart3[376];          // 352
};
static_assert(sizeof(tvksil2_device_data) == 728);
static_assert(offsetof(tvksil2_device_data, nominal) == 24);
static_assert(offsetof(tvksil2_device_data, entry0) == 40);
static_assert(offsetof(tvksil2_device_data, step) == 48);
static_assert(offsetof(tvksil2_device_data, r0) == 336);
// The record from entry0 on is the switch-code library's table.
static_assert(offsetof(tvksil2_device_data, step) - offsetof(tvksil2_device_data, entry0) == kStepEntry * sizeof(double));
static_assert(offsetof(tvksil2_device_data, r0) - offsetof(tvksil2_device_data, entry0) == kR0Entry * sizeof(double));

extern "C" {

// Self-test question: the driver calls it during tvksil2_self_test with a code
// and a text; the answer is 0 to go on, 1 to stop. The first two arguments are
// the driver's own and are not used by the panel.
using tvksil2_sft_callback = ViInt16 (*)(ViInt32 arg1, ViInt32 arg2, ViInt32 code, const char* text);

ViStatus tvksil2_init(ViConstString rsrcName, ViBoolean idQuery, ViBoolean reset, ViSession* vi);
ViStatus tvksil2_connect(ViSession vi, ViSession baseSession, ViUInt16 mezNum, ViBoolean idQuery,
                         ViBoolean reset);
ViStatus tvksil2_config_trigger(ViSession vi, ViInt16 mode);
ViStatus tvksil2_get_attribute(ViSession vi, tvksil2_device_data** deviceData);
ViStatus tvksil2_sft_interface(ViSession vi, tvksil2_sft_callback callback);
ViStatus tvksil2_revision_query(ViSession vi, ViChar driverRevision[256], ViChar instrumentRevision[256]);
ViStatus tvksil2_self_test(ViSession vi, ViInt16* result, ViChar message[256]);
ViStatus tvksil2_reset(ViSession vi);
ViStatus tvksil2_error_message(ViSession vi, ViStatus status, ViChar message[256]);
// channel 0 = all channels; state 1 on, 0 off
ViStatus tvksil2_switch(ViSession vi, ViUInt16 channel, ViUInt16 state);
// stage 1..18: that stage alone in the chain; 0 or 19: all stages bypassed
ViStatus tvksil2_config_R_Calibr(ViSession vi, ViUInt16 channel, ViUInt16 stage);
ViStatus tvksil2_config_R(ViSession vi, ViUInt16 channel, ViReal64 resistance);
ViStatus tvksil2_mode_R(ViSession vi, ViUInt16 mode);
ViStatus tvksil2_readFlash(tvksil2_device_data* deviceData);
ViStatus tvksil2_writeFlash(tvksil2_device_data* deviceData);
ViStatus tvksil2_close(ViSession vi);

} // extern "C"

inline constexpr const char* kModuleLibrary = "tvksil2_32.dll";
// Every entry point declared above, as the driver exports it.
inline constexpr std::array<std::string_view, 16> kModuleEntries{
    "tvksil2_init",          "tvksil2_connect",        "tvksil2_config_trigger", "tvksil2_get_attribute",
    "tvksil2_sft_interface", "tvksil2_revision_query", "tvksil2_self_test",      "tvksil2_reset",
    "tvksil2_error_message", "tvksil2_switch",         "tvksil2_config_R_Calibr", "tvksil2_config_R",
    "tvksil2_mode_R",        "tvksil2_readFlash",      "tvksil2_writeFlash",     "tvksil2_close"};
