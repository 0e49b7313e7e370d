// Files on Linux: facts through stat(2), whole-file replacement through a
// temporary file and rename(2), reading and writing through descriptors,
// appending through write(2), every byte accounted for.
#include "platform/files.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

std::optional<struct stat> statFile(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return st;
}

// Writes bytes whole to fd and flushes them to the disk.
bool writeSynced(int fd, std::span<const char> bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return ::fsync(fd) == 0;
}

// What is wrong with a file that is there but is not a regular file.
std::string notAFile(const struct stat& st)
{
    return S_ISDIR(st.st_mode) ? "it is a folder, not a file" : "it is not a regular file";
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

bool fileWritable(const std::string& path)
{
    return statFile(path).has_value() && ::access(path.c_str(), W_OK) == 0;
}

bool replaceFileContent(const std::string& path, std::span<const char> bytes)
{
    char resolved[PATH_MAX];
    if (!::realpath(path.c_str(), resolved))
        return false;
    const std::string target = resolved;
    const auto st = statFile(target);
    if (!st)
        return false;

    const auto slash = target.rfind('/');
    std::string temp = target.substr(0, slash + 1) + "." + target.substr(slash + 1) + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;

    bool ok = ::fchmod(fd, st->st_mode & 07777) == 0 && writeSynced(fd, bytes);
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok)
        ::unlink(temp.c_str());
    return ok;
}

std::optional<std::string> readRegularFile(const std::string& path, std::string* why, std::size_t maxBytes,
                                           ReadFailure* failure)
{
    const auto fail = [why, failure](ReadFailure kind, std::string text) {
        if (why)
            *why = std::move(text);
        if (failure)
            *failure = kind;
        return std::nullopt;
    };
    // Non-blocking, so that opening a FIFO with no writer returns at once; the
    // descriptor is checked before anything is read from it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return errno == ENOENT ? fail(ReadFailure::missing, "no such file")
                               : fail(ReadFailure::other, std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const std::string reason = notAFile(st);
        ::close(fd);
        return fail(ReadFailure::notRegular, reason);
    }
    const auto tooLarge = [&] {
        return fail(ReadFailure::tooLarge, "larger than " + std::to_string(maxBytes) + " bytes");
    };
    if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) {
        ::close(fd);
        return tooLarge();
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            return err == EISDIR ? fail(ReadFailure::notRegular, "it is a folder, not a file")
                                 : fail(ReadFailure::other, std::strerror(err));
        }
        if (n == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
        // A file growing while it is read is refused all the same.
        if (text.size() > maxBytes) {
            ::close(fd);
            return tooLarge();
        }
    }
    ::close(fd);
    return text;
}

std::optional<AppendFile> AppendFile::open(const std::string& path, std::string* why)
{
    const auto fail = [why](std::string text) {
        if (why)
            *why = std::move(text);
        return std::nullopt;
    };
    // A device is not even opened when it is already in place: opening some
    // of them acts on the device.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return fail(notAFile(st));
    // Non-blocking, so that a FIFO put in the file's place after that check
    // cannot hold the opening; the descriptor is checked again.
    const int fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
    if (fd < 0)
        return fail(std::strerror(errno));
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const std::string reason = notAFile(st);
        ::close(fd);
        return fail(reason);
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    char last = '\n';
    if (st.st_size > 0 && ::pread(fd, &last, 1, st.st_size - 1) != 1)
        last = '\n';
    return AppendFile(fd, last != '\n');
}

void AppendFile::release(std::intptr_t handle)
{
    if (handle >= 0)
        ::close(static_cast<int>(handle));
}

AppendFile::Written AppendFile::append(std::string_view bytes)
{
    const int fd = static_cast<int>(handle_);
    Written w;
    while (w.bytes < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + w.bytes, bytes.size() - w.bytes);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            w.error = n < 0 ? errno : EIO;
            break;
        }
        w.bytes += static_cast<std::size_t>(n);
    }
    return w;
}

std::FILE* openFile(const std::string& path, const char* mode)
{
    return std::fopen(path.c_str(), mode);
}

bool writeNewFile(const std::string& path, std::span<const char> bytes, std::string* why)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (why)
            *why = std::strerror(errno);
        return false;
    }
    bool ok = writeSynced(fd, bytes);
    const int error = errno;
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        if (why)
            *why = std::strerror(error ? error : errno);
        ::unlink(path.c_str());
    }
    return ok;
}

bool renameReplacing(const std::string& from, const std::string& to, std::string* why)
{
    if (::rename(from.c_str(), to.c_str()) == 0)
        return true;
    if (why)
        *why = std::strerror(errno);
    return false;
}

bool renameKeeping(const std::string& from, const std::string& to, std::string* why)
{
    // A second name, which link(2) refuses to put over an existing entry, then
    // the first name removed.
    if (::link(from.c_str(), to.c_str()) != 0) {
        if (why)
            *why = std::strerror(errno);
        return false;
    }
    ::unlink(from.c_str());
    return true;
}

void syncFolder(const std::string& dir)
{
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool folderWritable(const std::string& dir, std::string* why)
{
    if (::access(dir.c_str(), W_OK | X_OK) == 0)
        return true;
    if (why)
        *why = std::strerror(errno);
    return false;
}

std::string programFolder()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return ".";
    return exe.parent_path().string();
}

std::string workingFolder()
{
    std::error_code ec;
    const auto dir = std::filesystem::current_path(ec);
    return ec ? std::string(".") : dir.string();
}

} // namespace platform
