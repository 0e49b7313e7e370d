// A fresh folder for one test, removed with everything in it afterwards, and
// the file facts tests set up in it.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

class TempDir {
public:
    // Makes <temporary folder>/<prefix>-<process>-<count>; throws when no
    // folder can be made (a test must not work in the current folder instead).
    explicit TempDir(std::string_view prefix = "ksil-test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

    // Writes content, byte for byte, to the file name in the folder; returns its path.
    std::string write(const std::string& name, std::string_view content) const;

private:
    std::filesystem::path path_;
};

// Puts a library file into another folder: a symbolic link on Linux, a copy
// on Windows, where making a link takes a privilege.
void placeLibrary(const std::filesystem::path& file, const std::filesystem::path& at);

// Sets a file's last-write time, in seconds since 1970 (UTC).
bool setWriteTime(const std::filesystem::path& file, std::time_t t);
