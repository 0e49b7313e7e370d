// Date and time text in local time; the wall clock can be fixed for tests.
#include "platform/datetime.h"

#include <array>
#include <cstdio>

namespace platform {
namespace {

std::time_t fixedTime = 0;

} // namespace

std::string dateText(std::time_t t)
{
    const std::tm p = localParts(t);
    std::array<char, 32> buf{};
    std::snprintf(buf.data(), buf.size(), "%02d.%02d.%04d", p.tm_mday, p.tm_mon + 1, p.tm_year + 1900);
    return buf.data();
}

std::string timeText(std::time_t t)
{
    const std::tm p = localParts(t);
    std::array<char, 32> buf{};
    std::snprintf(buf.data(), buf.size(), "%02d:%02d:%02d", p.tm_hour, p.tm_min, p.tm_sec);
    return buf.data();
}

std::time_t currentTime()
{
    return fixedTime != 0 ? fixedTime : std::time(nullptr);
}

void setCurrentTime(std::time_t t)
{
    fixedTime = t;
}

} // namespace platform
