// Numbers: a value set by the program coerced to a control's data type and
// limits, a value the operator typed kept as typed, and the text of a number.
#include "toolkit/core_state.h"

#include "platform/number_text.h"

#include <algorithm>
#include <cmath>

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
    return platform::numberText(v);
}

bool parseNumber(std::string_view text, double& v)
{
    return platform::parseNumber(text, v);
}

} // namespace tk::detail
