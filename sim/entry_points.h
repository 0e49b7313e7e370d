// The entry points the stand-in libraries export: what a fault plan may name.
#pragma once

#include <array>
#include <string_view>

namespace sim {

// The module driver is linked, not bound by name, so the program keeps no list
// of its entry points; this is the stand-in's.
inline constexpr std::array<std::string_view, 16> kModuleEntries{
    "tvksil2_init",          "tvksil2_connect",        "tvksil2_config_trigger", "tvksil2_get_attribute",
    "tvksil2_sft_interface", "tvksil2_revision_query", "tvksil2_self_test",      "tvksil2_reset",
    "tvksil2_error_message", "tvksil2_switch",         "tvksil2_config_R_Calibr", "tvksil2_config_R",
    "tvksil2_mode_R",        "tvksil2_readFlash",      "tvksil2_writeFlash",     "tvksil2_close"};

// True when some stand-in (VISA, carrier, module, a meter family) exports name.
bool isStandInEntry(std::string_view name);

} // namespace sim
