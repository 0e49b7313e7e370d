// Cutting UTF-8 text to a limit without splitting a character: the one routine
// behind every fixed-size text of the program (record fields, the status line).
#pragma once

#include <cstddef>
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

} // namespace platform
