// Cutting UTF-8 text to a limit without splitting a character: the one routine
// behind every fixed-size or shortened text (record fields, the status line,
// driver messages, version texts, the one-line messages of the loaders).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

inline constexpr std::size_t kNoLimit = static_cast<std::size_t>(-1);

// The longest prefix of text that holds at most maxBytes bytes and at most
// maxChars characters and ends on a character boundary. A character cut short
// by the end of text itself is dropped too.
constexpr std::string_view utf8Cut(std::string_view text, std::size_t maxBytes, std::size_t maxChars = kNoLimit)
{
    std::size_t end = 0;
    std::size_t chars = 0;
    while (end < text.size() && chars < maxChars) {
        const auto lead = static_cast<unsigned char>(text[end]);
        const std::size_t width = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (end + width > text.size() || end + width > maxBytes)
            break;
        end += width;
        ++chars;
    }
    return text.substr(0, end);
}

// A text as a one-line message shows it: cut by utf8Cut to maxBytes, control
// characters as '?', and "..." after a text that was cut.
inline std::string oneLine(std::string_view text, std::size_t maxBytes)
{
    const std::string_view kept = utf8Cut(text, maxBytes);
    std::string out;
    out.reserve(kept.size() + 3);
    for (char ch : kept) {
        const auto c = static_cast<unsigned char>(ch);
        out += c < 0x20 || c == 0x7F ? '?' : ch;
    }
    if (kept.size() < text.size())
        out += "...";
    return out;
}

} // namespace platform
