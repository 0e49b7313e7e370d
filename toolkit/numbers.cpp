// Numbers: coercion of a value to a control's data type and limits, and the
// text of a number, shown and typed.
#include "toolkit/core_state.h"

#include "platform/number_text.h"

#include <algorithm>
#include <cmath>

namespace tk::detail {

double coerce(const model::Control& c, double v)
{
    auto toInt = [&](double lo, double hi) {
        if (std::isnan(v))
            return 0.0;
        return std::clamp(std::round(v), lo, hi);
    };
    switch (c.type) {
    case DataType::Int16: v = toInt(-32768.0, 32767.0); break;
    case DataType::UInt16: v = toInt(0.0, 65535.0); break;
    case DataType::Int32: v = toInt(-2147483648.0, 2147483647.0); break;
    case DataType::UInt32: v = toInt(0.0, 4294967295.0); break;
    default: break;
    }
    if (c.hasLimits && !std::isnan(v))
        v = std::clamp(v, c.minValue, std::max(c.minValue, c.maxValue));
    return v;
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
