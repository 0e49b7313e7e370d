// The check of VISA and the linked drivers that runs before the user interface
// starts. The linked drivers are bound lazily, so a driver missing an entry
// point would otherwise end the program at its first call, mid-session, with
// the loader's message; here it ends before anything is shown, with a line
// that names the library.
#include "p_ksil2/driver_check.h"

#include "drivers/tvbase.h"
#include "drivers/tvksil2.h"
#include "platform/library.h"
#include "platform/visa.h"

#include <span>
#include <string_view>

namespace {

bool linkedDriverComplete(std::string_view library, std::span<const std::string_view> entries, std::string& why)
{
    for (std::string_view name : entries) {
        if (!platform::linkedEntryPoint(std::string(name).c_str())) {
            why = platform::libraryFileName(library) + ": no entry point " + std::string(name);
            return false;
        }
    }
    return true;
}

} // namespace

bool checkDrivers(std::string& why)
{
    std::string error;
    if (!platform::visa(&error)) {
        why = "VISA cannot be used: " + error;
        return false;
    }
    return linkedDriverComplete(kCarrierLibrary, kCarrierEntries, why) &&
           linkedDriverComplete(kModuleLibrary, kModuleEntries, why);
}
