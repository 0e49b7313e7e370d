// A fresh folder for one test, removed with everything in it afterwards, and
// the file facts tests set up in it.
#pragma once

#include "platform/process.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

class TempDir {
public:
    TempDir()
    {
        // Named after the process and a count, so that parallel test
        // processes never share one; a name already taken is skipped.
        static unsigned count = 0;
        const auto base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 1000 && path_.empty(); ++attempt) {
            auto candidate =
                base / ("plat-test-" + std::to_string(platform::processId()) + "-" + std::to_string(++count));
            std::error_code ec;
            if (std::filesystem::create_directory(candidate, ec))
                path_ = std::move(candidate);
        }
    }
    ~TempDir()
    {
        std::error_code ec;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

    std::string write(const std::string& name, const std::string& content) const
    {
        const auto p = path_ / name;
        std::ofstream(p, std::ios::binary) << content;
        return p.string();
    }

private:
    std::filesystem::path path_;
};

// Puts a library file into another folder: a symbolic link on Linux, a copy
// on Windows, where making a link takes a privilege.
inline void placeLibrary(const std::filesystem::path& file, const std::filesystem::path& at)
{
#if defined(_WIN32)
    std::filesystem::copy_file(file, at, std::filesystem::copy_options::overwrite_existing);
#else
    std::filesystem::create_symlink(file, at);
#endif
}

// Sets a file's last-write time, in seconds since 1970 (UTC).
inline bool setWriteTime(const std::filesystem::path& file, std::time_t t)
{
    std::error_code ec;
    const auto when = std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(t));
    std::filesystem::last_write_time(file, when, ec);
    return !ec;
}
