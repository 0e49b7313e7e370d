// printf-style formatting of protocol text in Windows-1251: the format and
// every text argument are converted first, so that a field width counts
// characters, as it does in the single-byte code page the files are written in.
#pragma once

#include "platform/cp1251.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>

namespace protocol_detail {

struct Text {
    std::string bytes;
    const char* get() const { return bytes.c_str(); }
};

template <class T>
struct Plain {
    T value;
    T get() const { return value; }
};

template <class T>
auto cp1251Arg(const T& v)
{
    if constexpr (std::is_convertible_v<const T&, std::string_view>) {
        return Text{platform::toCp1251(std::string_view(v))};
    } else {
        static_assert(std::is_arithmetic_v<T>, "protocol text takes numbers and texts only");
        return Plain<T>{v};
    }
}

// The whole formatted text, however long.
std::string formatAll(const char* format, ...);

// Cuts text to at most limit - 1 characters (a buffer of limit bytes with its
// terminator). A cut text keeps its final line feed, so the next line still
// starts on a line of its own.
void cutToBuffer(std::string& text, std::size_t limit);

} // namespace protocol_detail

// Formats in Windows-1251 and cuts the result to a buffer of `limit` bytes (0: no limit).
template <class... Args>
std::string formatCp1251(std::size_t limit, const char* format, const Args&... args)
{
    const std::string cpFormat = platform::toCp1251(format);
    const auto held = std::make_tuple(protocol_detail::cp1251Arg(args)...);
    std::string text = std::apply(
        [&cpFormat](const auto&... a) { return protocol_detail::formatAll(cpFormat.c_str(), a.get()...); }, held);
    protocol_detail::cutToBuffer(text, limit);
    return text;
}
