// A machine-wide search path of a test's own, which the platform layer reads
// instead of the machine's while the object lives: on Linux an environment
// file in the test's folder, on Windows a registry key of the user's own.
#pragma once

#include <filesystem>
#include <string>

class TestSearchPath {
public:
    explicit TestSearchPath(const std::filesystem::path& folder);
    ~TestSearchPath();
    TestSearchPath(const TestSearchPath&) = delete;
    TestSearchPath& operator=(const TestSearchPath&) = delete;

    // The search path holds text, entries separated by platform::kSearchPathSeparator.
    void set(const std::string& text);
    // The environment is there but names no search path.
    void setWithoutPath();
    // There is no environment to read.
    void setMissing();

private:
    std::filesystem::path file_; // Linux: the environment file
    std::wstring key_;           // Windows: the key under HKEY_CURRENT_USER
};
