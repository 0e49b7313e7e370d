// File facts the program shows or checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <span>
#include <string>
#include <string_view>

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

// A file that text is appended to (the protocols). Only an existing regular
// file (a symbolic link is followed) or a path naming nothing yet, which is
// then created, is opened; a folder, a FIFO or a device is refused without
// waiting on it, also when one takes the file's place while it is opened.
class AppendFile {
public:
    // The opened file, or nullopt with what is wrong in why (as readRegularFile says it).
    static std::optional<AppendFile> open(const std::string& path, std::string* why = nullptr);

    AppendFile(AppendFile&& other) noexcept;
    AppendFile& operator=(AppendFile&& other) noexcept;
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;
    ~AppendFile();

    struct Written {
        std::size_t bytes = 0; // how many reached the file, in order from the first
        int error = 0;         // 0, or the system's error number when not all of them did
    };
    // Writes bytes at the end of the file: all of them, or as many as fit.
    Written append(std::string_view bytes);
    // Whether the file, when opened, ended inside a line (its last byte not a line feed).
    bool openedMidLine() const { return openedMidLine_; }

private:
    explicit AppendFile(int fd, bool midLine) : fd_(fd), openedMidLine_(midLine) {}
    int fd_ = -1;
    bool openedMidLine_ = false;
};

} // namespace platform
