// Conversions between UTF-8 and Windows-1251 by the code page's own table: the
// same on every platform, and no conversion library to open.
#include "platform/cp1251.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace platform {
namespace {

// The characters of bytes 0x80 to 0xBF (0 for 0x98, which has none); bytes
// 0xC0 to 0xFF are U+0410 to U+044F, bytes below 0x80 are ASCII.
constexpr std::array<char16_t, 64> kUpper = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0000, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

// The byte of a character, 0 when the code page has none (U+0000 is byte 0).
unsigned char byteOf(char32_t c)
{
    if (c < 0x80)
        return static_cast<unsigned char>(c);
    if (c >= 0x0410 && c <= 0x044F)
        return static_cast<unsigned char>(c - 0x0410 + 0xC0);
    for (std::size_t i = 0; i < kUpper.size(); ++i)
        if (kUpper[i] != 0 && kUpper[i] == c)
            return static_cast<unsigned char>(0x80 + i);
    return 0;
}

// Length of the UTF-8 sequence that starts at `s` (1 for a stray byte), as
// far as its continuation bytes go.
std::size_t utf8Length(const unsigned char* s, std::size_t left)
{
    const unsigned char lead = s[0];
    const std::size_t n = std::min(left, std::size_t{lead < 0xC0 ? 1u : lead < 0xE0 ? 2u : lead < 0xF0 ? 3u : 4u});
    for (std::size_t i = 1; i < n; ++i)
        if ((s[i] & 0xC0) != 0x80)
            return i;
    return n;
}

// The character of a whole, well-formed sequence of n bytes; none for a stray
// or cut byte, an over-long form, a surrogate or a value beyond U+10FFFF.
bool decode(const unsigned char* s, std::size_t n, char32_t& c)
{
    const unsigned char lead = s[0];
    if (n == 1) {
        c = lead;
        return lead < 0x80;
    }
    static constexpr unsigned char kLeadMask[] = {0, 0, 0x1F, 0x0F, 0x07};
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    const std::size_t want = lead >= 0xC0 && lead < 0xE0   ? 2
                             : lead >= 0xE0 && lead < 0xF0 ? 3
                             : lead >= 0xF0 && lead < 0xF8 ? 4
                                                           : 0;
    if (want != n)
        return false;
    c = lead & kLeadMask[n];
    for (std::size_t i = 1; i < n; ++i)
        c = (c << 6) | (s[i] & 0x3F);
    return c >= kSmallest[n] && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

std::string toCp1251(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    std::size_t left = utf8.size();
    while (left > 0) {
        // One '?' for a character the code page lacks or a broken sequence; go on after it.
        const std::size_t n = utf8Length(s, left);
        char32_t c = 0;
        const bool whole = decode(s, n, c);
        const unsigned char b = whole ? byteOf(c) : 0;
        // Tag characters (U+E0000 to U+E007F) carry no text and are dropped.
        if (!(whole && c >= 0xE0000 && c <= 0xE007F))
            out += whole && (b != 0 || c == 0) ? static_cast<char>(b) : '?';
        s += n;
        left -= n;
    }
    return out;
}

std::string fromCp1251(std::string_view cp1251)
{
    std::string out;
    out.reserve(cp1251.size() * 2);
    for (char ch : cp1251) {
        const auto b = static_cast<unsigned char>(ch);
        const char32_t c = b < 0x80 ? b : b >= 0xC0 ? char32_t(0x0410 + (b - 0xC0)) : char32_t(kUpper[b - 0x80]);
        if (b >= 0x80 && c == 0)
            out += '?';
        else
            appendUtf8(out, c);
    }
    return out;
}

} // namespace platform
