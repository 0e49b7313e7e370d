// Numbers as text: what does not depend on how the system keeps its locale.
#include "platform/number_text.h"
#include "platform/number_text_backend.h"

#include <cmath>

namespace platform {

std::string formatText(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::string text = formatTextV(format, args);
    va_end(args);
    return text;
}

std::string numberText(double value)
{
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15)
        return formatText("%.0f", value);
    return formatText("%.10g", value);
}

bool parseNumber(std::string_view text, double& value)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return false;
    // strtod needs the terminator; inner blanks then stop it short.
    return detail::readWholeCNumber(std::string(text), value);
}

} // namespace platform
