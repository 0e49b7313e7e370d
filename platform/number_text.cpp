// The C locale per call: uselocale() gives this thread the C locale for the
// duration of one formatting or reading, whatever setlocale() has made of the
// process locale.
#include "platform/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace platform {
namespace {

locale_t cLocale()
{
    static const locale_t c = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

class CLocaleScope {
public:
    CLocaleScope() : previous_(::uselocale(cLocale())) {}
    ~CLocaleScope() { ::uselocale(previous_); }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t previous_;
};

} // namespace

std::string formatTextV(const char* format, std::va_list args)
{
    const CLocaleScope c;
    std::va_list again;
    va_copy(again, args);
    std::string text;
    const int needed = std::vsnprintf(nullptr, 0, format, args);
    if (needed > 0) {
        text.resize(static_cast<std::size_t>(needed) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        text.resize(static_cast<std::size_t>(needed));
    }
    va_end(again);
    return text;
}

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
    const std::string s(text); // strtod needs the terminator; inner blanks then stop it short
    char* end = nullptr;
    const double v = ::strtod_l(s.c_str(), &end, cLocale());
    if (end != s.c_str() + s.size())
        return false;
    value = v;
    return true;
}

} // namespace platform
