// Numbers: a value set by the program coerced to a control's data type and
// limits, a value the operator typed kept as typed, and the text of a number.
#include "toolkit/core_state.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tk::detail {

namespace {

bool isIntegerType(DataType type)
{
    return type == DataType::Int16 || type == DataType::UInt16 || type == DataType::Int32 || type == DataType::UInt32;
}

} // namespace

bool typeRange(DataType type, double& lo, double& hi)
{
    switch (type) {
    case DataType::Int16: lo = -32768.0; hi = 32767.0; return true;
    case DataType::UInt16: lo = 0.0; hi = 65535.0; return true;
    case DataType::Int32: lo = -2147483648.0; hi = 2147483647.0; return true;
    case DataType::UInt32: lo = 0.0; hi = 4294967295.0; return true;
    default: return false;
    }
}

double coerce(const model::Control& c, double v)
{
    double lo = 0.0, hi = 0.0;
    if (typeRange(c.type, lo, hi))
        v = std::isnan(v) ? 0.0 : std::clamp(std::round(v), lo, hi);
    if (c.hasLimits && !std::isnan(v))
        v = std::clamp(v, c.minValue, std::max(c.minValue, c.maxValue));
    return v;
}

double typedValue(const model::Control& c, double v)
{
    return isIntegerType(c.type) && std::isfinite(v) ? std::round(v) : v;
}

std::string formatNumber(double v)
{
    char buf[64];
    if (std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 1e15)
        std::snprintf(buf, sizeof buf, "%.0f", v);
    else
        std::snprintf(buf, sizeof buf, "%.10g", v);
    return buf;
}

bool parseNumber(std::string_view text, double& v)
{
    std::string s(text);
    const char* begin = s.c_str();
    char* end = nullptr;
    const double d = std::strtod(begin, &end);
    if (end == begin)
        return false;
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end != '\0')
        return false;
    v = d;
    return true;
}

} // namespace tk::detail
