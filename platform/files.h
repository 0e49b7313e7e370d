// File facts the program shows or checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

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

// Why readRegularFile gave nothing.
enum class ReadFailure { missing, notRegular, tooLarge, other };
inline constexpr std::size_t kNoSizeLimit = static_cast<std::size_t>(-1);

// Reads a whole regular file of at most maxBytes bytes. Anything else gives
// nullopt and, in why, what is wrong in a few words: "no such file", "it is a
// folder, not a file", "it is not a regular file", "larger than N bytes", or
// the system's reason ("Permission denied"); failure, when given, tells which.
// A FIFO or a device is never read, so naming one cannot block the caller.
std::optional<std::string> readRegularFile(const std::string& path, std::string* why = nullptr,
                                           std::size_t maxBytes = kNoSizeLimit, ReadFailure* failure = nullptr);

// Opens a file named by its UTF-8 path, with std::fopen's modes.
std::FILE* openFile(const std::string& path, const char* mode);
// Creates the file, which must not exist yet, with bytes, flushed to the disk.
// False, with nothing left behind and the system's reason in why, on failure.
bool writeNewFile(const std::string& path, std::span<const char> bytes, std::string* why = nullptr);
// Renames from to to in one step, replacing a file of that name.
bool renameReplacing(const std::string& from, const std::string& to, std::string* why = nullptr);
// Renames from to to unless something of that name exists (then nothing
// changes and false is returned); the check and the rename are one step.
bool renameKeeping(const std::string& from, const std::string& to, std::string* why = nullptr);
// Makes the entries of a folder (a file just renamed into it) durable, where
// the system does not do so with the rename itself.
void syncFolder(const std::string& dir);
// True when this process may create files in the existing folder dir;
// otherwise why says what stands in the way.
bool folderWritable(const std::string& dir, std::string* why = nullptr);

// The folder of the running program, and the working folder, as UTF-8 text.
std::string programFolder();
std::string workingFolder();

// std::filesystem paths from and to the program's UTF-8 text (on Windows a
// path's own text is UTF-16, and its narrow text the system's code page).
inline std::filesystem::path fsPath(std::string_view utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string utf8Path(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// The platform's separator of the folders in a path, and every character that
// separates them ('\\' and '/' on Windows).
#if defined(_WIN32)
inline constexpr char kFolderSeparator = '\\';
inline constexpr std::string_view kFolderSeparators = "\\/";
#else
inline constexpr char kFolderSeparator = '/';
inline constexpr std::string_view kFolderSeparators = "/";
#endif

// A file that text is appended to (the protocols). Only an existing regular
// file (a symbolic link is followed) or a path naming nothing yet, which is
// then created, is opened; a folder, a FIFO, a pipe or a device is refused
// without waiting on it, also when one takes the file's place while it is
// opened. On Windows a line feed is written as CR LF, as text files are there.
class AppendFile {
public:
    // The opened file, or nullopt with what is wrong in why (as readRegularFile says it).
    static std::optional<AppendFile> open(const std::string& path, std::string* why = nullptr);

    AppendFile(AppendFile&& other) noexcept
        : handle_(std::exchange(other.handle_, kNoHandle)), openedMidLine_(other.openedMidLine_)
    {
    }
    AppendFile& operator=(AppendFile&& other) noexcept
    {
        if (this != &other) {
            release(handle_);
            handle_ = std::exchange(other.handle_, kNoHandle);
            openedMidLine_ = other.openedMidLine_;
        }
        return *this;
    }
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;
    ~AppendFile() { release(handle_); }

    struct Written {
        std::size_t bytes = 0; // how many of the given bytes reached the file, in order from the first
        int error = 0;         // 0, or the error number (errno's values) when not all of them did
    };
    // Writes bytes at the end of the file: all of them, or as many as fit.
    Written append(std::string_view bytes);
    // Whether the file, when opened, ended inside a line (its last byte not a line feed).
    bool openedMidLine() const { return openedMidLine_; }

private:
    // A file descriptor, or a Windows HANDLE.
    static constexpr std::intptr_t kNoHandle = -1;
    static void release(std::intptr_t handle);
    explicit AppendFile(std::intptr_t handle, bool midLine) : handle_(handle), openedMidLine_(midLine) {}
    std::intptr_t handle_ = kNoHandle;
    bool openedMidLine_ = false;
};

} // namespace platform
