// File facts through stat(2); whole-file replacement through a temporary file
// and rename(2); appending through write(2), every byte accounted for.
#include "platform/files.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

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

    bool ok = ::fchmod(fd, st->st_mode & 07777) == 0;
    for (std::size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok)
        ::unlink(temp.c_str());
    return ok;
}

namespace {

// What is wrong with a file that is there but is not a regular file.
std::string notAFile(const struct stat& st)
{
    return S_ISDIR(st.st_mode) ? "it is a folder, not a file" : "it is not a regular file";
}

} // namespace

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

AppendFile::AppendFile(AppendFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), openedMidLine_(other.openedMidLine_)
{
}

AppendFile& AppendFile::operator=(AppendFile&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        openedMidLine_ = other.openedMidLine_;
    }
    return *this;
}

AppendFile::~AppendFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

AppendFile::Written AppendFile::append(std::string_view bytes)
{
    Written w;
    while (w.bytes < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + w.bytes, bytes.size() - w.bytes);
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

std::optional<std::string> readRegularFile(const std::string& path, std::string* why)
{
    const auto fail = [why](std::string text) {
        if (why)
            *why = std::move(text);
        return std::nullopt;
    };
    // Non-blocking, so that opening a FIFO with no writer returns at once; the
    // descriptor is checked before anything is read from it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return fail(errno == ENOENT ? "no such file" : std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const std::string reason = notAFile(st);
        ::close(fd);
        return fail(reason);
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
            return fail(err == EISDIR ? "it is a folder, not a file" : std::strerror(err));
        }
        if (n == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return text;
}

} // namespace platform
