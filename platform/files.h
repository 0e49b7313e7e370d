// File facts the program shows or checks.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace platform {

std::optional<std::uint64_t> fileSize(const std::string& path);
std::optional<std::time_t> fileWriteTime(const std::string& path);
bool fileExists(const std::string& path);

} // namespace platform
