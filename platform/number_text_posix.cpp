// The C locale per call: uselocale() gives this thread the C locale for the
// duration of one formatting or reading, whatever setlocale() has made of the
// process locale.
#include "platform/number_text.h"
#include "platform/number_text_backend.h"

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

bool detail::readWholeCNumber(const std::string& text, double& value)
{
    char* end = nullptr;
    const double v = ::strtod_l(text.c_str(), &end, cLocale());
    if (end != text.c_str() + text.size())
        return false;
    value = v;
    return true;
}

} // namespace platform
