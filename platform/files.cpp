// File facts through stat(2).
#include "platform/files.h"

#include <sys/stat.h>

namespace platform {
namespace {

std::optional<struct stat> statFile(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return st;
}

} // namespace

std::optional<std::uint64_t> fileSize(const std::string& path)
{
    const auto st = statFile(path);
    if (!st)
        return std::nullopt;
    return static_cast<std::uint64_t>(st->st_size);
}

std::optional<std::time_t> fileWriteTime(const std::string& path)
{
    const auto st = statFile(path);
    if (!st)
        return std::nullopt;
    return st->st_mtime;
}

bool fileExists(const std::string& path)
{
    return statFile(path).has_value();
}

} // namespace platform
