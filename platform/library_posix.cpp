// The loader on Linux: dlopen and dlsym; Windows library names map to shared objects.
#include "platform/library.h"
#include "platform/library_backend.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

namespace platform {
namespace {

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

} // namespace

namespace detail {

void* loadLibraryFile(const std::string& file)
{
    dlerror();
    return dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
}

std::string loaderMessage()
{
    const char* msg = dlerror();
    return msg ? msg : "unknown loader error";
}

void unloadLibrary(void* handle)
{
    dlclose(handle);
}

void* librarySymbol(void* handle, const char* name)
{
    return dlsym(handle, name);
}

void pinLibrary(void* handle, const std::string& file)
{
    // Marking the loaded object "no delete" makes every later dlclose, ours
    // included, leave it mapped.
    link_map* map = nullptr;
    const char* path = file.c_str();
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name && *map->l_name)
        path = map->l_name;
    if (void* again = dlopen(path, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE))
        dlclose(again);
}

std::string ownFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ownFolder), &info) == 0 || !info.dli_fname)
        return {};
    const std::string_view self = info.dli_fname;
    const auto slash = self.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(self.substr(0, slash + 1));
}

bool libraryFileExists(const std::string& path)
{
    return ::access(path.c_str(), F_OK) == 0;
}

char folderSeparator()
{
    return '/';
}

} // namespace detail

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

} // namespace platform
