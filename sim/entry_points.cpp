// Which names a fault plan may use: those of the drivers' contracts, whose
// entry points the stand-ins export one for one.
#include "sim/entry_points.h"

#include "drivers/meters.h"
#include "drivers/tvbase.h"
#include "drivers/visa.h"

#include <algorithm>

namespace sim {

bool isStandInEntry(std::string_view name)
{
    const auto in = [name](const auto& list) { return std::find(std::begin(list), std::end(list), name) != std::end(list); };
    if (in(kModuleEntries) || in(kCarrierEntries) || in(kVisaEntryPoints)) return true;
    return std::any_of(gauge::kFamilies.begin(), gauge::kFamilies.end(),
                       [&](const gauge::Family& f) { return in(f.entries); });
}

} // namespace sim
