// Files on Windows through the W functions: UTF-8 paths converted to UTF-16,
// the system's messages for failures.
#include "platform/files.h"
#include "platform/wide.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <string>

namespace platform {
namespace {

std::optional<WIN32_FILE_ATTRIBUTE_DATA> regularFile(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(win::widen(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return data;
}

void setWhy(std::string* why, std::string text)
{
    if (why)
        *why = std::move(text);
}

bool writeAll(HANDLE h, std::span<const char> bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(h, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

// The full path with backslashes: some of the system's calls (ReplaceFile on
// wine) take a path with forward slashes for another one.
std::wstring fullPath(const std::string& path)
{
    const std::wstring wide = win::widen(path);
    const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(n, L'\0');
    const DWORD got = n ? GetFullPathNameW(wide.c_str(), n, full.data(), nullptr) : 0;
    if (got == 0 || got >= n)
        return wide;
    full.resize(got);
    return full;
}

// Whether a folder the path goes through is a file.
bool fileOnTheWay(const std::string& path)
{
    std::filesystem::path p = fsPath(path).parent_path();
    for (; !p.empty() && p != p.root_path(); p = p.parent_path()) {
        const DWORD attributes = GetFileAttributesW(p.wstring().c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES)
            return !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    return false;
}

// A name for a temporary file beside target that no other writer uses.
std::string temporaryBeside(const std::string& target)
{
    static std::atomic<unsigned> counter{0};
    return target + ".tmp." + std::to_string(GetCurrentProcessId()) + "." + std::to_string(++counter);
}

// Whether a full path names a device (NUL, CON, COM1 … in any folder resolve
// to the device namespace, "\\.\") rather than a file.
bool deviceName(std::wstring_view full)
{
    return full.starts_with(L"\\\\.\\");
}

// The system's code for a disk quota used up (missing from some headers).
constexpr DWORD kDiskQuotaExceeded = 1295;

// The C run-time's error number for a failed write, as the protocol writer
// reports it (a quota, which has no number of its own here, as a full disk).
int writeErrorNumber(DWORD error)
{
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case kDiskQuotaExceeded: return ENOSPC;
    case ERROR_FILE_TOO_LARGE: return EFBIG;
    case ERROR_ACCESS_DENIED:
    case ERROR_LOCK_VIOLATION:
    case ERROR_SHARING_VIOLATION: return EACCES;
    case ERROR_WRITE_PROTECT: return EROFS;
    default: return EIO;
    }
}

} // namespace

std::optional<std::uint64_t> fileSize(const std::string& path)
{
    const auto data = regularFile(path);
    if (!data)
        return std::nullopt;
    return (std::uint64_t{data->nFileSizeHigh} << 32) | data->nFileSizeLow;
}

std::optional<std::time_t> fileWriteTime(const std::string& path)
{
    const auto data = regularFile(path);
    if (!data)
        return std::nullopt;
    // 100-ns intervals since 1601-01-01 UTC; the Unix epoch is 11644473600 s later.
    const std::uint64_t ticks =
        (std::uint64_t{data->ftLastWriteTime.dwHighDateTime} << 32) | data->ftLastWriteTime.dwLowDateTime;
    return static_cast<std::time_t>(ticks / 10'000'000 - 11'644'473'600ull);
}

bool fileExists(const std::string& path)
{
    return regularFile(path).has_value();
}

bool fileWritable(const std::string& path)
{
    const auto data = regularFile(path);
    if (!data || (data->dwFileAttributes & FILE_ATTRIBUTE_READONLY))
        return false;
    // Opening for writing asks the file's access rules, as a write would.
    const HANDLE h = CreateFileW(win::widen(path).c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
}

bool replaceFileContent(const std::string& path, std::span<const char> bytes)
{
    if (!regularFile(path))
        return false;
    const std::string temp = temporaryBeside(path);
    if (!writeNewFile(temp, bytes))
        return false;
    // ReplaceFile keeps the replaced file's attributes and access rules.
    if (ReplaceFileW(fullPath(path).c_str(), fullPath(temp).c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                     nullptr, nullptr))
        return true;
    DeleteFileW(win::widen(temp).c_str());
    return false;
}

std::optional<std::string> readRegularFile(const std::string& path, std::string* why, std::size_t maxBytes,
                                           ReadFailure* failure)
{
    const auto fail = [why, failure](ReadFailure kind, std::string text) {
        setWhy(why, std::move(text));
        if (failure)
            *failure = kind;
        return std::nullopt;
    };
    const std::wstring name = win::widen(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return fail(ReadFailure::notRegular, "it is a folder, not a file");

    const HANDLE h = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // A file where the path needs a folder makes the path unusable, not absent.
        if (error == ERROR_PATH_NOT_FOUND && fileOnTheWay(path))
            return fail(ReadFailure::other, "a part of the path is a file, not a folder");
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return fail(ReadFailure::missing, "no such file");
        return fail(ReadFailure::other, win::systemMessage(error));
    }
    // A pipe, a console or another device is never read: it could block.
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        return fail(ReadFailure::notRegular, "it is not a regular file");
    }
    const auto tooLarge = [&] {
        CloseHandle(h);
        return fail(ReadFailure::tooLarge, "larger than " + std::to_string(maxBytes) + " bytes");
    };
    LARGE_INTEGER size{};
    if (GetFileSizeEx(h, &size) && static_cast<std::uint64_t>(size.QuadPart) > maxBytes)
        return tooLarge();
    std::string text;
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(h, buffer, sizeof buffer, &got, nullptr)) {
            const DWORD error = GetLastError();
            CloseHandle(h);
            return fail(ReadFailure::other, win::systemMessage(error));
        }
        if (got == 0)
            break;
        text.append(buffer, got);
        if (text.size() > maxBytes)
            return tooLarge();
    }
    CloseHandle(h);
    return text;
}

std::optional<AppendFile> AppendFile::open(const std::string& path, std::string* why)
{
    const auto fail = [why](std::string text) {
        setWhy(why, std::move(text));
        return std::nullopt;
    };
    // A device is not even opened: opening some of them acts on the device.
    const std::wstring name = fullPath(path);
    if (deviceName(name))
        return fail("it is not a regular file");
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return fail("it is a folder, not a file");
    // Appending access only (no FILE_WRITE_DATA): every write goes to the end
    // of the file, whoever else appends. Opening never waits: a pipe in the
    // file's place answers at once, and is refused by its type below.
    const HANDLE h = CreateFileW(name.c_str(), FILE_READ_DATA | FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_PATH_NOT_FOUND && fileOnTheWay(path))
            return fail("a part of the path is a file, not a folder");
        return fail(win::systemMessage(error));
    }
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        return fail("it is not a regular file");
    }
    LARGE_INTEGER size{};
    char last = '\n';
    if (GetFileSizeEx(h, &size) && size.QuadPart > 0) {
        // Read at an offset, which leaves the appending untouched.
        OVERLAPPED at{};
        const auto offset = static_cast<std::uint64_t>(size.QuadPart - 1);
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        if (!ReadFile(h, &last, 1, &got, &at) || got != 1)
            last = '\n';
    }
    return AppendFile(reinterpret_cast<std::intptr_t>(h), last != '\n');
}

void AppendFile::release(std::intptr_t handle)
{
    if (handle != kNoHandle)
        CloseHandle(reinterpret_cast<HANDLE>(handle));
}

AppendFile::Written AppendFile::append(std::string_view bytes)
{
    const HANDLE h = reinterpret_cast<HANDLE>(handle_);
    std::string text;
    text.reserve(bytes.size() + static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')));
    for (const char c : bytes) {
        if (c == '\n')
            text += '\r';
        text += c;
    }
    Written w;
    std::size_t done = 0;
    while (done < text.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1u << 30));
        DWORD n = 0;
        const bool ok = WriteFile(h, text.data() + done, chunk, &n, nullptr);
        const DWORD error = ok ? 0 : GetLastError();
        done += n;
        if (!ok || n == 0) {
            w.error = ok ? EIO : writeErrorNumber(error);
            break;
        }
    }
    // The given bytes whose text reached the file whole (a line feed with its CR).
    for (std::size_t written = 0; w.bytes < bytes.size(); ++w.bytes) {
        written += bytes[w.bytes] == '\n' ? 2 : 1;
        if (written > done)
            break;
    }
    return w;
}

std::FILE* openFile(const std::string& path, const char* mode)
{
    return _wfopen(win::widen(path).c_str(), win::widen(mode).c_str());
}

bool writeNewFile(const std::string& path, std::span<const char> bytes, std::string* why)
{
    const std::wstring name = win::widen(path);
    const HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        setWhy(why, win::systemMessage(GetLastError()));
        return false;
    }
    bool ok = writeAll(h, bytes) && FlushFileBuffers(h);
    const DWORD error = ok ? 0 : GetLastError();
    ok = CloseHandle(h) && ok;
    if (!ok) {
        setWhy(why, win::systemMessage(error ? error : GetLastError()));
        DeleteFileW(name.c_str());
    }
    return ok;
}

