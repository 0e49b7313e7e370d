#include "history/text.h"

#include <array>
#include <bit>
#include <charconv>
#include <chrono>
#include <cmath>

namespace history {

std::string exactText(double v)
{
    if (std::isnan(v))
        return "nan";
    std::array<char, 64> buf{};
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), v);
    return std::string(buf.data(), r.ptr);
}

std::string fixedText(double v, int decimals)
{
    if (!std::isfinite(v))
        return exactText(v);
    std::array<char, 400> buf{}; // room for 1.8e308 in fixed form
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::fixed, decimals);
    return std::string(buf.data(), r.ptr);
}

std::int64_t bitsOf(double v) { return std::bit_cast<std::int64_t>(v); }
double fromBits(std::int64_t bits) { return std::bit_cast<double>(bits); }

std::string bitsText(double v)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    auto bits = std::bit_cast<std::uint64_t>(v);
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, bits >>= 4)
        text[i] = digits[bits & 0xF];
    return text;
}

namespace {

using namespace std::chrono;

void putDigits(std::string& out, long long v, int width)
{
    std::string digits = std::to_string(v < 0 ? -v : v);
    if (v < 0)
        out += '-';
    if (static_cast<int>(digits.size()) < width)
        out.append(width - digits.size(), '0');
    out += digits;
}

// Reads exactly n digits at text[pos], moving pos past them.
std::optional<int> takeDigits(std::string_view text, std::size_t& pos, std::size_t n)
{
    if (pos + n > text.size())
        return std::nullopt;
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data() + pos, text.data() + pos + n, v);
    if (ec != std::errc() || end != text.data() + pos + n || text[pos] == '-' || text[pos] == '+')
        return std::nullopt;
    pos += n;
    return v;
}

bool take(std::string_view text, std::size_t& pos, char c)
{
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

} // namespace

std::string isoUtc(UtcMs t)
{
    const sys_time<milliseconds> tp{milliseconds{t}};
    const auto day = floor<days>(tp);
    const year_month_day ymd{day};
    const hh_mm_ss<milliseconds> hms{tp - day};
    std::string out;
    out.reserve(24);
    putDigits(out, static_cast<int>(ymd.year()), 4);
    out += '-';
    putDigits(out, static_cast<unsigned>(ymd.month()), 2);
    out += '-';
    putDigits(out, static_cast<unsigned>(ymd.day()), 2);
    out += 'T';
    putDigits(out, hms.hours().count(), 2);
    out += ':';
    putDigits(out, hms.minutes().count(), 2);
    out += ':';
    putDigits(out, hms.seconds().count(), 2);
    out += '.';
    putDigits(out, hms.subseconds().count(), 3);
    out += 'Z';
    return out;
}

std::optional<UtcMs> parseUtc(std::string_view text)
{
    std::size_t pos = 0;
    const auto y = takeDigits(text, pos, 4);
    if (!y || !take(text, pos, '-'))
        return std::nullopt;
    const auto m = takeDigits(text, pos, 2);
    if (!m || !take(text, pos, '-'))
        return std::nullopt;
    const auto d = takeDigits(text, pos, 2);
    if (!d)
        return std::nullopt;
    const year_month_day ymd{year{*y}, month{static_cast<unsigned>(*m)}, day{static_cast<unsigned>(*d)}};
    if (!ymd.ok())
        return std::nullopt;
    long long ms = duration_cast<milliseconds>(sys_days{ymd}.time_since_epoch()).count();
    if (pos == text.size())
        return ms;
    if (!take(text, pos, 'T') && !take(text, pos, ' '))
        return std::nullopt;
    const auto hh = takeDigits(text, pos, 2);
    if (!hh || *hh > 23 || !take(text, pos, ':'))
        return std::nullopt;
    const auto mm = takeDigits(text, pos, 2);
    if (!mm || *mm > 59)
        return std::nullopt;
    int ss = 0, frac = 0;
    if (take(text, pos, ':')) {
        const auto s = takeDigits(text, pos, 2);
        if (!s || *s > 59)
            return std::nullopt;
        ss = *s;
        if (take(text, pos, '.')) {
            const auto f = takeDigits(text, pos, 3);
            if (!f)
                return std::nullopt;
            frac = *f;
        }
    }
    take(text, pos, 'Z');
    if (pos != text.size())
        return std::nullopt;
    return ms + ((*hh * 60LL + *mm) * 60LL + ss) * 1000LL + frac;
}

UtcMs nowUtc()
{
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::optional<long long> parseInteger(std::string_view text)
{
    long long v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return v;
}

} // namespace history
