// Date and time as text, in the forms the program prints.
#pragma once

#include <ctime>
#include <string>

namespace platform {

std::string dateText(std::time_t t); // "DD.MM.YYYY"
std::string timeText(std::time_t t); // "HH:MM:SS"
std::tm localParts(std::time_t t);  // broken down in local time
std::time_t currentTime();           // wall clock; tests may fix it
void setCurrentTime(std::time_t t);  // 0 restores the real wall clock

} // namespace platform
