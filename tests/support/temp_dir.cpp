#include "tests/support/temp_dir.h"

#include "platform/process.h"

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <system_error>

TempDir::TempDir(std::string_view prefix)
{
    // Named after the process and a count, so that parallel test processes
    // never share one; a name already taken is skipped.
    static unsigned count = 0;
    const auto base = std::filesystem::temp_directory_path();
    const std::string stem = std::string(prefix) + "-" + std::to_string(platform::processId()) + "-";
    for (int attempt = 0; attempt < 1000; ++attempt) {
        auto candidate = base / (stem + std::to_string(++count));
        std::error_code ec;
        if (std::filesystem::create_directory(candidate, ec)) {
            path_ = std::move(candidate);
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder in " + base.string());
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::write(const std::string& name, std::string_view content) const
{
    const auto p = path_ / name;
    std::ofstream(p, std::ios::binary).write(content.data(), static_cast<std::streamsize>(content.size()));
    return p.string();
}

void placeLibrary(const std::filesystem::path& file, const std::filesystem::path& at)
{
#if defined(_WIN32)
    std::filesystem::copy_file(file, at, std::filesystem::copy_options::overwrite_existing);
#else
    std::filesystem::create_symlink(file, at);
#endif
}

bool setWriteTime(const std::filesystem::path& file, std::time_t t)
{
    std::error_code ec;
    const auto when = std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(t));
    std::filesystem::last_write_time(file, when, ec);
    return !ec;
}
