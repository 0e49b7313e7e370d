// The loader on Windows: LoadLibrary and GetProcAddress. Library names are the
// files' own names.
#include "platform/library.h"
#include "platform/library_backend.h"
#include "platform/wide.h"

#include <windows.h>
#include <psapi.h>

#include <vector>

namespace platform {
namespace detail {
namespace {

thread_local DWORD lastLoaderError = 0;

} // namespace

void* loadLibraryFile(const std::string& file)
{
    // A path's own folder is searched for the libraries it needs; a bare name
    // goes through the system's search (the program's folder first).
    const std::wstring name = win::widen(file);
    const bool isPath = file.find_first_of("\\/") != std::string::npos;
    // No "cannot find" dialog box for a file that is missing or not a library.
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE h = LoadLibraryExW(name.c_str(), nullptr, isPath ? LOAD_WITH_ALTERED_SEARCH_PATH : 0);
    lastLoaderError = h ? 0 : GetLastError();
    SetErrorMode(previous);
    return reinterpret_cast<void*>(h);
}

std::string loaderMessage()
{
    return win::systemMessage(lastLoaderError);
}

void unloadLibrary(void* handle)
{
    FreeLibrary(static_cast<HMODULE>(handle));
}

void* librarySymbol(void* handle, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void pinLibrary(void* handle, const std::string&)
{
    // A pinned module stays loaded until the process ends, whatever frees it.
    HMODULE pinned = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(handle), &pinned);
}

std::string ownFolder()
{
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&ownFolder), &self))
        return {};
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(self, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::string() : win::narrow(path.substr(0, slash + 1));
}

bool libraryFileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(win::widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

char folderSeparator()
{
    return '\\';
}

} // namespace detail

void* linkedEntryPoint(const char* name)
{
    // The program's own modules: the program and every library loaded with it.
    std::vector<HMODULE> modules(64);
    DWORD needed = 0;
    while (K32EnumProcessModules(GetCurrentProcess(), modules.data(),
                                 static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &needed) &&
           needed > modules.size() * sizeof(HMODULE))
        modules.resize(needed / sizeof(HMODULE));
    modules.resize(needed / sizeof(HMODULE));
    for (HMODULE m : modules)
        if (FARPROC p = GetProcAddress(m, name))
            return reinterpret_cast<void*>(p);
    return nullptr;
}

std::string libraryFileName(std::string_view name)
{
    return std::string(name);
}

} // namespace platform
