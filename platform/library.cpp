// Loading shared libraries by name; every failure is one line that names the
// file (and the entry point) together with the loader's message.
#include "platform/library.h"
#include "platform/library_backend.h"

namespace platform {
namespace {

std::vector<std::string> libraryDirs;

// First folder of the override list holding file.
std::optional<std::string> findInLibraryDirs(const std::string& file)
{
    for (const std::string& dir : libraryDirs) {
        const bool separated = dir.empty() || dir.back() == '/' || dir.back() == detail::folderSeparator();
        std::string candidate = separated ? dir + file : dir + detail::folderSeparator() + file;
        if (detail::libraryFileExists(candidate))
            return candidate;
    }
    return std::nullopt;
}

void setError(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
}

bool isBareName(const std::string& file)
{
    return file.find('/') == std::string::npos && file.find(detail::folderSeparator()) == std::string::npos;
}

} // namespace

void setLibraryDirs(std::vector<std::string> dirs)
{
    libraryDirs = std::move(dirs);
}

std::optional<Library> Library::open(std::string_view name, std::string* error)
{
    const std::string file = libraryFileName(name);

    if (!libraryDirs.empty()) {
        const auto path = findInLibraryDirs(file);
        if (!path) {
            std::string dirs;
            for (const std::string& dir : libraryDirs)
                dirs += (dirs.empty() ? "" : ", ") + dir;
            setError(error, "cannot load " + file + ": not found in " + dirs);
            return std::nullopt;
        }
        if (void* handle = detail::loadLibraryFile(*path))
            return Library(handle, *path);
        setError(error, "cannot load " + file + ": " + detail::loaderMessage());
        return std::nullopt;
    }

    if (void* handle = detail::loadLibraryFile(file))
        return Library(handle, file);
    std::string message = detail::loaderMessage();
    // Libraries loaded by name normally sit beside this one; the folder is
    // tried explicitly when the loader's own search fails, which happens when
    // a sanitizer's dlopen wrapper hides our run path from the loader.
    if (isBareName(file)) {
        const std::string beside = detail::ownFolder() + file;
        if (detail::libraryFileExists(beside)) {
            if (void* handle = detail::loadLibraryFile(beside))
                return Library(handle, beside);
            message = detail::loaderMessage();
        }
    }
    setError(error, "cannot load " + file + ": " + message);
    return std::nullopt;
}

Library::Library(Library&& other) noexcept : handle_(other.handle_), file_(std::move(other.file_))
{
    other.handle_ = nullptr;
}

Library& Library::operator=(Library&& other) noexcept
{
    if (this != &other) {
        if (handle_)
            detail::unloadLibrary(handle_);
        handle_ = other.handle_;
        file_ = std::move(other.file_);
        other.handle_ = nullptr;
    }
    return *this;
}

Library::~Library()
{
    if (handle_)
        detail::unloadLibrary(handle_);
}

void* Library::symbol(const char* name, std::string* error) const
{
    if (!handle_) {
        setError(error, std::string("entry point ") + name + " not found: no library loaded");
        return nullptr;
    }
    void* p = detail::librarySymbol(handle_, name);
    if (!p)
        setError(error, std::string("entry point ") + name + " not found in " + file_);
    return p;
}

void Library::keep()
{
    if (handle_)
        detail::pinLibrary(handle_, file_);
}

} // namespace platform
