// The library check that runs before the user interface starts. The linked
// drivers are bound lazily, so a driver missing an entry point would otherwise
// end the program at its first call, mid-session, with the loader's message;
// here it ends before anything is shown, with a line that names the library.
#include "p_ksil2/library_check.h"

#include "platform/library.h"
#include "platform/visa.h"
#include "si/descr_formats.h"

#include <array>
#include <string_view>

namespace {

constexpr const char* kModuleDriverName = "tvksil2_32.dll";

// Every entry point of the linked drivers that the program calls.
constexpr std::array<std::string_view, 3> kCarrierCalls{"tvbase_init", "tvbase_m_type_q", "tvbase_close"};
constexpr std::array<std::string_view, 16> kModuleCalls{
    "tvksil2_init",          "tvksil2_connect",   "tvksil2_config_trigger", "tvksil2_get_attribute",
    "tvksil2_sft_interface", "tvksil2_revision_query", "tvksil2_self_test",  "tvksil2_reset",
    "tvksil2_error_message", "tvksil2_switch",    "tvksil2_config_R_Calibr", "tvksil2_config_R",
    "tvksil2_mode_R",        "tvksil2_readFlash", "tvksil2_writeFlash",     "tvksil2_close"};

template <std::size_t N>
bool linkedDriverComplete(const char* library, const std::array<std::string_view, N>& calls, std::string& why)
{
    for (std::string_view name : calls) {
        if (!platform::linkedEntryPoint(std::string(name).c_str())) {
            why = platform::libraryFileName(library) + ": no entry point " + std::string(name);
            return false;
        }
    }
    return true;
}

} // namespace

bool checkLibraries(std::string& why)
{
    std::string error;
    if (!platform::visa(&error)) {
        why = "VISA cannot be used: " + error;
        return false;
    }
    return linkedDriverComplete(si::kBaseDriverName, kCarrierCalls, why) &&
           linkedDriverComplete(kModuleDriverName, kModuleCalls, why);
}
