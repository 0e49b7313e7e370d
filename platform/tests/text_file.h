// Reading back a file the program wrote in the platform's text mode.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// The file's text with its line ends as '\n'. On Windows, where text mode ends
// a line with "\r\n", a line feed without its carriage return reads as the two
// characters "\n", so that a comparison shows it.
inline std::string readTextFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
#if defined(_WIN32)
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            text += "\\n";
        else
            text += bytes[i];
    }
    return text;
#else
    return bytes;
#endif
}
