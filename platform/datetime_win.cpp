// Local time on Windows, with the station's time zone and its summer time.
#include "platform/datetime.h"

namespace platform {

std::tm localParts(std::time_t t)
{
    std::tm parts{};
    localtime_s(&parts, &t);
    return parts;
}

} // namespace platform
