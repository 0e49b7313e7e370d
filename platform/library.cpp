// Loading shared libraries by name with dlopen; every failure is one line that
// names the file (and the entry point) together with the loader's message.
#include "platform/library.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

namespace platform {
namespace {

std::vector<std::string> libraryDirs;

bool equalsIgnoreCase(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

std::string loaderMessage()
{
    const char* msg = dlerror();
    return msg ? msg : "unknown loader error";
}

// Folder holding this library. Libraries loaded by name normally sit beside
// it (same run path); the folder is tried explicitly when the loader's own
// search fails, which happens when a sanitizer's dlopen wrapper hides our run
// path from the loader.
std::string ownFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ownFolder), &info) == 0 || !info.dli_fname)
        return {};
    const std::string_view self = info.dli_fname;
    const auto slash = self.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(self.substr(0, slash + 1));
}

// First folder of the override list holding file.
std::optional<std::string> findInLibraryDirs(const std::string& file)
{
    for (const std::string& dir : libraryDirs) {
        std::string candidate = dir.empty() || dir.back() == '/' ? dir + file : dir + "/" + file;
        if (::access(candidate.c_str(), F_OK) == 0)
            return candidate;
    }
    return std::nullopt;
}

void* load(const std::string& path)
{
    dlerror();
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void setError(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
}

} // namespace

void* linkedEntryPoint(const char* name)
{
    return dlsym(RTLD_DEFAULT, name);
}

std::string libraryFileName(std::string_view name)
{
    constexpr std::string_view ext = ".dll";
    if (name.size() <= ext.size() || !equalsIgnoreCase(name.substr(name.size() - ext.size()), ext))
        return std::string(name);
    std::string_view base = name.substr(0, name.size() - ext.size());
    // The VISA library carries the bitness in its Windows name only.
    if (equalsIgnoreCase(base, "visa32"))
        base = "visa";
    return "lib" + std::string(base) + ".so";
}

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
        if (void* handle = load(*path))
            return Library(handle, *path);
        setError(error, "cannot load " + file + ": " + loaderMessage());
        return std::nullopt;
    }

    if (void* handle = load(file))
        return Library(handle, file);
    std::string message = loaderMessage();
    if (file.find('/') == std::string::npos) {
        const std::string beside = ownFolder() + file;
        if (::access(beside.c_str(), F_OK) == 0) {
            if (void* handle = load(beside))
                return Library(handle, beside);
            message = loaderMessage();
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
            dlclose(handle_);
        handle_ = other.handle_;
        file_ = std::move(other.file_);
        other.handle_ = nullptr;
    }
    return *this;
}

Library::~Library()
{
    if (handle_)
        dlclose(handle_);
}

void* Library::symbol(const char* name, std::string* error) const
{
    if (!handle_) {
        setError(error, std::string("entry point ") + name + " not found: no library loaded");
        return nullptr;
    }
    void* p = dlsym(handle_, name);
    if (!p)
        setError(error, std::string("entry point ") + name + " not found in " + file_);
    return p;
}

void Library::keep()
{
    if (!handle_)
        return;
    // Marking the loaded object "no delete" makes every later dlclose, ours
    // included, leave it mapped.
    link_map* map = nullptr;
    const char* path = file_.c_str();
    if (dlinfo(handle_, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name && *map->l_name)
        path = map->l_name;
    if (void* again = dlopen(path, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE))
        dlclose(again);
}

} // namespace platform
