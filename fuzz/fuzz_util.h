// Shared by the fuzz targets: a scratch file per process and the checks of
// what every cut text must be.
#pragma once

#include "tests/support/temp_dir.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace fuzz {

// Ends the run with a message: libFuzzer keeps the input that did it.
[[noreturn]] inline void fault(const char* what)
{
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

inline void check(bool ok, const char* what)
{
    if (!ok) fault(what);
}

// A file in a temporary folder of this process (removed at exit), rewritten
// with each input.
inline std::string scratchFile(std::string_view name)
{
    static const TempDir folder("ksil-fuzz");
    return (folder.path() / std::string(name)).string();
}

inline void writeFile(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Well-formed UTF-8: shortest forms, no surrogates, nothing above U+10FFFF.
inline bool validUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) { ++i; continue; }
        if (c >= 0xC2 && c <= 0xDF) { n = 1; cp = c & 0x1F; }
        else if (c >= 0xE0 && c <= 0xEF) { n = 2; cp = c & 0x0F; }
        else if (c >= 0xF0 && c <= 0xF4) { n = 3; cp = c & 0x07; }
        else return false;
        for (std::size_t k = 1; k <= n; ++k) {
            if (i + k >= s.size()) return false;
            const auto t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (t & 0x3F);
        }
        if ((n == 2 && cp < 0x800) || (n == 3 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

// A message the program shows or prints: one line of bounded length.
inline void checkOneLine(std::string_view message, std::size_t maxBytes, const char* what)
{
    check(message.find('\n') == std::string_view::npos && message.find('\r') == std::string_view::npos, what);
    check(message.size() <= maxBytes, what);
}

} // namespace fuzz
