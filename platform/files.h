// File facts the program shows or checks.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <span>
#include <string>

namespace platform {

std::optional<std::uint64_t> fileSize(const std::string& path);
std::optional<std::time_t> fileWriteTime(const std::string& path);
bool fileExists(const std::string& path);
// True when the file exists and this process may open it for writing.
bool fileWritable(const std::string& path);
// Replaces the content of an existing file by bytes: written whole to a new
// file beside it (same folder, same permissions), then renamed over it, so the
// file is never seen half written. A symbolic link is followed to its target.
// False, with the file left as it was, on any failure.
bool replaceFileContent(const std::string& path, std::span<const char> bytes);

// Reads a whole regular file. Anything else gives nullopt and, in why, what is
// wrong in a few words: "no such file", "it is a folder, not a file", "it is
// not a regular file", or the system's reason ("Permission denied"). A FIFO or
// a device is never read, so naming one cannot block the caller.
std::optional<std::string> readRegularFile(const std::string& path, std::string* why = nullptr);

} // namespace platform