bool renameReplacing(const std::string& from, const std::string& to, std::string* why)
{
    // Written through: the rename is on the disk when the call returns.
    if (MoveFileExW(fullPath(from).c_str(), fullPath(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    setWhy(why, win::systemMessage(GetLastError()));
    return false;
}

bool renameKeeping(const std::string& from, const std::string& to, std::string* why)
{
    // Without MOVEFILE_REPLACE_EXISTING the move fails where to exists.
    if (MoveFileExW(fullPath(from).c_str(), fullPath(to).c_str(), MOVEFILE_WRITE_THROUGH))
        return true;
    setWhy(why, win::systemMessage(GetLastError()));
    return false;
}

void syncFolder(const std::string&)
{
    // MoveFileEx with MOVEFILE_WRITE_THROUGH has made the rename durable.
}

bool folderWritable(const std::string& dir, std::string* why)
{
    // Folder attributes do not say whether files may be created in it: a
    // file is created there and deleted again on closing.
    std::string probe = dir;
    if (!probe.empty() && kFolderSeparators.find(probe.back()) == std::string_view::npos)
        probe += kFolderSeparator;
    probe += ".write-probe." + std::to_string(GetCurrentProcessId());
    const HANDLE h = CreateFileW(win::widen(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        setWhy(why, win::systemMessage(GetLastError()));
        return false;
    }
    CloseHandle(h);
    return true;
}

std::string programFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return ".";
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::string(".") : win::narrow(path.substr(0, slash));
}

std::string workingFolder()
{
    const DWORD n = GetCurrentDirectoryW(0, nullptr);
    std::wstring path(n, L'\0');
    const DWORD got = n ? GetCurrentDirectoryW(n, path.data()) : 0;
    if (got == 0 || got >= n)
        return ".";
    path.resize(got);
    return win::narrow(path);
}

} // namespace platform
