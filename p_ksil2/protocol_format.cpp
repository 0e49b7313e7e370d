// Protocol text formatting in Windows-1251.
#include "p_ksil2/protocol_format.h"

#include "platform/number_text.h"

#include <cstdarg>

namespace protocol_detail {

std::string formatAll(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::string text = platform::formatTextV(format, args);
    va_end(args);
    return text;
}

void cutToBuffer(std::string& text, std::size_t limit)
{
    if (limit == 0 || text.size() < limit)
        return;
    const bool endsLine = text.back() == '\n';
    text.resize(limit - 1);
    if (endsLine)
        text.back() = '\n';
}

} // namespace protocol_detail
