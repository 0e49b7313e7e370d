#include "tests/support/read_file.h"

#include <fstream>
#include <iterator>

std::string readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string readTextFile(const std::filesystem::path& path)
{
    const std::string bytes = readBytes(path);
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
