// Loading shared libraries by name and looking up entry points.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Maps a Windows library name used in the code ("hpe1412_32.dll") to this
// platform's file name ("libhpe1412_32.so" on Linux); other names, and every
// name on Windows, pass unchanged.
std::string libraryFileName(std::string_view name);

// When dirs is non-empty, Library::open looks for the mapped file name only in
// these folders, in order (first match wins); empty restores the loader's own
// search. Lets tests make a library missing or substitute a broken variant.
void setLibraryDirs(std::vector<std::string> dirs);

// Address of an entry point of the libraries the program was linked with (the
// loader's global scope), nullptr when none of them exports it.
void* linkedEntryPoint(const char* name);

// A loaded library. Move-only; unloads on destruction unless kept.
class Library {
public:
    // Loads by name (mapped with libraryFileName). On failure returns nullopt and,
    // if error is given, one line naming the file and the loader's message.
    static std::optional<Library> open(std::string_view name, std::string* error = nullptr);

    Library(Library&& other) noexcept;
    Library& operator=(Library&& other) noexcept;
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    ~Library();

    // Entry point or nullptr; on failure error says which symbol in which file.
    void* symbol(const char* name, std::string* error = nullptr) const;
    template <class F> F entry(const char* name, std::string* error = nullptr) const {
        return reinterpret_cast<F>(symbol(name, error));
    }
    const std::string& file() const { return file_; }
    // Leaves the library loaded for the rest of the process.
    void keep();

private:
    Library(void* handle, std::string file) : handle_(handle), file_(std::move(file)) {}
    void* handle_ = nullptr;
    std::string file_;
};

} // namespace platform
