// The entry points the stand-in libraries export: what a fault plan may name.
#pragma once

#include "drivers/tvksil2.h"

#include <string_view>

namespace sim {

// The module driver's entry points, as its contract lists them.
inline constexpr const auto& kModuleEntries = ::kModuleEntries;

// True when some stand-in (VISA, carrier, module, a meter family) exports name.
bool isStandInEntry(std::string_view name);

} // namespace sim
