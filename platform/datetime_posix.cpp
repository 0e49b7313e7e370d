// Local time on Linux.
#include "platform/datetime.h"

namespace platform {

std::tm localParts(std::time_t t)
{
    std::tm parts{};
    localtime_r(&t, &parts);
    return parts;
}

} // namespace platform
