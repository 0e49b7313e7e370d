// Numbers in the C locale's conventions on Windows. Its C run-time has no
// locale per thread or per call that its C99 printf and strtod would use: they
// read the process locale's decimal point. So a format is written conversion
// by conversion, and the decimal point of each floating conversion (the only
// text the locale changes without the ' flag, which is dropped) becomes '.';
// reading turns '.' into the process locale's decimal point first.
#include "platform/number_text.h"
#include "platform/number_text_backend.h"

#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string_view>
#include <type_traits>

namespace platform {
namespace {

// The process locale's decimal point, read afresh for each use.
std::string_view decimalPoint()
{
    const char* point = std::localeconv()->decimal_point;
    return point && *point ? std::string_view(point) : std::string_view(".");
}

template <typename T> void appendFormatted(std::string& text, const std::string& pattern, T value)
{
    const int needed = std::snprintf(nullptr, 0, pattern.c_str(), value);
    if (needed <= 0)
        return;
    const std::size_t at = text.size();
    text.resize(at + static_cast<std::size_t>(needed) + 1);
    std::snprintf(text.data() + at, static_cast<std::size_t>(needed) + 1, pattern.c_str(), value);
    text.resize(at + static_cast<std::size_t>(needed));
}

// A floating conversion, its decimal point made '.'.
template <typename T> void appendFloating(std::string& text, const std::string& pattern, T value)
{
    const std::size_t at = text.size();
    appendFormatted(text, pattern, value);
    const std::string_view point = decimalPoint();
    if (point == ".")
        return;
    const std::size_t found = text.find(point, at);
    if (found != std::string::npos)
        text.replace(found, point.size(), ".");
}

enum class Length { none, hh, h, l, ll, j, z, t, L };

// Reads the argument of an integer conversion with its length modifier and writes it.
void appendInteger(std::string& text, const std::string& pattern, char conversion, Length length, std::va_list& args)
{
    const bool isSigned = conversion == 'd' || conversion == 'i';
    switch (length) {
    case Length::l:
        if (isSigned)
            appendFormatted(text, pattern, va_arg(args, long));
        else
            appendFormatted(text, pattern, va_arg(args, unsigned long));
        return;
    case Length::ll:
        if (isSigned)
            appendFormatted(text, pattern, va_arg(args, long long));
        else
            appendFormatted(text, pattern, va_arg(args, unsigned long long));
        return;
    case Length::j:
        if (isSigned)
            appendFormatted(text, pattern, va_arg(args, std::intmax_t));
        else
            appendFormatted(text, pattern, va_arg(args, std::uintmax_t));
        return;
    case Length::z:
        if (isSigned)
            appendFormatted(text, pattern, va_arg(args, std::make_signed_t<std::size_t>));
        else
            appendFormatted(text, pattern, va_arg(args, std::size_t));
        return;
    case Length::t:
        if (isSigned)
            appendFormatted(text, pattern, va_arg(args, std::ptrdiff_t));
        else
            appendFormatted(text, pattern, va_arg(args, std::make_unsigned_t<std::ptrdiff_t>));
        return;
    default:
        // hh and h arguments arrive promoted to int; the pattern narrows them.
        if (isSigned)
            appendFormatted(text, pattern, va_arg(args, int));
        else
            appendFormatted(text, pattern, va_arg(args, unsigned));
        return;
    }
}

// %n: how many bytes are written so far, into the object of its length.
void storeCount(std::size_t count, Length length, std::va_list& args)
{
    switch (length) {
    case Length::hh: *va_arg(args, signed char*) = static_cast<signed char>(count); return;
    case Length::h: *va_arg(args, short*) = static_cast<short>(count); return;
    case Length::l: *va_arg(args, long*) = static_cast<long>(count); return;
    case Length::ll: *va_arg(args, long long*) = static_cast<long long>(count); return;
    case Length::j: *va_arg(args, std::intmax_t*) = static_cast<std::intmax_t>(count); return;
    case Length::z: *va_arg(args, std::size_t*) = count; return;
    case Length::t: *va_arg(args, std::ptrdiff_t*) = static_cast<std::ptrdiff_t>(count); return;
    default: *va_arg(args, int*) = static_cast<int>(count); return;
    }
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

std::string formatTextV(const char* format, std::va_list args)
{
    std::va_list rest;
    va_copy(rest, args);
    std::string text;
    const char* p = format;
    while (*p) {
        if (*p != '%') {
            const char* next = p;
            while (*next && *next != '%')
                ++next;
            text.append(p, next);
            p = next;
            continue;
        }
        const char* const start = p++;
        std::string pattern = "%";
        bool leftAligned = false;
        for (; *p && std::string_view("-+ #0'").find(*p) != std::string_view::npos; ++p) {
            if (*p == '\'')
                continue; // grouping is off in the C locale
            leftAligned = leftAligned || *p == '-';
            pattern += *p;
        }
        if (*p == '*') {
            int width = va_arg(rest, int);
            if (width < 0) {
                // A negative width is a '-' flag and its value.
                if (!leftAligned)
                    pattern += '-';
                width = -width;
            }
            pattern += std::to_string(width);
            ++p;
        } else {
            while (isDigit(*p))
                pattern += *p++;
        }
        if (*p == '.') {
            ++p;
            if (*p == '*') {
                const int precision = va_arg(rest, int);
                if (precision >= 0) // a negative precision is none
                    pattern += "." + std::to_string(precision);
                ++p;
            } else {
                pattern += '.';
                while (isDigit(*p))
                    pattern += *p++;
            }
        }
        Length length = Length::none;
        const auto modifier = [&](Length l, int size) {
            length = l;
            pattern.append(p, static_cast<std::size_t>(size));
            p += size;
        };
        switch (*p) {
        case 'h': p[1] == 'h' ? modifier(Length::hh, 2) : modifier(Length::h, 1); break;
        case 'l': p[1] == 'l' ? modifier(Length::ll, 2) : modifier(Length::l, 1); break;
        case 'j': modifier(Length::j, 1); break;
        case 'z': modifier(Length::z, 1); break;
        case 't': modifier(Length::t, 1); break;
        case 'L': modifier(Length::L, 1); break;
        default: break;
        }
        const char conversion = *p;
        if (conversion == '\0') {
            text.append(start, p); // an unfinished conversion stays as it is
            break;
        }
        ++p;
        pattern += conversion;
        switch (conversion) {
        case '%': text += '%'; break;
        case 'd':
        case 'i':
        case 'u':
        case 'o':
        case 'x':
        case 'X': appendInteger(text, pattern, conversion, length, rest); break;
        case 'c':
            if (length == Length::l)
                appendFormatted(text, pattern, static_cast<std::wint_t>(va_arg(rest, int)));
            else
                appendFormatted(text, pattern, va_arg(rest, int));
            break;
        case 's':
            if (length == Length::l)
                appendFormatted(text, pattern, va_arg(rest, const wchar_t*));
            else
                appendFormatted(text, pattern, va_arg(rest, const char*));
            break;
        case 'p': appendFormatted(text, pattern, va_arg(rest, void*)); break;
        case 'n': storeCount(text.size(), length, rest); break;
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
            if (length == Length::L)
                appendFloating(text, pattern, va_arg(rest, long double));
            else
                appendFloating(text, pattern, va_arg(rest, double));
            break;
        default: text.append(start, p); break; // not a conversion: as written
        }
    }
    va_end(rest);
    return text;
}

bool detail::readWholeCNumber(const std::string& text, double& value)
{
    // The process locale's decimal point has no place in a number of the C
    // locale, where strtod would stop at it.
    const std::string_view point = decimalPoint();
    std::string local = text;
    if (point != ".") {
        if (text.find(point) != std::string::npos)
            return false;
        for (std::size_t at = local.find('.'); at != std::string::npos; at = local.find('.', at + point.size()))
            local.replace(at, 1, point);
    }
    char* end = nullptr;
    const double v = std::strtod(local.c_str(), &end);
    if (end != local.c_str() + local.size())
        return false;
    value = v;
    return true;
}

} // namespace platform
